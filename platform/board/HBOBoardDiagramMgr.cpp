// Opened integrated board diagrams.
#include <algorithm>

#include "HBOBoardDiagramMgr.h"
#include "HBOBoardModel.h"

HBOBoardDiagramMgr* HBOBoardDiagramMgr::getGlobal() {
    static HBOBoardDiagramMgr manager;
    return &manager;
}

void HBOBoardDiagramMgr::addToOpenedBoardDiagrams(HBOBoard* diagram) {
    if (diagram && std::find(opened_.begin(), opened_.end(), diagram) == opened_.end()) opened_.push_back(diagram);
}

void HBOBoardDiagramMgr::getOpenedBoardDiagrams(std::vector<HBOBoard*>& diagrams) const {
    diagrams.insert(diagrams.end(), opened_.begin(), opened_.end());
}

HBOBoard* HBOBoardDiagramMgr::findOpened(const std::string& name) const {
    auto found = std::find_if(opened_.begin(), opened_.end(), [&](HBOBoard* d) { return d->getName() == name; });
    return found == opened_.end() ? nullptr : *found;
}

bool HBOBoardDiagramMgr::removeFromOpenedBoardDiagrams(const std::string& name) {
    HBOBoard* diagram = findOpened(name);
    if (!diagram) return false;
    opened_.erase(std::find(opened_.begin(), opened_.end(), diagram));
    if (current_ == diagram) current_ = nullptr;
    return true;
}

void HBOBoardDiagramMgr::setCurrentBoardDiagram(HBOBoard* diagram) {
    addToOpenedBoardDiagrams(diagram);
    current_ = diagram;
}

HBOBoard* HBOBoardDiagramMgr::setCurrentBoardDiagram(const std::string& name) {
    HBOBoard* diagram = findOpened(name);
    if (diagram) current_ = diagram;
    return diagram;
}
