// get_property, list_property, report_property: the properties that the
// class registry declares for native objects.
#include <tcl.h>

#include <sstream>
#include <string>
#include <vector>

#include "HCPProperty.h"
#include "HostCommands.h"
#include "tcl_command.h"
#include "tcl_obj_ref.h"

namespace {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

using zemhost::scope;

// The class of every object given; an object of no registered class is an error.
const HCPProperty::ObjectInfo& classOf(const tclany& object) {
    const HCPProperty::ObjectInfo* info = HCPProperty::getObjectInfo(object);
    if (!info) {
        throw HEXError(
            "\"" + object.text() + "\" is not an object with properties; expected an object such as get_boards returns",
            HEXAll::Kind::type);
    }
    return *info;
}

template <class Task>
object_list objectsOf(Task& task) {
    object_list objects = task.template read_option<object_list>("objects");
    if (objects.empty()) throw HTCErrors::wrong_args(task.usage(Task::command_name));
    return objects;
}

Tcl_Obj* newString(const std::string& text) { return Tcl_NewStringObj(text.c_str(), static_cast<int>(text.size())); }

namespace get_property {
class task : public zemhost::host_task<task> {
public:
    static constexpr const char* command_name = "get_property";
    static void describe() {
        add_category("Object");
        add_category("Property");
        option_table("Get a property of objects", "the value, or a list of values for several objects")
            .add_options()
            .add_option("name", scope::string_value(), OptionDescription("Property name (case-blind)"))
            .add_option("objects", scope::object_list_value(), OptionDescription("Objects"));
        positional_table().add("name", 1).add("objects", 1);
    }
    int execute(Tcl_Interp* interp) override {
        const std::string name = read_option<std::string>("name");
        const object_list objects = objectsOf(*this);
        const tcl_obj_ref values(Tcl_NewListObj(0, nullptr));
        for (std::size_t i = 0; i < objects.size(); ++i) {
            Tcl_ListObjAppendElement(nullptr, values.get(), newString(valueOf(name, objects[i])));
        }
        Tcl_Obj* result = values.get();
        if (objects.size() == 1) Tcl_ListObjIndex(nullptr, values.get(), 0, &result);
        Tcl_SetObjResult(interp, result);
        return TCL_OK;
    }

private:
    static std::string valueOf(const std::string& name, const tclany& object) {
        const HCPProperty::ObjectInfo& info = classOf(object);
        const HCPProperty::PropertyDef* property = info.findProperty(name);
        if (!property) {
            std::string known;
            for (const auto& def : info.properties) known += (known.empty() ? "" : ", ") + def.name;
            throw HEXError(
                "unknown property \"" + name + "\" of class " + info.className + "; expected one of " + known,
                HEXAll::Kind::notfound, name);
        }
        return HCPProperty::toText(HCPProperty::getValue(object, *property));
    }
};
}  // namespace get_property

namespace list_property {
class task : public zemhost::host_task<task> {
public:
    static constexpr const char* command_name = "list_property";
    static void describe() {
        add_category("Object");
        add_category("Property");
        option_table("List the property names of an object's class", "list of property names")
            .add_options()
            .add_option("objects", scope::object_list_value(), OptionDescription("Object"));
        positional_table().add("objects", 1);
    }
    int execute(Tcl_Interp* interp) override {
        const tclany object = objectsOf(*this)[0];
        const HCPProperty::ObjectInfo& info = classOf(object);
        Tcl_Obj* names = Tcl_NewListObj(0, nullptr);
        for (const auto* property : info.propertiesOf(info.objectOf(object)))
            Tcl_ListObjAppendElement(nullptr, names, newString(property->name));
        Tcl_SetObjResult(interp, names);
        return TCL_OK;
    }
};
}  // namespace list_property

namespace report_property {
class task : public zemhost::host_task<task> {
public:
    static constexpr const char* command_name = "report_property";
    static void describe() {
        add_category("Object");
        add_category("Property");
        option_table("Report the properties of an object: name, type and value", "")
            .add_options()
            .add_option("objects", scope::object_list_value(), OptionDescription("Object"))
            .add_option("-return_string", scope::switch_value(),
                        OptionDescription("Return the report instead of printing it"));
        positional_table().add("objects", 1);
    }
    int execute(Tcl_Interp* interp) override {
        const object_list objects = objectsOf(*this);
        std::ostringstream report;
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const HCPProperty::ObjectInfo& info = classOf(objects[i]);
            std::vector<std::vector<std::string>> rows{{"Property", "Type", "Value"}};
            for (const auto* property : info.propertiesOf(info.objectOf(objects[i]))) {
                rows.push_back({property->name, HCPProperty::typeName(property->type),
                                HCPProperty::toText(HCPProperty::getValue(objects[i], *property))});
            }
            report << zemhost::format_table(rows);
        }
        return zemhost::deliver_report(interp, report.str(), read_option<bool>("return_string"));
    }
};
}  // namespace report_property

}  // namespace

void zemhost::register_property_commands(Tcl_Interp* interp) {
    register_command<get_property::task>(interp);
    register_command<list_property::task>(interp);
    register_command<report_property::task>(interp);
}
