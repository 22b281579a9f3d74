// The opened integrated board diagrams of the process and the current one.
// The manager holds pointers only. Diagrams and instances that the commands
// make are adopted: the model frees each once it is neither opened nor held
// by a Tcl value (docs/board-files.md, "Lifetime"). Safe to use from
// several threads at once.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class HBOBoard;

class HBOBoardDiagramMgr {
public:
    static HBOBoardDiagramMgr* getGlobal();

    // The model owns the board from now on (a diagram or a board instance
    // made with new) and frees it once nothing refers to it any longer.
    void adoptBoard(HBOBoard* board);
    // Adds the diagram at the end of the opened list, unless it is there already.
    void addToOpenedBoardDiagrams(HBOBoard* diagram);
    // Appends the opened diagrams in opening order.
    void getOpenedBoardDiagrams(std::vector<HBOBoard*>& diagrams) const;
    // Removes the first opened diagram of that full name; false when none.
    // Removing the current diagram leaves no current diagram.
    bool removeFromOpenedBoardDiagrams(const std::string& name);
    // Makes the diagram current (null clears); it is opened first if it was not.
    void setCurrentBoardDiagram(HBOBoard* diagram);
    // Makes the opened diagram of that full name current and returns it; null,
    // with the current diagram unchanged, when none is opened under that name.
    HBOBoard* setCurrentBoardDiagram(const std::string& name);
    HBOBoard* getCurrentBoardDiagram() const;

private:
    HBOBoardDiagramMgr() = default;
    HBOBoard* findOpened(const std::string& name) const;
    void open(HBOBoard* diagram);
    mutable std::mutex mutex_;
    std::vector<HBOBoard*> opened_;
    HBOBoard* current_ = nullptr;
};
