// Reads a board file into an HBOBoard: board files of schema 2.x and 1.x
// (their pin and preset files are read later, when first needed) and
// integrated board files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "HBODroppedItem.h"

class HBOBoard;

// What reading one board file gave.
struct HBOBoardFileRead {
    std::unique_ptr<HBOBoard> board;  // null when the file is left out
    // What the board's warnings say, in file order: the parts left out of a
    // board that stays (CONNECTION_MAP); when the board is null, last, the
    // reason the file is left out (BOARD_FILE).
    std::vector<HBODroppedItem> warnings;
};

class HBOParser {
public:
    HBOParser();
    ~HBOParser();

    // Fills board from the file at path. On a file it cannot use it returns
    // false, sends one warning naming the file, the line and the reason, and
    // keeps that text for getErrorMessage(); the board is then incomplete and
    // should be dropped.
    bool parseFile(const std::string& path, HBOBoard* board);
    const std::string& getErrorMessage() const { return error_; }
    // The same problem, its parts apart (kind BOARD_FILE).
    const HBODroppedItem& getProblem() const { return problem_; }

    // Reads the board file at path into a new board, or gives the reason it
    // is left out. Sends no message and touches nothing shared, so that
    // several threads may read files at once; the caller sends the warnings
    // (sendWarnings) in the order of its files.
    static HBOBoardFileRead readBoardFile(const std::string& path);
    // Sends the warnings of one read, in order (each as parseFile would).
    static void sendWarnings(const HBOBoardFileRead& read);

private:
    std::string error_;
    HBODroppedItem problem_{HBODroppedItem::BOARD_FILE, std::string(), 0, std::string(), std::string()};
};
