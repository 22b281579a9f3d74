#include "tcltasks_options.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "HSTStringUtils.h"
#include "HSTValueText.h"
#include "HTCErrors.h"
#include "tcl_obj_ref.h"
#include "tcltasks_framework.h"

namespace tov {
namespace tcltasks {

namespace po = boost::program_options;

namespace detail {
Tcl_Interp* tcl_globals::interp = nullptr;
std::map<std::string, Tcl_Obj*> tcl_globals::objv;

Tcl_Obj* tcl_globals::object_of(const std::string& token) {
    auto found = objv.find(token);
    if (found != objv.end()) return found->second;
    // A token without its object (a default text, a -switch=value suffix).
    throw HTCErrors::type_error("no Tcl object for \"" + token + "\"");
}
}  // namespace detail

itcl_value_semantic::~itcl_value_semantic() = default;

namespace {

const char* const kHelp = "-help";
const char* const kQuiet = "-quiet";

// "-1" or "-2.5" is a value, as in Tcl's own commands, not an option.
bool is_negative_number(const char* word) {
    double value = 0;
    return HSTValueText::parseDouble(word, value);
}

std::string strip_dash(const std::string& name) { return !name.empty() && name[0] == '-' ? name.substr(1) : name; }

// "a, b, or c" as Tcl's own messages list choices.
std::string choice_list(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i) text += names.size() > 2 ? ", " : " ";
        if (i && i + 1 == names.size()) text += "or ";
        text += names[i];
    }
    return text;
}

// Binds the parsing globals to one parse and clears them after it.
class token_scope {
public:
    token_scope(const std::vector<std::string>& tokens, const std::vector<Tcl_Obj*>& objects) {
        for (std::size_t i = 0; i < tokens.size() && i < objects.size(); ++i)
            detail::tcl_globals::objv[tokens[i]] = objects[i];
    }
    ~token_scope() { detail::tcl_globals::objv.clear(); }
    token_scope(const token_scope&) = delete;
    token_scope& operator=(const token_scope&) = delete;
};

}  // namespace

// ------------------------------------------------------ options_description

options_description::options_description(const std::string& description, const std::string& resultType)
    : caption_(description), result_type_(resultType), dashed_(description) {}

options_description::~options_description() {
    if (!bound_command_.empty()) taskmgr::setTaskDescriptionLoaded(bound_command_, false);
}

void options_description::bind_command(const std::string& commandName) {
    bound_command_ = commandName;
    taskmgr::setTaskDescriptionLoaded(commandName, true);
}

options_description& options_description::add_option(const char* name, const po::value_semantic* semantic,
                                                     const HTCTclTaskOptions::OptionDescription& option) {
    return add_option(name, semantic, option, HTCTclTaskOptions::ValueDescription(""),
                      HTCTclTaskOptions::DefaultValueDescription(""));
}

options_description& options_description::add_option(const char* name, const po::value_semantic* semantic,
                                                     const HTCTclTaskOptions::OptionDescription& option,
                                                     const HTCTclTaskOptions::ValueDescription& value,
                                                     const HTCTclTaskOptions::DefaultValueDescription& defaultValue) {
    entry item;
    item.name = name;
    item.key = strip_dash(item.name);
    item.option.reset(new po::option_description(item.key.c_str(), semantic, option.text.c_str()));
    item.description = option.text;
    item.value_description = value.text;
    item.default_description = defaultValue.text;
    if (auto* tcl = dynamic_cast<itcl_value_semantic*>(const_cast<po::value_semantic*>(semantic))) {
        tcl->set_option_name(item.name);
    }
    if (item.is_dashed()) dashed_.add(item.option);
    entries_.push_back(item);
    return *this;
}

const options_description::entry* options_description::find_key(const std::string& key) const {
    for (const entry& item : entries_) {
        if (item.key == key) return &item;
    }
    return nullptr;
}

const options_description::entry* options_description::match(const std::string& word,
                                                             const std::vector<std::string>& builtins,
                                                             std::string& builtinMatched) const {
    const std::string key = strip_dash(word);
    std::vector<std::string> candidates;
    for (const std::string& builtin : builtins) {
        if (builtin == word) {
            builtinMatched = builtin;
            return nullptr;
        }
        if (builtin.compare(0, word.size(), word) == 0) candidates.push_back(builtin);
    }
    const po::option_description* found = nullptr;
    try {
        found = dashed_.find_nothrow(key, true);
    } catch (const po::ambiguous_option& ambiguous) {
        for (const std::string& alternative : ambiguous.alternatives()) candidates.push_back("-" + alternative);
    }
    if (found && found->long_name() == key) return find_key(key);
    if (found) candidates.push_back("-" + found->long_name());
    if (candidates.size() == 1) {
        if (found) return find_key(found->long_name());
        builtinMatched = candidates.front();
        return nullptr;
    }
    if (!candidates.empty()) {
        throw HTCErrors::error(
            "ambiguous option \"" + HSTStringUtils::excerpt(word) + "\": must be " + choice_list(candidates),
            HEXAll::Kind::usage, word);
    }
    std::vector<std::string> all(builtins);
    for (const entry& item : entries_) {
        if (item.is_dashed()) all.push_back(item.name);
    }
    throw HTCErrors::error("bad option \"" + HSTStringUtils::excerpt(word) + "\": must be " + choice_list(all),
                           HEXAll::Kind::usage, word);
}

std::string options_description::description() const {
    std::ostringstream text;
    for (const entry& item : entries_) {
        std::string head = "  " + item.name;
        if (!item.is_switch()) head += " " + item.semantic().name();
        text << head;
        if (head.size() < 28) text << std::string(28 - head.size(), ' ');
        else text << "\n" << std::string(28, ' ');
        text << item.description << "\n";
        if (!item.value_description.empty()) text << std::string(28, ' ') << item.value_description << "\n";
    }
    return text.str();
}

// --------------------------------------------- positional_options_description

positional_options_description& positional_options_description::add(const char* name, int maxCount) {
    slots_.emplace_back(strip_dash(name), maxCount);
    return *this;
}

// ------------------------------------------------------- task_options_base

task_options_base::task_options_base() = default;
task_options_base::~task_options_base() = default;

std::string task_options_base::long_help_path(Tcl_Interp*, const std::string& name) {
    // Extended help lives in $ZEM_HELP_DIR/<name without leading colons, "::" as "_">.txt.
    const char* dir = std::getenv("ZEM_HELP_DIR");
    if (!dir || !*dir) return std::string();
    std::string file = name.substr(name.find_first_not_of(':') == std::string::npos ? 0 : name.find_first_not_of(':'));
    for (std::size_t at = file.find("::"); at != std::string::npos; at = file.find("::", at)) file.replace(at, 2, "_");
    return std::string(dir) + "/" + file + ".txt";
}

std::string task_options_base::usage(const std::string& name) {
    std::string line = name;
    for (const auto& item : options().entries()) {
        if (item.is_dashed()) line += " ?" + item.name + (item.is_switch() ? "" : " value") + "?";
    }
    line += " ?-quiet? ?-help?";
    for (const auto& slot : positionals().slots()) line += " ?" + slot.first + (slot.second < 0 ? "...?" : "?");
    return line;
}

std::string task_options_base::help(Tcl_Interp* interp, const std::string& name, const std::string& text) {
    options_description& table = options();
    std::ostringstream out;
    out << name << " - " << table.caption() << "\n\nUsage: " << usage(name);
    out << "\n\nOptions:\n" << table.description();
    out << "  -quiet                    Do not report messages while the command runs\n";
    out << "  -help                     Show this text\n";
    if (!table.result_type().empty()) out << "\nReturns: " << table.result_type() << "\n";
    std::string categories = this->categories();
    std::replace(categories.begin(), categories.end(), ':', ' ');
    if (!categories.empty()) out << "Categories: " << categories << "\n";
    if (!text.empty()) out << "\n" << text << "\n";
    const std::string path = long_help_path(interp, name);
    if (!path.empty()) {
        std::ifstream file(path);
        if (file) out << "\n" << file.rdbuf();
    }
    return out.str();
}

void task_options_base::parse_word(const options_description::entry& entry, const std::vector<std::string>& tokens,
                                   const std::vector<Tcl_Obj*>& objects) {
    token_scope scope(tokens, objects);
    entry.semantic().parse(values_[entry.key], tokens, true);
    specified_.insert(entry.key);
}

int task_options_base::parse_options(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    detail::tcl_globals::interp = interp;
    const options_description& table = options();
    const std::vector<std::string> builtins{kHelp, kQuiet};
    std::vector<Tcl_Obj*> positional;
    bool helpWanted = false;
    try {
        bool optionsEnded = false;
        for (int i = 1; i < objc; ++i) {
            int length = 0;
            const char* word = Tcl_GetStringFromObj(objv[i], &length);
            if (optionsEnded || length < 2 || word[0] != '-' || is_negative_number(word)) {
                positional.push_back(objv[i]);
                continue;
            }
            const std::string text(word, static_cast<std::size_t>(length));
            if (text == "--") {
                optionsEnded = true;
                continue;
            }
            const std::size_t equals = text.find('=');
            const std::string name = text.substr(0, equals);
            std::string builtin;
            const options_description::entry* entry = table.match(name, builtins, builtin);
            if (!entry) {
                if (equals != std::string::npos)
                    throw HTCErrors::invalid_option_value(builtin, text.substr(equals + 1));
                if (builtin == kHelp) helpWanted = true;
                if (builtin == kQuiet && !silencer_) silencer_.reset(new ComMsgMgr::Silencer);
                continue;
            }
            if (entry->is_switch()) {
                std::vector<std::string> tokens;
                std::vector<Tcl_Obj*> objects;
                tcl_obj_ref value;
                if (equals != std::string::npos) {
                    tokens.push_back(text.substr(equals + 1));
                    value = tcl_obj_ref(Tcl_NewStringObj(tokens.back().c_str(), -1));
                    objects.push_back(value.get());
                }
                parse_word(*entry, tokens, objects);
                continue;
            }
            if (equals != std::string::npos) {
                throw HTCErrors::error("bad option \"" + HSTStringUtils::excerpt(text) + "\": " + entry->name +
                                           " takes its value as the next word",
                                       HEXAll::Kind::usage, entry->name);
            }
            if (i + 1 >= objc) throw HTCErrors::wrong_args(usage(Tcl_GetString(objv[0])), entry->name);
            ++i;
            parse_word(*entry, {Tcl_GetString(objv[i])}, {objv[i]});
        }
        if (helpWanted) {
            Tcl_SetObjResult(interp, Tcl_NewStringObj(help(interp, command_name(), "").c_str(), -1));
            return help_shown;
        }
        if (!assign_positionals(positional)) throw HTCErrors::wrong_args(usage(Tcl_GetString(objv[0])));
        apply_defaults();
    } catch (const std::exception& error) {
        return set_command_error(interp, command_name(), error);
    }
    return TCL_OK;
}

bool task_options_base::assign_positionals(const std::vector<Tcl_Obj*>& words) {
    std::size_t next = 0;
    for (const auto& slot : positionals().slots()) {
        const options_description::entry* entry = options().find_key(slot.first);
        if (!entry) throw HTCErrors::error("positional \"" + slot.first + "\" has no option");
        const std::size_t count = slot.second < 0 ? words.size() - next : static_cast<std::size_t>(slot.second);
        for (std::size_t taken = 0; taken < count && next < words.size(); ++taken, ++next) {
            parse_word(*entry, {Tcl_GetString(words[next])}, {words[next]});
        }
    }
    return next == words.size();
}

void task_options_base::apply_defaults() {
    for (const auto& item : options().entries()) {
        if (specified_.count(item.key)) continue;
        boost::any value;
        if (item.semantic().apply_default(value)) values_[item.key] = value;
    }
}

// A command that reads an option it never declared has a misspelt name:
// fail at once rather than let the default stand in silently.
std::string task_options_base::declared_key(const std::string& name) const {
    std::string key = strip_dash(name);
    if (!const_cast<task_options_base*>(this)->options().find_key(key)) {
        throw HTCErrors::error("command \"" + std::string(command_name()) + "\" reads option \"" + name +
                               "\", which it does not declare");
    }
    return key;
}

const boost::any* task_options_base::get_option_value(const std::string& name) const {
    auto found = values_.find(declared_key(name));
    return found == values_.end() ? nullptr : &found->second;
}

bool task_options_base::specified_option(const std::string& name) const {
    return specified_.count(declared_key(name)) > 0;
}

void task_options_base::bad_cast(const std::string& name, const boost::any* value, const std::string& expectedType,
                                 const task_options_base* options) {
    if (!value || value->empty()) return;
    static const bool catalogued =
        (ComMsgMgr::addCatalogueText("@48-90@", "%s: option \"%s\" holds a value of type %s where %s was expected"),
         true);
    (void)catalogued;
    const std::string command = options ? options->command_name() : "unknown";
    ComMsgMgr::sendMsg::eval(4, __FILE__, __LINE__, "common", HMSG_MASK_CRITICAL_WARNING, "@48-90@", command.c_str(),
                             name.c_str(), value->type().name(), expectedType.c_str());
}

void task_options_base::errorDoubleInit(const std::string& commandName) {
    throw HTCErrors::error("the options of command \"" + commandName + "\" were described twice");
}

}  // namespace tcltasks
}  // namespace tov
