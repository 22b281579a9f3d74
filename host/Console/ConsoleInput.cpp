#include "ConsoleInput.h"

#include <tcl.h>

namespace zemconsole {

bool ConsoleInput::addLine(const std::string& line) {
    text_ += line;
    text_ += '\n';
    return Tcl_CommandComplete(text_.c_str()) != 0;
}

std::string ConsoleInput::take() {
    std::string command = text_.substr(0, text_.size() - 1);  // without the last newline
    text_.clear();
    return command;
}

}  // namespace zemconsole
