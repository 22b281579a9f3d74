#include "ConsoleTerminal.h"

#ifdef ZEM_HAVE_READLINE

#include <fcntl.h>
#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ConsoleCompletion.h"
#include "ConsoleInput.h"
#include "tcl_obj_ref.h"

namespace zemconsole {

namespace {

const int historyLength = 1000;

struct Console {
    Tcl_Interp* interp = nullptr;
    ConsoleInput input;
    std::string historyFile;
    bool done = false;
    int interruptPipe[2] = {-1, -1};
};

Console console;

// Readline calls this for each match in turn; state 0 starts a new list.
char* nextCandidate(const char*, int state) {
    static std::vector<std::string> candidates;
    static std::size_t next = 0;
    if (state == 0) {
        const std::string before = console.input.text() + std::string(rl_line_buffer, rl_point);
        candidates = complete(console.interp, before).candidates;
        next = 0;
    }
    return next < candidates.size() ? strdup(candidates[next++].c_str()) : nullptr;
}

char** attemptCompletion(const char* text, int, int) {
    const std::string before = console.input.text() + std::string(rl_line_buffer, rl_point);
    if (complete(console.interp, before).fileNames) return nullptr;  // readline's file names
    rl_attempted_completion_over = 1;
    return rl_completion_matches(text, nextCandidate);
}

void flushStandardChannels() {
    for (int type : {TCL_STDOUT, TCL_STDERR}) {
        if (Tcl_Channel channel = Tcl_GetStdChannel(type)) Tcl_Flush(channel);
    }
}

void writeLine(int type, Tcl_Obj* text) {
    Tcl_Channel channel = Tcl_GetStdChannel(type);
    if (!channel) return;
    Tcl_WriteObj(channel, text);
    Tcl_WriteChars(channel, "\n", 1);
}

void remember(const std::string& command) {
    if (command.find_first_not_of(" \t\n") == std::string::npos) return;
    HIST_ENTRY* last = history_length > 0 ? history_get(history_base + history_length - 1) : nullptr;
    if (last && command == last->line) return;
    add_history(command.c_str());
    if (!console.historyFile.empty()) append_history(1, console.historyFile.c_str());
}

// As tclsh: the result when there is one, an error's text on stderr (its
// errorInfo stays for the user to look at).
void evaluate(const std::string& command) {
    const tov::tcltasks::tcl_obj_ref script(Tcl_NewStringObj(command.c_str(), static_cast<int>(command.size())));
    const int code = Tcl_RecordAndEvalObj(console.interp, script.get(), TCL_EVAL_GLOBAL);
    Tcl_Obj* result = Tcl_GetObjResult(console.interp);
    if (code != TCL_OK) {
        writeLine(TCL_STDERR, result);
    } else if (Tcl_GetCharLength(result) > 0) {
        writeLine(TCL_STDOUT, result);
    }
    flushStandardChannels();
}

void readCharacter(ClientData, int);
void interrupted(ClientData, int);

// While a command runs, the terminal and stdin are its own; Ctrl-C then
// stops boardsh, as it stops tclsh.
void listen(bool on) {
    const bool interruptible = console.interruptPipe[0] >= 0;
    if (on) {
        flushStandardChannels();
        Tcl_CreateFileHandler(STDIN_FILENO, TCL_READABLE, readCharacter, nullptr);
        if (!interruptible) return;
        Tcl_CreateFileHandler(console.interruptPipe[0], TCL_READABLE, interrupted, nullptr);
        std::signal(SIGINT, [](int) { [[maybe_unused]] ssize_t n = write(console.interruptPipe[1], "i", 1); });
    } else {
        Tcl_DeleteFileHandler(STDIN_FILENO);
        if (!interruptible) return;
        Tcl_DeleteFileHandler(console.interruptPipe[0]);
        std::signal(SIGINT, SIG_DFL);
    }
}

void lineTyped(char* line);

void prompt() { rl_callback_handler_install(console.input.prompt(), lineTyped); }

void lineTyped(char* line) {
    rl_callback_handler_remove();
    if (!line) {
        console.done = true;
        return;
    }
    const bool complete = console.input.addLine(line);
    std::free(line);
    if (complete) {
        const std::string command = console.input.take();
        remember(command);
        listen(false);
        evaluate(command);
        listen(true);
    }
    if (!console.done) prompt();
}

void readCharacter(ClientData, int) { rl_callback_read_char(); }

// Ctrl-C at the prompt drops what was typed of the command.
void interrupted(ClientData, int) {
    char drained[64];
    [[maybe_unused]] ssize_t n = read(console.interruptPipe[0], drained, sizeof(drained));
    rl_callback_handler_remove();
    console.input.clear();
    if (Tcl_Channel out = Tcl_GetStdChannel(TCL_STDOUT)) Tcl_WriteChars(out, "\n", 1);
    flushStandardChannels();
    prompt();
}

// A command typed over several lines comes back as one entry: each entry is
// written after a time stamp line, and the lines up to the next stamp are read
// back as one entry.
void startHistory() {
    using_history();
    stifle_history(historyLength);
    history_comment_char = '#';
    history_write_timestamps = 1;
    history_multiline_entries = 1;
    const char* home = std::getenv("HOME");
    if (!home || !*home) return;
    console.historyFile = std::string(home) + "/.boardsh_history";
    if (read_history(console.historyFile.c_str()) != 0) write_history(console.historyFile.c_str());
    history_truncate_file(console.historyFile.c_str(), historyLength);
}

}  // namespace

bool lineEditingAvailable() { return true; }

void runConsole(Tcl_Interp* interp) {
    console.interp = interp;
    rl_readline_name = "boardsh";
    rl_catch_signals = 0;
    rl_basic_word_break_characters = const_cast<char*>(wordBreaks);
    rl_attempted_completion_function = attemptCompletion;
    startHistory();
    if (pipe(console.interruptPipe) == 0) {
        for (int fd : console.interruptPipe) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    } else {
        console.interruptPipe[0] = console.interruptPipe[1] = -1;
    }
    listen(true);
    prompt();
    while (!console.done && !Tcl_InterpDeleted(interp)) Tcl_DoOneEvent(TCL_ALL_EVENTS);
    listen(false);
    if (Tcl_Channel out = Tcl_GetStdChannel(TCL_STDOUT)) Tcl_WriteChars(out, "\n", 1);
    Tcl_EvalEx(interp, "exit", -1, TCL_EVAL_GLOBAL);
}

}  // namespace zemconsole

#else

namespace zemconsole {
bool lineEditingAvailable() { return false; }
void runConsole(Tcl_Interp*) {}
}  // namespace zemconsole

#endif
