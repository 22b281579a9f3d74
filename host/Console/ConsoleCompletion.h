// What the console offers for the word before the cursor: command names for
// the first word of a command; after the name of a framework command, its
// options, from the option table that also produces its help; else nothing,
// and the terminal offers file names.
#pragma once

#include <tcl.h>

#include <string>
#include <vector>

namespace zemconsole {

struct Completion {
    std::string word;                     // the word being completed
    std::vector<std::string> candidates;  // sorted, each starting with word
    bool fileNames = false;               // no candidates of ours: offer file names
};

// text: everything typed before the cursor, earlier lines of a command
// included. Words break at blanks, newlines and "[]{};\"$".
Completion complete(Tcl_Interp* interp, const std::string& text);

// The characters that end a word, for the terminal's own word splitting.
extern const char* const wordBreaks;

}  // namespace zemconsole
