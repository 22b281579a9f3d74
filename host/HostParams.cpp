// set_param, get_param, report_param, reset_param: the application
// parameters of the parameter manager.
#include <tcl.h>

#include <string>
#include <vector>

#include "HostCommands.h"
#include "HPAParamMgr.h"
#include "HSTStringUtils.h"
#include "tcl_command.h"

namespace {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

using zemhost::scope;

void setResult(Tcl_Interp* interp, const std::string& text) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj(text.c_str(), static_cast<int>(text.size())));
}

// The parameter named by the "name" positional; every command here has one.
template <class Task>
std::string parameterName(const Task& task) {
    const std::string name = task.template read_option<std::string>("name");
    if (!HPAParamMgr::getParamMgr().exists(name)) {
        throw HEXError(
            "unknown parameter \"" + HSTStringUtils::excerpt(name) + "\"; see report_param for the parameters",
            HEXAll::Kind::notfound, name);
    }
    return name;
}

namespace set_param {
class task : public zemhost::host_task<task> {
public:
    static constexpr const char* command_name = "set_param";
    static void describe() {
        add_category("Tools");
        option_table("Set the value of an application parameter", "the new value")
            .add_options()
            .add_option("name", scope::string_value(), OptionDescription("Parameter name"))
            .add_option("value", scope::string_value(), OptionDescription("New value"));
        positional_table().add("name", 1).add("value", 1);
    }
    int execute(Tcl_Interp* interp) override {
        if (!specified_option("value")) throw HTCErrors::wrong_args("set_param name value");
        const std::string name = parameterName(*this);
        HPAParamMgr::getParamMgr().setValue(name, read_option<std::string>("value"));
        setResult(interp, HPAParamMgr::getParamMgr().getValue(name));
        return TCL_OK;
    }
};
}  // namespace set_param

namespace get_param {
class task : public zemhost::host_task<task> {
public:
    static constexpr const char* command_name = "get_param";
    static void describe() {
        add_category("Tools");
        option_table("Get the value of an application parameter", "the value")
            .add_options()
            .add_option("name", scope::string_value(), OptionDescription("Parameter name"));
        positional_table().add("name", 1);
    }
    int execute(Tcl_Interp* interp) override {
        setResult(interp, HPAParamMgr::getParamMgr().getValue(parameterName(*this)));
        return TCL_OK;
    }
};
}  // namespace get_param

namespace reset_param {
class task : public zemhost::host_task<task> {
public:
    static constexpr const char* command_name = "reset_param";
    static void describe() {
        add_category("Tools");
        option_table("Set an application parameter back to its default", "the default value")
            .add_options()
            .add_option("name", scope::string_value(), OptionDescription("Parameter name"));
        positional_table().add("name", 1);
    }
    int execute(Tcl_Interp* interp) override {
        const std::string name = parameterName(*this);
        HPAParamMgr::getParamMgr().reset(name);
        setResult(interp, HPAParamMgr::getParamMgr().getValue(name));
        return TCL_OK;
    }
};
}  // namespace reset_param

namespace report_param {
class task : public zemhost::host_task<task> {
public:
    static constexpr const char* command_name = "report_param";
    static void describe() {
        add_category("Tools");
        option_table("Report application parameters: name, type, value and default", "")
            .add_options()
            .add_option("pattern", scope::string_value("*"), OptionDescription("Glob pattern of parameter names"))
            .add_option("-return_string", scope::switch_value(),
                        OptionDescription("Return the report instead of printing it"));
        positional_table().add("pattern", 1);
    }
    int execute(Tcl_Interp* interp) override {
        std::vector<std::vector<std::string>> rows{{"Parameter", "Type", "Value", "Default"}};
        for (const HPAParamMgr::Param& param : HPAParamMgr::getParamMgr().list(read_option<std::string>("pattern"))) {
            rows.push_back({param.name, HPAParamMgr::typeName(param.type), param.value, param.defaultValue});
        }
        return zemhost::deliver_report(interp, zemhost::format_table(rows), read_option<bool>("return_string"));
    }
};
}  // namespace report_param

}  // namespace

void zemhost::register_param_commands(Tcl_Interp* interp) {
    register_command<set_param::task>(interp);
    register_command<get_param::task>(interp);
    register_command<reset_param::task>(interp);
    register_command<report_param::task>(interp);
}
