// Opened integrated board diagrams.
#include "HBOBoardDiagramMgr.h"

#include <algorithm>

#include "HBOBoardLifetime.h"
#include "HBOBoardModel.h"

HBOBoardDiagramMgr* HBOBoardDiagramMgr::getGlobal() {
    static HBOBoardDiagramMgr manager;
    return &manager;
}

void HBOBoardDiagramMgr::adoptBoard(HBOBoard* board) {
    if (!board) return;
    HBOBoardLifetime::setOwner(board, HBOBoardLifetime::Owner::Model);
    HBOBoardLifetime::collectIfDue();
}

void HBOBoardDiagramMgr::addToOpenedBoardDiagrams(HBOBoard* diagram) {
    std::lock_guard<std::mutex> lock(mutex_);
    open(diagram);
}

void HBOBoardDiagramMgr::open(HBOBoard* diagram) {
    if (diagram && std::find(opened_.begin(), opened_.end(), diagram) == opened_.end()) opened_.push_back(diagram);
}

void HBOBoardDiagramMgr::getOpenedBoardDiagrams(std::vector<HBOBoard*>& diagrams) const {
    std::lock_guard<std::mutex> lock(mutex_);
    diagrams.insert(diagrams.end(), opened_.begin(), opened_.end());
}

HBOBoard* HBOBoardDiagramMgr::findOpened(const std::string& name) const {
    auto found = std::find_if(opened_.begin(), opened_.end(), [&](HBOBoard* d) { return d->getName() == name; });
    return found == opened_.end() ? nullptr : *found;
}

bool HBOBoardDiagramMgr::removeFromOpenedBoardDiagrams(const std::string& name) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        HBOBoard* diagram = findOpened(name);
        if (!diagram) return false;
        opened_.erase(std::find(opened_.begin(), opened_.end(), diagram));
        if (current_ == diagram) current_ = nullptr;
        HBOBoardLifetime::unreferenced(diagram);
    }
    HBOBoardLifetime::collectIfDue();  // asks for the opened diagrams: outside the lock
    return true;
}

void HBOBoardDiagramMgr::setCurrentBoardDiagram(HBOBoard* diagram) {
    std::lock_guard<std::mutex> lock(mutex_);
    open(diagram);
    current_ = diagram;
}

HBOBoard* HBOBoardDiagramMgr::setCurrentBoardDiagram(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    HBOBoard* diagram = findOpened(name);
    if (diagram) current_ = diagram;
    return diagram;
}

HBOBoard* HBOBoardDiagramMgr::getCurrentBoardDiagram() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return current_;
}
