// help ?pattern?: the framework commands with their descriptions, or the
// usage of one command.
#include <tcl.h>

#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "HostCommands.h"
#include "HSTStringUtils.h"
#include "HTCTclPatternMatch.h"
#include "tcl_command.h"

namespace {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

using zemhost::scope;

// The command's name without leading colons, as users type it.
std::string displayName(const std::string& name) { return name.compare(0, 2, "::") == 0 ? name.substr(2) : name; }

std::string captionOf(const std::string& name) {
    boost::shared_ptr<itask> task = task_manager::find_factory(name)->create();
    auto* options = dynamic_cast<task_options_base*>(task.get());
    return options ? options->options().caption() : std::string();
}

// The collection commands are no tasks: their help comes from the
// framework's table of them.
const std::vector<collection_command_help>& collectionCommands() {
    static const std::vector<collection_command_help> commands = collection_commands_help();
    return commands;
}

const collection_command_help* collectionCommand(const std::string& word) {
    for (const collection_command_help& command : collectionCommands()) {
        if (displayName(word) == command.name) return &command;
    }
    return nullptr;
}

std::string collectionUsage(const collection_command_help& command) {
    return std::string(command.name) + " - " + command.caption + "\n\nUsage: " + command.name + " " +
           command.arguments + "\n";
}

// A command named exactly (with or without leading colons, or by its
// simple name when only one command has it).
std::string exactCommand(const std::string& word) {
    std::vector<std::string> found;
    for (const std::string& name : task_manager::registered_names()) {
        const std::string shown = displayName(name);
        const std::string simple = shown.substr(shown.rfind(':') == std::string::npos ? 0 : shown.rfind(':') + 1);
        if (shown == displayName(word)) return name;
        if (simple == word) found.push_back(name);
    }
    return found.size() == 1 ? found.front() : std::string();
}

namespace help {
class task : public zemhost::host_task<task> {
public:
    static constexpr const char* command_name = "help";
    static void describe() {
        add_category("Tools");
        option_table("List commands with their descriptions, or show the usage of one command", "")
            .add_options()
            .add_option("pattern", scope::string_value("*"),
                        OptionDescription("A command name, or a glob pattern of names"))
            .add_option("-return_string", scope::switch_value(),
                        OptionDescription("Return the text instead of printing it"));
        positional_table().add("pattern", 1);
    }
    int execute(Tcl_Interp* interp) override {
        return zemhost::deliver_report(interp, helpText(interp, read_option<std::string>("pattern")),
                                       read_option<bool>("return_string"));
    }

private:
    static std::string helpText(Tcl_Interp* interp, const std::string& pattern) {
        const std::string command = exactCommand(pattern);
        if (!command.empty()) return task_manager::find_factory(command)->create()->help(interp, "");
        if (const collection_command_help* collection = collectionCommand(pattern)) return collectionUsage(*collection);
        std::ostringstream report;
        HTCTclPatternMatch matcher(pattern, false, false, interp);
        std::size_t listed = 0;
        auto list = [&](const std::string& name, const std::string& caption) {
            if (!matcher.match(displayName(name), -1) && !matcher.match(name, -1)) return;
            report << std::left << std::setw(48) << displayName(name) << caption << "\n";
            ++listed;
        };
        for (const std::string& name : task_manager::registered_names()) list(name, captionOf(name));
        for (const collection_command_help& collection : collectionCommands())
            list(collection.name, collection.caption);
        if (listed == 0)
            throw HEXError("no command matches \"" + HSTStringUtils::excerpt(pattern) + "\"", HEXAll::Kind::notfound,
                           pattern);
        return report.str();
    }
};
}  // namespace help

}  // namespace

void zemhost::register_help_command(Tcl_Interp* interp) { register_command<help::task>(interp); }
