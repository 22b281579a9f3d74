// A program outside the project, built against an install prefix through
// find_package(zem) or pkg-config: prints the repository folders in use
// and the number of boards found there.
#include <tcl.h>

#include <iostream>
#include <vector>

#include "HBOBoardCReposMgr.h"
#include "ZemHost.h"

int main() {
    Tcl_FindExecutable(nullptr);
    Tcl_Interp* interp = Tcl_CreateInterp();
    if (Zem_host_Init(interp) != TCL_OK) {
        std::cerr << Tcl_GetStringResult(interp) << "\n";
        return 1;
    }
    HBOBoardCReposMgr* repository = HBOBoardCReposMgr::getGlobal();
    std::vector<HBOBoard*> boards;
    repository->appendAllBoards(boards);
    for (const std::string& folder : repository->getRootFolders()) std::cout << folder << "\n";
    std::cout << boards.size() << " boards\n";
    return 0;
}
