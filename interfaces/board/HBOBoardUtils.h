// Feature switches and schema tests of the board model.
#pragma once

class HBOBoard;
class HBOBoardComponent;
class HBOBusIf;
class HBOModelPort;
class HBOPinProps;

namespace HBOBoardUtils {
// The parameters "board.enableSchema2" and "board.enableIntegration", read at each call.
bool isV2SchemaEnabled();
bool isBoardIntegraterSupportEnabled();
// schema_version compared numerically with 2.0; false for null.
bool isSchema20OrGreater(const HBOBoard* board);
// isSchema20OrGreater of the object's board; false when it has none.
bool isV2SchemaBoard(const HBOBoard* board);
bool isV2SchemaBoard(const HBOBoardComponent* component);
bool isV2SchemaBoard(const HBOBusIf* busIf);
bool isV2SchemaBoard(const HBOModelPort* port);
bool isV2SchemaBoard(const HBOPinProps* pin);
// Declares the board parameters with the parameter manager (done by every reader).
void defineParameters();
}  // namespace HBOBoardUtils
