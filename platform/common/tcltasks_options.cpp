#include "tcltasks_options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "HSTStringUtils.h"
#include "HSTValueText.h"
#include "HTCErrors.h"
#include "tcl_obj_ref.h"
#include "tcl_value_text.h"
#include "tcltasks_framework.h"

namespace tov {
namespace tcltasks {

namespace po = boost::program_options;

namespace detail {
thread_local Tcl_Interp* tcl_globals::interp = nullptr;
thread_local std::map<std::string, Tcl_Obj*> tcl_globals::objv;

Tcl_Obj* tcl_globals::object_of(const std::string& token) {
    auto found = objv.find(token);
    if (found != objv.end()) return found->second;
    // A token without its object (a default text, a -switch=value suffix).
    throw HTCErrors::type_error("no Tcl object for \"" + HSTStringUtils::excerpt(token) + "\"");
}
}  // namespace detail

itcl_value_semantic::~itcl_value_semantic() = default;

namespace {

struct builtin_switch {
    const char* name;
    options_description::builtin which;
};
const builtin_switch kBuiltins[] = {{"-help", options_description::builtin::help},
                                    {"-quiet", options_description::builtin::quiet}};

// "-1" or "-2.5" (or "-inf") is a value, as in Tcl's own commands, not an
// option. Only a word whose second character may start a number is parsed.
bool is_negative_number(const char* word) {
    const char second = word[1];
    if (!std::isdigit(static_cast<unsigned char>(second)) && second != '.' && second != 'i' && second != 'I') {
        return false;
    }
    double value = 0;
    return HSTValueText::parseDouble(word, value);
}

std::string strip_dash(const std::string& name) { return !name.empty() && name[0] == '-' ? name.substr(1) : name; }

const char* without_dash(const char* name) { return *name == '-' ? name + 1 : name; }

// Whether the first length bytes of word begin name.
bool starts(const std::string& name, const char* word, std::size_t length) {
    return name.size() >= length && name.compare(0, length, word, length) == 0;
}

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

// A word that stands for model objects (an object, a collection, or a list
// of objects as commands return under "tcl.disableCollections") is
// positional, also when its text starts with a dash (a vendor "-x"). A
// literal has no type, so only typed words need the caches asked.
bool is_object_word(Tcl_Obj* obj) {
    if (!obj->typePtr) return false;
    if (detail::find_native_typeinfo(obj)) return true;
    static const Tcl_ObjType* listType = Tcl_GetObjType("list");
    if (obj->typePtr != listType) return false;
    int count = 0;
    Tcl_Obj** elements = nullptr;
    Tcl_ListObjGetElements(nullptr, obj, &count, &elements);
    return count > 0 && elements[0]->typePtr && detail::find_native_typeinfo(elements[0]);
}

// Whether a word may name an option: it has a text that starts with a dash
// and is no negative number, and it is no model object. A list nested too
// deep to have a text is a value.
bool may_be_option(Tcl_Obj* obj, const char*& word, int& length) {
    if (!has_safe_text(obj)) return false;
    word = Tcl_GetStringFromObj(obj, &length);
    return length >= 2 && word[0] == '-' && !is_negative_number(word) && !is_object_word(obj);
}

}  // namespace

// ------------------------------------------------------ options_description

options_description::options_description(const std::string& description, const std::string& resultType)
    : caption_(description), result_type_(resultType) {}

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
    item.takes_no_value = semantic->max_tokens() == 0;
    if (auto* tcl = dynamic_cast<itcl_value_semantic*>(const_cast<po::value_semantic*>(semantic))) {
        tcl->set_option_name(item.name);
        item.tcl = tcl;
    }
    entries_.push_back(item);
    return *this;
}

const options_description::entry* options_description::find_key(const std::string& key) const {
    const std::size_t index = index_of(key.c_str());
    return index == npos ? nullptr : &entries_[index];
}

std::size_t options_description::index_of(const char* key) const {
    key = without_dash(key);
    const std::size_t length = std::strlen(key);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const std::string& candidate = entries_[i].key;
        if (candidate.size() == length && std::memcmp(candidate.data(), key, length) == 0) return i;
    }
    return npos;
}

std::size_t options_description::match(const char* word, std::size_t length, builtin& which) const {
    which = builtin::none;
    std::size_t found = npos;
    std::size_t candidates = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const entry& item = entries_[i];
        if (!item.is_dashed() || !starts(item.name, word, length)) continue;
        if (item.name.size() == length) return i;
        found = i;
        ++candidates;
    }
    for (const builtin_switch& builtin : kBuiltins) {
        const std::string name = builtin.name;
        if (!starts(name, word, length)) continue;
        if (name.size() == length) {
            which = builtin.which;
            return npos;
        }
        which = builtin.which;
        ++candidates;
    }
    if (candidates == 1) {
        if (found != npos) which = builtin::none;
        return found;
    }
    // The error path: the names are built only now.
    const std::string given(word, length);
    std::vector<std::string> names;
    for (const entry& item : entries_) {
        if (item.is_dashed() && (candidates == 0 || starts(item.name, word, length))) names.push_back(item.name);
    }
    for (const builtin_switch& builtin : kBuiltins) {
        if (candidates == 0 || starts(builtin.name, word, length)) names.push_back(builtin.name);
    }
    const char* problem = candidates == 0 ? "bad option \"" : "ambiguous option \"";
    throw HTCErrors::error(problem + HSTStringUtils::excerpt(given) + "\": must be " + choice_list(names),
                           HEXAll::Kind::usage, given);
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

void task_options_base::parse_word(std::size_t index, Tcl_Obj* obj) {
    const options_description::entry& entry = table().entries()[index];
    // Every value's text must be safe to build, whichever semantic reads it.
    if (obj && !has_safe_text(obj)) {
        throw HTCErrors::error("invalid value \"" + excerpt_of(obj) + "\" for option \"" + entry.name +
                                   "\": it nests lists more than " + std::to_string(max_text_nesting) + " deep",
                               HEXAll::Kind::value, entry.name);
    }
    option_slot& slot = slots_[index];
    if (entry.tcl) {
        entry.tcl->parse_object(slot.value, slot.shared, obj);
    } else {
        // A plain boost value semantic reads token texts.
        std::vector<std::string> tokens;
        std::vector<Tcl_Obj*> objects;
        if (obj) {
            tokens.emplace_back(safe_string(obj));
            objects.push_back(obj);
        }
        token_scope scope(tokens, objects);
        entry.semantic().parse(slot.value, tokens, true);
    }
    slot.specified = slot.resolved = true;
}

// The command's option table, asked for once per task.
options_description& task_options_base::table() const {
    if (!table_) table_ = &const_cast<task_options_base*>(this)->options();
    return *table_;
}

// One dashed word at objv[i] (and its value, which it consumes).
void task_options_base::parse_dashed(Tcl_Obj* const objv[], int objc, int& i, bool& helpWanted) {
    int length = 0;
    const char* word = Tcl_GetStringFromObj(objv[i], &length);
    const char* equals = static_cast<const char*>(std::memchr(word, '=', static_cast<std::size_t>(length)));
    const std::size_t nameLength = equals ? static_cast<std::size_t>(equals - word) : static_cast<std::size_t>(length);
    options_description::builtin which = options_description::builtin::none;
    const std::size_t index = table().match(word, nameLength, which);
    if (index == options_description::npos) {
        const char* name = which == options_description::builtin::help ? "-help" : "-quiet";
        if (equals) throw HTCErrors::invalid_option_value(name, equals + 1);
        if (which == options_description::builtin::help) helpWanted = true;
        if (which == options_description::builtin::quiet && !silencer_) silencer_.reset(new ComMsgMgr::Silencer);
        return;
    }
    const options_description::entry& entry = table().entries()[index];
    if (entry.is_switch()) {
        if (!equals) return parse_word(index, nullptr);
        const tcl_obj_ref value(Tcl_NewStringObj(equals + 1, static_cast<int>(word + length - equals - 1)));
        return parse_word(index, value.get());
    }
    if (equals) {
        throw HTCErrors::error("bad option \"" + HSTStringUtils::excerpt(word, static_cast<std::size_t>(length)) +
                                   "\": " + entry.name + " takes its value as the next word",
                               HEXAll::Kind::usage, entry.name);
    }
    if (i + 1 >= objc) throw HTCErrors::wrong_args(usage(Tcl_GetString(objv[0])), entry.name);
    parse_word(index, objv[++i]);
}

int task_options_base::parse_options(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    detail::tcl_globals::interp = interp;
    slots_.assign(table().entries().size(), option_slot());
    word_list positional;
    bool helpWanted = false;
    try {
        bool optionsEnded = false;
        for (int i = 1; i < objc; ++i) {
            const char* word = nullptr;
            int length = 0;
            if (optionsEnded || !may_be_option(objv[i], word, length)) {
                positional.push_back(objv[i]);
            } else if (length == 2 && word[1] == '-') {
                optionsEnded = true;
            } else {
                parse_dashed(objv, objc, i, helpWanted);
            }
        }
        if (helpWanted) {
            Tcl_SetObjResult(interp, Tcl_NewStringObj(help(interp, command_name(), "").c_str(), -1));
            return help_shown;
        }
        if (!assign_positionals(positional)) throw HTCErrors::wrong_args(usage(Tcl_GetString(objv[0])));
    } catch (const std::exception& error) {
        return set_command_error(interp, command_name(), error);
    }
    return TCL_OK;
}

bool task_options_base::assign_positionals(const word_list& words) {
    std::size_t next = 0;
    for (const auto& slot : positionals().slots()) {
        const std::size_t index = table().index_of(slot.first.c_str());
        if (index == options_description::npos)
            throw HTCErrors::error("positional \"" + slot.first + "\" has no option");
        const std::size_t count = slot.second < 0 ? words.size() - next : static_cast<std::size_t>(slot.second);
        for (std::size_t taken = 0; taken < count && next < words.size(); ++taken, ++next)
            parse_word(index, words[next]);
    }
    return next == words.size();
}

// A command that reads an option it never declared has a misspelt name:
// fail at once rather than let the default stand in silently.
std::size_t task_options_base::declared_index(const char* name) const {
    const std::size_t index = table().index_of(name);
    if (index == options_description::npos) {
        throw HTCErrors::error("command \"" + std::string(command_name()) + "\" reads option \"" + name +
                               "\", which it does not declare");
    }
    return index;
}

// Defaults are applied when first read: a command that never reads an
// option it was not given pays nothing for its default.
const boost::any* task_options_base::resolved_value(std::size_t index) const {
    if (slots_.size() <= index) slots_.resize(table().entries().size());
    option_slot& slot = slots_[index];
    if (!slot.resolved) {
        slot.resolved = true;
        const options_description::entry& entry = table().entries()[index];
        slot.shared = entry.tcl ? entry.tcl->shared_default() : nullptr;
        if (!slot.shared) entry.semantic().apply_default(slot.value);
    }
    if (slot.shared) return slot.shared;
    return slot.value.empty() ? nullptr : &slot.value;
}

const boost::any* task_options_base::get_option_value(const std::string& name) const {
    return get_option_value(name.c_str());
}

const boost::any* task_options_base::get_option_value(const char* name) const {
    return resolved_value(declared_index(name));
}

bool task_options_base::specified_option(const std::string& name) const { return specified_option(name.c_str()); }

bool task_options_base::specified_option(const char* name) const {
    const std::size_t index = declared_index(name);
    return index < slots_.size() && slots_[index].specified;
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
