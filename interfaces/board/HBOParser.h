// Reads a board file into an HBOBoard: board files of schema 2.x and 1.x
// (their pin and preset files are read later, when first needed) and
// integrated board files.
#pragma once

#include <string>

#include "HBODroppedItem.h"

class HBOBoard;

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

private:
    std::string error_;
    HBODroppedItem problem_{HBODroppedItem::BOARD_FILE, std::string(), 0, std::string(), std::string()};
};
