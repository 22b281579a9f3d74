// Registers the board object classes and their properties with HCPProperty.
// Each init() may be called again; it then changes nothing.
#pragma once

namespace HBOCPropertyInit {

// The flag of the schema-2 property group, one object for the whole process:
//   bool& initialized = HBOCPropertyInit::initV2Props();
//   if (!initialized) { initialized = true; ...board::init(), ... }
inline bool& initV2Props() {
    static bool initialized = false;
    return initialized;
}

namespace board {
void init();
}
namespace board_component {
void init();
void initV2Props();
}  // namespace board_component
namespace board_part_interface {
void init();
void initV2Props();
}  // namespace board_part_interface
namespace board_part_pin {
void init();
void initV2Props();
}  // namespace board_part_pin
namespace board_ip_preset {
void init();
}
namespace board_jumper {
void init();
}
namespace board_parameter {
void init();
}
namespace board_bus {
void init();
}
namespace board_bus_net {
void init();
}
namespace board_interface_port {
void init();
}
namespace board_component_mode {
void init();
}
namespace board_user_preference {
void init();
}
namespace board_port_map {
void init();
}

// Every init() and initV2Props() above, in order: what the package entry runs.
void initAll();

}  // namespace HBOCPropertyInit
