// What loading left out, as findings: UNREADABLE for the folders, board
// files and preset files that could not be used, DUPLICATE_BOARD for a
// second file of one board, MISSING_PIN for a connection map naming pins a
// component lacks. Pin files left out are the pin file rules' (they may
// name the pins that made loading refuse the file).
#include "HBOBoardInternal.h"
#include "HBOCheckInternal.h"

namespace HBOCheck {

void checkListing(const std::vector<HBODroppedItem>& dropped, Findings& findings) {
    for (const HBODroppedItem& item : dropped) {
        const std::string problem = HBOBoardInternal::describeProblem(item.path, item.line, item.reason);
        switch (item.kind) {
            case HBODroppedItem::FOLDER:
                findings.add(HBOBoardCheck::UNREADABLE, item.path, {item.path},
                             "the repository folder is left out, with every board below it: " + problem);
                break;
            case HBODroppedItem::BOARD_FILE:
                findings.add(HBOBoardCheck::UNREADABLE, item.path, {item.path},
                             "the board file is left out: " + problem);
                break;
            case HBODroppedItem::DUPLICATE_FILE:
                findings.add(HBOBoardCheck::DUPLICATE_BOARD, item.name, {item.path}, item.reason);
                break;
            default:
                break;  // a board's own items are checked with the board
        }
    }
}

void checkLeftOut(const HBOBoard& board, Findings& findings) {
    const std::string name = board.getName();
    for (const HBODroppedItem& item : board.getDroppedItems()) {
        if (item.kind == HBODroppedItem::PRESET_FILE) {
            findings.add(HBOBoardCheck::UNREADABLE, name, {item.path},
                         "the preset file is left out, so the board has no presets: " +
                             HBOBoardInternal::describeProblem(item.path, item.line, item.reason));
        } else if (item.kind == HBODroppedItem::CONNECTION_MAP) {
            const std::string where = item.line > 0 ? item.path + ", line " + std::to_string(item.line) : item.path;
            findings.add(HBOBoardCheck::MISSING_PIN, name, {item.name},
                         item.reason + "; the map is left out, with its nets (" + where + ")");
        }
    }
}

}  // namespace HBOCheck
