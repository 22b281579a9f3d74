// ::tesmar::board::get_board_presets: the IP presets of the current board
// part's board, of given boards and components, or the presets a bus
// interface names through its preset procedure; narrowed by names, -ip and a
// filter.
#include "HBOCTcInit.h"
#include "HBOCTcPresetQuery.h"

namespace {
namespace common_get_board_presets {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public HBOCTcPresetQuery::preset_query<task, scope, of_types<HBOBoard*, HBOBoardComponent*, HBOBusIf*>> {
public:
    static constexpr const char* command_name = "::tesmar::board::get_board_presets";
    static constexpr query_description description = {"Gets the list of board ip preset objects",
                                                      "list of ip_presets in the board", "Object:Board",
                                                      "match parameter names against patterns", nullptr};
    static constexpr const char* source_file = "board/common/tcltasks/HBOCTcBoardIpPresets";
    static constexpr int no_board_part_line = 87;

    const char* owner() const override { return "board.common"; }

    static const HBOIpPresetMap& presets_of(const HBOBoard& board) { return board.getIpPresets(); }

    using preset_query::gather;
    // The map is keyed in capitals; the interface may write its proc name in any case.
    void gather(HBOBusIf* busIf) {
        HBOBoardComponent* owner = busIf->getOwnerComponent();
        HBOBoard* board = owner ? owner->getBoard() : nullptr;
        if (!board) return;
        const HBOIpPresetMap& presets = board->getIpPresets();
        const auto named = presets.find(HBOCTcVlnvFilter::upper_case(busIf->getPresetProcName()));
        if (named != presets.end()) append(named->second);
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_presets
}  // namespace

void HBOCTcInit::HBOCTcBoardIpPresets::init(Tcl_Interp* interp) {
    common_get_board_presets::registration::init(interp);
}

void HBOCTcInit::HBOCTcBoardIpPresets::uninit() { common_get_board_presets::registration::uninit(); }
