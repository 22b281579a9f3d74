// What the two preset commands share: the -ip option and its filter, the
// current board part as the default, and a board's presets taken from one of
// its preset maps. A command supplies its map and where it reports a missing
// board part.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "HBOBoardModel.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcBoardTaskUtils.h"
#include "HBOCTcVlnvFilter.h"
#include "tcl_query.h"

namespace HBOCTcPresetQuery {

// T supplies, besides what query_task asks for:
//   static const HBOIpPresetMap& presets_of(const HBOBoard&);
//   static constexpr const char* source_file;
//   static constexpr int no_board_part_line;
template <class T, class Scope, class OfTypes>
class preset_query : public tov::tcltasks::query_task<T, Scope, HBOIpPreset*, OfTypes> {
public:
    static void describe_extra(tov::tcltasks::options_description& table) {
        table.add_option("-ip", Scope::string_value(),
                         tov::tcltasks::HTCTclTaskOptions::OptionDescription("Filter list with ip vlnv"));
    }

    // A malformed -ip value is an error whatever is gathered.
    int check(Tcl_Interp*) {
        const std::string ip = this->template read_option<std::string>("ip");
        if (!ip.empty()) vlnv_.emplace("-ip", ip);
        return TCL_OK;
    }

    void gather_default(Tcl_Interp* interp) {
        HBOBoardComponent* part = HBOCTcBoardTaskUtils::get_current_board_part(interp);
        if (!part) return HBOCTcBoardQuery::send(T::source_file, T::no_board_part_line, 0x20000000, "@49-53@");
        gather(part);
    }

    void gather(HBOBoard* board) {
        for (const auto& entry : T::presets_of(*board)) append(entry.second);
    }
    // A component of no board contributes nothing.
    void gather(HBOBoardComponent* component) {
        if (HBOBoard* board = component->getBoard()) gather(board);
    }

    // Patterns match the preset's name (its proc or rule), not the IP's.
    static std::string name_of(HBOIpPreset* preset) { return preset->getPresetName(); }

    void narrow_named() {
        if (vlnv_) this->result() = vlnv_->apply(this->result());
    }

protected:
    void append(const std::vector<HBOIpPreset*>& presets) {
        std::vector<HBOIpPreset*>& gathered = this->result().get();
        gathered.insert(gathered.end(), presets.begin(), presets.end());
    }

private:
    std::optional<HBOCTcVlnvFilter> vlnv_;
};

}  // namespace HBOCTcPresetQuery
