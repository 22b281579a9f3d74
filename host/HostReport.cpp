// Report output of the host commands.
#include <algorithm>
#include <sstream>

#include "HEXAll.h"
#include "HostCommands.h"

std::string zemhost::format_table(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    std::ostringstream table;
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            table << row[column];
            if (column + 1 < row.size()) table << std::string(widths[column] - row[column].size() + 2, ' ');
        }
        table << "\n";
    }
    return table.str();
}

namespace {

void print_report(Tcl_Interp* interp, const std::string& text) {
    const tov::tcltasks::tcl_obj_ref command(Tcl_NewListObj(0, nullptr));
    Tcl_ListObjAppendElement(nullptr, command.get(), Tcl_NewStringObj("puts", -1));
    Tcl_ListObjAppendElement(nullptr, command.get(), Tcl_NewStringObj("-nonewline", -1));
    Tcl_ListObjAppendElement(nullptr, command.get(), Tcl_NewStringObj(text.c_str(), static_cast<int>(text.size())));
    const int status = Tcl_EvalObjEx(interp, command.get(), TCL_EVAL_GLOBAL);
    if (status != TCL_OK) throw HEXError(Tcl_GetStringResult(interp));
    Tcl_ResetResult(interp);
}

}  // namespace

int zemhost::deliver_report(Tcl_Interp* interp, const std::string& text, bool returnString) {
    if (returnString) {
        Tcl_SetObjResult(interp, Tcl_NewStringObj(text.c_str(), static_cast<int>(text.size())));
    } else {
        print_report(interp, text);
    }
    return TCL_OK;
}
