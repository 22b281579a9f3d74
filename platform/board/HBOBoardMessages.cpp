// Repository warnings: catalogue texts added on first use, sent with the
// board area and the warning mask.

#include <string>

#include "ComMsgMgr.h"
#include "HBOBoardInternal.h"
#include "HSTStringUtils.h"

namespace {

const char* const kBadFile = "@49-90@";
const char* const kDuplicate = "@49-91@";
const char* const kMissingFolder = "@49-92@";
const char* const kUnreadableFolder = "@49-93@";
const char* const kEmptyFolderName = "@49-94@";
const char* const kSourceFile = "platform/board/HBOBoardMessages.cpp";

void addTexts() {
    static const bool added = [] {
        ComMsgMgr::addCatalogueText(kBadFile, "Cannot use board data %s; it is left out.");
        ComMsgMgr::addCatalogueText(kDuplicate, "Board %s is defined twice: %s is used, %s is ignored.");
        ComMsgMgr::addCatalogueText(kMissingFolder,
                                    "Board repository folder %s does not exist or is not a folder; it is skipped.");
        ComMsgMgr::addCatalogueText(kUnreadableFolder,
                                    "Board repository folder %s cannot be read: %s; the boards below it are left out.");
        ComMsgMgr::addCatalogueText(kEmptyFolderName,
                                    "The parameter board.repoPaths holds an empty folder name; it is skipped.");
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
    std::string text = describeProblem(HSTStringUtils::excerpt(file), line, reason);
    ComMsgMgr::sendMsg::eval(1, kSourceFile, __LINE__, "board", HMSG_MASK_WARNING, kBadFile, text.c_str());
}

void warn(const Problem& problem) {
    addTexts();
    switch (problem.kind) {
        case Problem::BadFile:
            warnBadFile(problem.path, problem.line, problem.reason);
            break;
        case Problem::Duplicate:
            ComMsgMgr::sendMsg::eval(3, kSourceFile, __LINE__, "board", HMSG_MASK_WARNING, kDuplicate,
                                     problem.reason.c_str(), problem.other.c_str(), problem.path.c_str());
            break;
        case Problem::MissingFolder:
            ComMsgMgr::sendMsg::eval(1, kSourceFile, __LINE__, "board", HMSG_MASK_WARNING, kMissingFolder,
                                     HSTStringUtils::excerpt(problem.path).c_str());
            break;
        case Problem::UnreadableFolder:
            ComMsgMgr::sendMsg::eval(2, kSourceFile, __LINE__, "board", HMSG_MASK_WARNING, kUnreadableFolder,
                                     HSTStringUtils::excerpt(problem.path).c_str(), problem.reason.c_str());
            break;
        case Problem::EmptyFolderName:
            ComMsgMgr::sendMsg::eval(0, kSourceFile, __LINE__, "board", HMSG_MASK_WARNING, kEmptyFolderName);
            break;
    }
}

}  // namespace HBOBoardInternal
