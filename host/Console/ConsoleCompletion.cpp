#include "ConsoleCompletion.h"

#include <algorithm>
#include <cstring>

#include "tcl_obj_ref.h"
#include "tcltasks_framework.h"
#include "tcltasks_options.h"

namespace zemconsole {

const char* const wordBreaks = " \t\n[]{};\"$";

namespace {

using tov::tcltasks::task_manager;
using tov::tcltasks::task_options_base;

// The words of the command the cursor is in, and the word being typed. A
// bracket or a brace opens a nested command (a script in braces is where
// commands are typed too); a semicolon or a newline starts the next one.
struct CommandContext {
    std::vector<std::string> words;
    std::string word;
};

CommandContext contextOf(const std::string& text) {
    std::vector<std::vector<std::string>> commands(1);
    std::string word;
    auto endWord = [&] {
        if (!word.empty()) commands.back().push_back(word);
        word.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            word += text[++i];
        } else if (c == '[' || c == '{') {
            word.clear();
            commands.emplace_back();
        } else if (c == ']' || c == '}') {
            if (commands.size() > 1) commands.pop_back();
            word = std::string(1, c);  // the nested part is a word of the outer command
        } else if (c == ';' || c == '\n') {
            word.clear();
            commands.back().clear();
        } else if (std::strchr(wordBreaks, c)) {
            endWord();
        } else {
            word += c;
        }
    }
    return {commands.back(), word};
}

// Evaluates words at global level; the result as a list, or empty. The
// interpreter's result and error information are left as they were.
std::vector<std::string> evalList(Tcl_Interp* interp, std::initializer_list<const char*> words) {
    Tcl_InterpState saved = Tcl_SaveInterpState(interp, TCL_OK);
    std::vector<tov::tcltasks::tcl_obj_ref> held;
    std::vector<Tcl_Obj*> objv;
    for (const char* word : words) {
        held.emplace_back(Tcl_NewStringObj(word, -1));
        objv.push_back(held.back().get());
    }
    std::vector<std::string> result;
    if (Tcl_EvalObjv(interp, static_cast<int>(objv.size()), objv.data(), TCL_EVAL_GLOBAL) == TCL_OK) {
        int count = 0;
        Tcl_Obj** elements = nullptr;
        if (Tcl_ListObjGetElements(nullptr, Tcl_GetObjResult(interp), &count, &elements) == TCL_OK) {
            for (int i = 0; i < count; ++i) result.emplace_back(Tcl_GetString(elements[i]));
        }
    }
    Tcl_RestoreInterpState(interp, saved);
    return result;
}

std::string globEscaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (std::strchr("*?[]\\", c)) escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::vector<std::string> commandNames(Tcl_Interp* interp, const std::string& prefix) {
    const std::string pattern = globEscaped(prefix) + "*";
    return evalList(interp, {"info", "commands", pattern.c_str()});
}

// The options of a framework command, as its option table declares them,
// with the switches every command takes; empty for any other command.
std::vector<std::string> optionNames(Tcl_Interp* interp, const std::string& command) {
    std::vector<std::string> origin = evalList(interp, {"namespace", "origin", command.c_str()});
    if (origin.size() != 1) return {};
    std::string name = origin.front();
    boost::shared_ptr<tov::tcltasks::ifactory> factory = task_manager::find_factory(name);
    if (!factory && name.compare(0, 2, "::") == 0) factory = task_manager::find_factory(name.substr(2));
    if (!factory) return {};
    boost::shared_ptr<tov::tcltasks::itask> task = factory->create();
    auto* options = dynamic_cast<task_options_base*>(task.get());
    if (!options) return {};
    std::vector<std::string> names{"-help", "-quiet"};
    for (const auto& entry : options->options().entries()) {
        if (entry.is_dashed()) names.push_back(entry.name);
    }
    return names;
}

}  // namespace

Completion complete(Tcl_Interp* interp, const std::string& text) {
    CommandContext context = contextOf(text);
    Completion completion;
    completion.word = context.word;
    std::vector<std::string> offered;
    if (context.words.empty()) {
        offered = commandNames(interp, context.word);
    } else if (context.word.empty() || context.word[0] == '-') {
        offered = optionNames(interp, context.words.front());
        completion.fileNames = offered.empty();
        // An option already given is not offered again.
        offered.erase(std::remove_if(offered.begin(), offered.end(),
                                     [&](const std::string& option) {
                                         return std::find(context.words.begin() + 1, context.words.end(), option) !=
                                                context.words.end();
                                     }),
                      offered.end());
    } else {
        completion.fileNames = true;
    }
    for (const std::string& candidate : offered) {
        if (candidate.compare(0, context.word.size(), context.word) == 0) completion.candidates.push_back(candidate);
    }
    std::sort(completion.candidates.begin(), completion.candidates.end());
    completion.candidates.erase(std::unique(completion.candidates.begin(), completion.candidates.end()),
                                completion.candidates.end());
    return completion;
}

}  // namespace zemconsole
