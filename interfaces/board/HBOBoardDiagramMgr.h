// The opened integrated board diagrams of the process and the current one.
// The manager holds pointers only; diagrams live on (see HBOBoard).
#pragma once

#include <string>
#include <vector>

class HBOBoard;

class HBOBoardDiagramMgr {
public:
    static HBOBoardDiagramMgr* getGlobal();

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
    HBOBoard* getCurrentBoardDiagram() const { return current_; }

private:
    HBOBoardDiagramMgr() = default;
    HBOBoard* findOpened(const std::string& name) const;
    std::vector<HBOBoard*> opened_;
    HBOBoard* current_ = nullptr;
};
