// The board repository: every board.xml below the folders of the parameter
// "board.repoPaths" (a Tcl list; empty means the bundled sample repository).
// Listing parses each board.xml, on every core; pin and preset files wait
// until queried. A reload reads again only what changed; boards that left
// the listing are freed once nothing refers to them (docs/board-files.md,
// "Lifetime"). Safe to use from several threads at once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "HBODroppedItem.h"

class HBOBoard;
class HBOBoardComponent;

class HBOBoardCReposMgr {
public:
    // The one manager of the process; never null.
    static HBOBoardCReposMgr* getGlobal();

    // Appends every board, ordered byte-wise by full name (vendor:name:version).
    void appendAllBoards(std::vector<HBOBoard*>& boards);
    // Appends what the listing left out: the folders missing or unreadable,
    // then the board files it could not use or ignored as a second file of
    // one board, in path order. Files a board loads later (pins, presets)
    // are the board's (HBOBoard::getDroppedItems).
    void appendDroppedItems(std::vector<HBODroppedItem>& items);
    // The board of that full name, or null.
    HBOBoard* findBoard(const std::string& fullName);
    // The board part (FPGA component) of that full name
    // (vendor:board:component:version), or null; the first board's when two
    // boards give the same. As fast with 10,000 boards as with one.
    HBOBoardComponent* findBoardPart(const std::string& fullName);
    // Loads the deferred data of a board (its preset and pin files) now.
    void populatePreferenceData(HBOBoard* board);
    // Ends a use of the repository: the next query checks the folders again
    // and reloads when board files were added, removed or changed.
    void release();
    // The folders in use, in order (after the default is applied).
    std::vector<std::string> getRootFolders() const;
    // The bundled sample repository folder.
    static std::string defaultRepositoryFolder();
    // The boards in memory: those listed now, those of earlier listings
    // that something still refers to, the diagrams and instances the model
    // keeps while referred to, and those kept for their makers.
    struct BoardsInMemory {
        std::size_t listed, retired, adopted, kept;
    };
    static BoardsInMemory boardsInMemory();

    HBOBoardCReposMgr(const HBOBoardCReposMgr&) = delete;
    HBOBoardCReposMgr& operator=(const HBOBoardCReposMgr&) = delete;

private:
    HBOBoardCReposMgr();
    ~HBOBoardCReposMgr();
    void ensureLoaded();
    struct Impl;
    Impl* impl_;
};
