// Option tables and argument parsing of framework commands, on top of
// boost::program_options value semantics, with Tcl conventions:
//   - options are written with one dash (-of_objects); a unique prefix is
//     accepted, an exact name always wins;
//   - an option that takes a value always consumes the next word, even
//     one that starts with a dash;
//   - a switch may be given a value as -switch=value;
//   - "--" ends the options; every later word is positional;
//   - every command accepts -help (the usage becomes the result) and
//     -quiet (the command's messages are silenced while it runs).
#pragma once

#include <tcl.h>

#include <boost/any.hpp>
#include <boost/container/small_vector.hpp>
#include <boost/program_options/options_description.hpp>
#include <boost/program_options/value_semantic.hpp>
#include <boost/shared_ptr.hpp>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ComMsgMgr.h"

namespace tov {
namespace tcltasks {

namespace HTCTclTaskOptions {
// Texts of an option's help entry; kind: 0 option, 1 value, 2 default value.
struct Description {
    Description(std::string text_, int kind_) : text(std::move(text_)), kind(kind_) {}
    std::string text;
    int kind;
};
struct OptionDescription : Description {
    explicit OptionDescription(std::string text_) : Description(std::move(text_), 0) {}
};
struct ValueDescription : Description {
    explicit ValueDescription(std::string text_) : Description(std::move(text_), 1) {}
};
struct DefaultValueDescription : Description {
    explicit DefaultValueDescription(std::string text_) : Description(std::move(text_), 2) {}
};
}  // namespace HTCTclTaskOptions

namespace detail {
// The interpreter and the Tcl objects of the tokens being parsed: value
// semantics convert from these objects, not from the token texts. One set
// per thread: each thread parses its own commands.
struct tcl_globals {
    static thread_local Tcl_Interp* interp;
    static thread_local std::map<std::string, Tcl_Obj*> objv;
    static Tcl_Obj* object_of(const std::string& token);
};
}  // namespace detail

// Second base of every framework value semantic.
class itcl_value_semantic {
public:
    virtual ~itcl_value_semantic();
    virtual void set_option_name(const std::string& name) = 0;
    virtual const std::string& option_name() const = 0;
    virtual bool adjacent_tokens_only() const = 0;

    // The framework's own path, without token texts: parses the Tcl object
    // of one word (null for a switch given without a value) into store, as
    // parse() does. shared is the value already given when it is one the
    // semantic keeps itself (shared_implicit); parse_object may set it
    // instead of copying into store.
    virtual void parse_object(boost::any& store, const boost::any*& shared, Tcl_Obj* obj) const = 0;
    // The default as a value the semantic keeps and every task may read
    // without a copy of its own, or null (no default, a default made on each
    // use, or a value that must not be shared such as a collection).
    virtual const boost::any* shared_default() const = 0;
};

class options_description {
public:
    struct entry {
        std::string name;  // as declared: "-filter", or "patterns" for positional-only
        std::string key;   // without the dash
        boost::shared_ptr<boost::program_options::option_description> option;  // owns the semantic
        std::string description;
        std::string value_description;
        std::string default_description;
        const itcl_value_semantic* tcl = nullptr;  // the semantic's framework side, if it has one
        bool takes_no_value = false;

        const boost::program_options::value_semantic& semantic() const { return *option->semantic(); }
        bool is_switch() const { return takes_no_value; }
        bool is_dashed() const { return name.size() > 1 && name[0] == '-'; }
    };

    // What a dashed word names: an option of the table, or one of the
    // switches every command has.
    enum class builtin { none, help, quiet };
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    options_description(const std::string& description, const std::string& resultType);
    ~options_description();
    options_description(const options_description&) = delete;
    options_description& operator=(const options_description&) = delete;

    options_description& add_options() { return *this; }
    // Takes ownership of semantic.
    options_description& add_option(const char* name, const boost::program_options::value_semantic* semantic,
                                    const HTCTclTaskOptions::OptionDescription& option);
    options_description& add_option(const char* name, const boost::program_options::value_semantic* semantic,
                                    const HTCTclTaskOptions::OptionDescription& option,
                                    const HTCTclTaskOptions::ValueDescription& value,
                                    const HTCTclTaskOptions::DefaultValueDescription& defaultValue);

    const std::string& caption() const { return caption_; }
    const std::string& result_type() const { return result_type_; }
    const std::vector<entry>& entries() const { return entries_; }
    const entry* find_key(const std::string& key) const;
    // The index of the entry of key (with or without its dash), or npos.
    std::size_t index_of(const char* key) const;
    // The index of the dashed option that the first length bytes of word
    // name (exactly, else as a unique prefix), or npos with which set to the
    // builtin switch they name. Throws HTCErrors::error for an unknown or
    // ambiguous name. Makes no string unless it throws.
    std::size_t match(const char* word, std::size_t length, builtin& which) const;
    // One line per option: name, value text, description.
    std::string description() const;

    // Marks the description as the loaded one of a command until destroyed.
    void bind_command(const std::string& commandName);

private:
    std::string caption_;
    std::string result_type_;
    std::vector<entry> entries_;
    std::string bound_command_;
};

class positional_options_description {
public:
    positional_options_description& add(const char* name, int maxCount);
    // (option key, count) in order; count -1 takes all remaining words.
    const std::vector<std::pair<std::string, int>>& slots() const { return slots_; }

private:
    std::vector<std::pair<std::string, int>> slots_;
};

class task_options_base {
public:
    // Returned by parse_options when -help was answered; the command
    // procedure turns it into TCL_OK.
    static constexpr int help_shown = -1;

    task_options_base();
    virtual ~task_options_base();
    virtual options_description& options() = 0;
    virtual positional_options_description& positionals() = 0;
    virtual std::string categories() const = 0;
    virtual std::string translate(const std::string& text) const = 0;
    virtual std::string long_help_path(Tcl_Interp* interp, const std::string& name);
    virtual const char* owner() const = 0;

    // Fills the option values from objv[1..objc-1]. On an error the
    // interpreter result names the option and the value, -errorcode is set
    // (set_command_error) and TCL_ERROR is returned.
    int parse_options(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
    std::string help(Tcl_Interp* interp, const std::string& name, const std::string& text);
    // "name ?-option value? ?-switch? ... ?-quiet? ?-help? ?positional...?"
    std::string usage(const std::string& name);

    // The stored value (given or default), or null. name with or without
    // dash; a name the command does not declare throws HTCErrors::error.
    // A default is applied when it is first read.
    const boost::any* get_option_value(const std::string& name) const;
    const boost::any* get_option_value(const char* name) const;
    bool specified_option(const std::string& name) const;
    bool specified_option(const char* name) const;
    bool quiet() const { return silencer_ != nullptr; }

    // Reports a typed read that failed: a value of another type is a
    // critical warning naming the option and both types; a missing
    // value is not reported (the default applies).
    static void bad_cast(const std::string& name, const boost::any* value, const std::string& expectedType,
                         const task_options_base* options);
    [[noreturn]] static void errorDoubleInit(const std::string& commandName);

protected:
    virtual const char* command_name() const = 0;

private:
    // The value of one option in one task.
    struct option_slot {
        boost::any value;
        const boost::any* shared = nullptr;  // a value the semantic keeps, instead of value
        bool specified = false;
        bool resolved = false;  // given, or its default applied
    };
    using word_list = boost::container::small_vector<Tcl_Obj*, 8>;

    options_description& table() const;
    std::size_t declared_index(const char* name) const;
    const boost::any* resolved_value(std::size_t index) const;
    void parse_word(std::size_t index, Tcl_Obj* obj);
    void parse_dashed(Tcl_Obj* const objv[], int objc, int& i, bool& helpWanted);
    // False when words are left over.
    bool assign_positionals(const word_list& words);

    mutable boost::container::small_vector<option_slot, 10> slots_;
    mutable options_description* table_ = nullptr;
    std::unique_ptr<ComMsgMgr::Silencer> silencer_;
};

}  // namespace tcltasks
}  // namespace tov
