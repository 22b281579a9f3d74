// A use of the board model by the running thread. While one lives, every
// board and object the model hands this thread stays valid, even when it
// leaves the repository at a reload or its diagram is closed meanwhile;
// afterwards the model keeps only what something still refers to (a Tcl
// value, an opened diagram, the current listing). The command framework
// opens one around every command; C++ code that reads the model on a thread
// of its own opens one around its work. Uses nest.
#pragma once

class HBOBoardModelUse {
public:
    HBOBoardModelUse();
    ~HBOBoardModelUse();
    HBOBoardModelUse(const HBOBoardModelUse&) = delete;
    HBOBoardModelUse& operator=(const HBOBoardModelUse&) = delete;
};
