// Registration of the host commands, one function per group.
#pragma once

#include <tcl.h>

#include <string>
#include <vector>

#include "tcl_command.h"

namespace zemhost {

// The host commands share one set of scope tags: their native types are the
// host's own.
struct tcl_extension {};
struct tuid {};
using scope = tov::tcltasks::tcl_scope<tcl_extension, tuid>;

// Base of every host command task.
template <class T>
class host_task : public tov::tcltasks::HTCITaskHelper<T> {
public:
    const char* owner() const override { return "host"; }
};

template <class Task>
void register_command(Tcl_Interp* interp) {
    tov::tcltasks::command_registration<Task, tov::tcltasks::HTCIFactoryHelper<Task>>::init(interp);
}

void register_board_part_command(Tcl_Interp* interp);  // current_board_part
void register_param_commands(Tcl_Interp* interp);      // set_param get_param report_param reset_param
void register_property_commands(Tcl_Interp* interp);   // get_property list_property report_property
void register_help_command(Tcl_Interp* interp);        // help

// Rows as columns wide enough for their longest cell, two blanks apart.
std::string format_table(const std::vector<std::vector<std::string>>& rows);

// The report as the result (the -return_string switch) or printed the way
// "puts" would, so scripts and tests can redirect it; returns TCL_OK.
int deliver_report(Tcl_Interp* interp, const std::string& text, bool returnString);

}  // namespace zemhost
