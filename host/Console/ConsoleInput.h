// Gathers typed lines into one command: lines are joined until the text is
// a complete Tcl command (as "info complete" decides).
#pragma once

#include <string>

namespace zemconsole {

class ConsoleInput {
public:
    // Adds a line; true when the text gathered so far is a complete command.
    bool addLine(const std::string& line);
    // Lines are gathered and the command is not complete yet.
    bool pending() const { return !text_.empty(); }
    // The complete command, and a fresh start.
    std::string take();
    void clear() { text_.clear(); }
    // The text gathered so far, for completion over several lines.
    const std::string& text() const { return text_; }
    // "% " for a new command, "> " while one goes on.
    const char* prompt() const { return pending() ? "> " : "% "; }

private:
    std::string text_;
};

}  // namespace zemconsole
