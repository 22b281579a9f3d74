// The diagram a trace goes through, and the report of a bit
// that reaches no FPGA pin.
#include "HBOCTcSignalTrace.h"

#include <vector>

#include "ComMsgMgr.h"
#include "HBOBoardDiagramMgr.h"
#include "HBOBoardUtils.h"
#include "HTCErrors.h"

namespace {

const char* const source_file = "board/common/tcltasks/support/HBOCTcSignalTrace";

HBOBoard* opened_diagram(const std::string& name) {
    std::vector<HBOBoard*> opened;
    HBOBoardDiagramMgr::getGlobal()->getOpenedBoardDiagrams(opened);
    for (HBOBoard* diagram : opened)
        if (diagram->getName() == name) return diagram;
    std::vector<std::string> names;
    for (const HBOBoard* diagram : opened) names.push_back(diagram->getName());
    throw HTCErrors::error("no opened board diagram is named \"" + name + "\"; opened: " +
                               (names.empty() ? std::string("none") : HBOCTcSignalTrace::excerpt_list(names)),
                           HEXAll::Kind::notfound, "-diagram");
}

}  // namespace

namespace HBOCTcSignalTrace {

diagram_use choose_diagram(const diagram_choice* given) {
    const bool integration = HBOBoardUtils::isBoardIntegraterSupportEnabled();
    if (!given) return {integration ? HBOBoardDiagramMgr::getGlobal()->getCurrentBoardDiagram() : nullptr, false};
    if (!given->board && given->name.empty()) return {nullptr, false};
    if (!integration) {
        throw HTCErrors::error(
            "integrated board support is disabled (parameter board.enableIntegration), so -diagram "
            "cannot be used",
            HEXAll::Kind::value, "-diagram");
    }
    if (!given->board) return {opened_diagram(given->name), true};
    if (!given->board->isIntegratedBoard()) {
        throw HTCErrors::error("-diagram takes an integrated board diagram; " + given->board->getName() + " is not one",
                               HEXAll::Kind::value, "-diagram");
    }
    return {given->board, true};
}

const char* diagram_help() {
    return "The board diagram to trace through: a diagram object or the name of an opened diagram; the current "
           "diagram when not given, none when empty";
}

void report_unreached(const HBOSignalBit& bit, const HBOPinTraceResult& result) {
    const std::string what = bit.describe();
    const std::string where = excerpt_list(result.stops, 3, "; ");
    ComMsgMgr::sendMsg::eval(2, source_file, __LINE__, "board", HMSG_MASK_WARNING, "@49-120@", what.c_str(),
                             where.c_str());
}

std::string excerpt_list(const std::vector<std::string>& texts, std::size_t limit, const char* separator) {
    std::string joined;
    for (std::size_t i = 0; i < texts.size() && i < limit; ++i) joined += (i ? separator : "") + texts[i];
    if (texts.size() > limit) joined += std::string(separator) + "... (" + std::to_string(texts.size()) + " in all)";
    return joined;
}

}  // namespace HBOCTcSignalTrace
