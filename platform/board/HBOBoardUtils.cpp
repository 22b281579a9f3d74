// Feature switches (application parameters) and schema tests.
#include <cstdlib>

#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HPAParamMgr.h"

namespace HBOBoardUtils {

void defineParameters() {
    static const bool defined = [] {
        HPAParamMgr& params = HPAParamMgr::getParamMgr();
        params.define("board.repoPaths", HPAParamType::String, "",
                      "Board repository folders (a Tcl list); empty means the bundled sample repository");
        params.define("board.listingThreads", HPAParamType::Int, "0",
                      "Threads that read board files when the repository is listed; 0 means one per core");
        params.define("board.enableSchema2", HPAParamType::Bool, "1", "Enable the schema-2 board commands");
        params.define("board.enableIntegration", HPAParamType::Bool, "1",
                      "Enable the integrated board diagram commands");
        return true;
    }();
    (void)defined;
}

bool isV2SchemaEnabled() {
    defineParameters();
    return HPAParamMgr::getParamMgr().getValueAsBool("board.enableSchema2");
}

bool isBoardIntegraterSupportEnabled() {
    defineParameters();
    return HPAParamMgr::getParamMgr().getValueAsBool("board.enableIntegration");
}

bool isSchema20OrGreater(const HBOBoard* board) {
    return board && std::strtod(board->getSchemaVersion().c_str(), nullptr) >= 2.0;
}

bool isV2SchemaBoard(const HBOBoard* board) { return isSchema20OrGreater(board); }

bool isV2SchemaBoard(const HBOBoardComponent* component) {
    return component && isSchema20OrGreater(component->getBoard());
}

bool isV2SchemaBoard(const HBOBusIf* busIf) { return busIf && isSchema20OrGreater(busIf->getParentBoard()); }

bool isV2SchemaBoard(const HBOModelPort* port) { return port && isV2SchemaBoard(port->getOwner()); }

bool isV2SchemaBoard(const HBOPinProps* pin) { return pin && isV2SchemaBoard(pin->getOwner()); }

}  // namespace HBOBoardUtils
