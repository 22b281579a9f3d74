// Board data that loading left out, kept with the reason its warning gave,
// so that a later look at the repository or a board can say what is
// missing and why (the warning itself is sent once, when it happens).
#pragma once

#include <string>

struct HBODroppedItem {
    enum Kind {
        BOARD_FILE,      // a board.xml the listing could not use
        DUPLICATE_FILE,  // a board.xml ignored: an earlier file defines the same board
        FOLDER,          // a repository folder missing or unreadable: the boards below it are left out
        PIN_FILE,        // a component's pin file: the component has no pins
        PRESET_FILE,     // a board's preset file: the board has no presets
        CONNECTION_MAP,  // a connection map: the bus has no nets from it
    };
    Kind kind = BOARD_FILE;
    std::string path;    // the file or folder
    int line = 0;        // of the problem in the file; 0 when none
    std::string reason;  // as the warning gave it, after the path and line
    // The board (DUPLICATE_FILE: its full name; the reason names both
    // files), component (PIN_FILE) or connection map (CONNECTION_MAP) concerned.
    std::string name;
};
