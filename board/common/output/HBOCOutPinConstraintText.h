// The text of a pin constraint file for an open FPGA flow: pcf (iCE40),
// lpf (ECP5 and Nexus), cst (Gowin), qsf (Intel) and sdc (clocks). What each
// format writes and leaves out is in docs/pin-constraints.md.
#pragma once

#include <string>
#include <vector>

class HBOPinProps;

namespace HBOCOutPinConstraintText {

enum class Format { pcf, lpf, cst, qsf, sdc };

// The format of a -format value; a VALUE error names the five otherwise.
Format format_named(const std::string& name);
const char* name_of(Format format);

// One port bit placed at one FPGA pin.
struct Placement {
    std::string port;
    const HBOPinProps* pin;
};

// A clock on a port.
struct Clock {
    std::string port;
    double hertz;
};

// A pin property left out of some port bits, and why.
struct Omission {
    std::string attribute;
    std::string reason;
    std::vector<std::string> ports;
};

struct Text {
    std::string text;
    std::vector<Omission> omissions;  // in the order first met
};

// A comment line with the title, then for each placement its location and
// the electrical settings the format has a place for, then the clocks where
// the format has them (lpf, sdc); sdc holds only clocks. A placement whose
// pin has no LOC is left out (an omission of LOC). Throws a VALUE error for
// a port name or a location the format cannot carry.
Text text_of(Format format, const std::string& title, const std::vector<Placement>& placements,
             const std::vector<Clock>& clocks);

}  // namespace HBOCOutPinConstraintText
