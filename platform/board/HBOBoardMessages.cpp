// Repository warnings: catalogue texts added on first use, sent with the
// board area and the warning mask.
#include <string>

#include "ComMsgMgr.h"
#include "HBOBoardInternal.h"

namespace {

const char* const kBadFile = "@49-90@";
const char* const kDuplicate = "@49-91@";
const char* const kMissingFolder = "@49-92@";
const char* const kSourceFile = "platform/board/HBOBoardMessages.cpp";

void addTexts() {
    static const bool added = [] {
        ComMsgMgr::addCatalogueText(kBadFile, "Cannot use board data %s; it is left out.");
        ComMsgMgr::addCatalogueText(kDuplicate, "Board %s is defined twice: %s is used, %s is ignored.");
        ComMsgMgr::addCatalogueText(kMissingFolder,
                                    "Board repository folder %s does not exist or is not a folder; it is skipped.");
        return true;
    }();
    (void)added;
}

}  // namespace

namespace HBOBoardInternal {

std::string describeProblem(const std::string& file, int line, const std::string& reason) {
    std::string where = line > 0 ? file + ", line " + std::to_string(line) : file;
    return where + ": " + reason;
}

void warnBadFile(const std::string& file, int line, const std::string& reason) {
    addTexts();
    std::string text = describeProblem(file, line, reason);
    ComMsgMgr::sendMsg::eval(1, kSourceFile, __LINE__, "board", HMSG_MASK_WARNING, kBadFile, text.c_str());
}

void warnDuplicateBoard(const std::string& name, const std::string& kept, const std::string& ignored) {
    addTexts();
    ComMsgMgr::sendMsg::eval(3, kSourceFile, __LINE__, "board", HMSG_MASK_WARNING, kDuplicate, name.c_str(),
                             kept.c_str(), ignored.c_str());
}

void warnMissingFolder(const std::string& folder) {
    addTexts();
    ComMsgMgr::sendMsg::eval(1, kSourceFile, __LINE__, "board", HMSG_MASK_WARNING, kMissingFolder, folder.c_str());
}

}  // namespace HBOBoardInternal
