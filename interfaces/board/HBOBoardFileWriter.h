// The integrated board file: its text, built in memory from a diagram, and
// a write that never leaves a half-written or destroyed file behind.
#pragma once

#include <string>

#include "HUTSafeFile.h"

class HBOBoard;

namespace HBOBoardFileWriter {

// The whole file text of the diagram: vendor, board name and version, the
// connected boards and the connected component pairs, each map in key order.
// Every value is escaped for XML (& < > " ' and tab, line feed, carriage
// return as references), so that the parser reads back exactly the value.
// A value holding a character that no XML file can carry (a control
// character, U+FFFE, U+FFFF, a surrogate) or bytes that are not UTF-8 is an
// HTCErrors::error of kind value, naming the field and the character.
std::string board_file_text(const HBOBoard& diagram);

// Whether path holds an integrated board file that the parser reads.
bool is_integrated_board_file(const std::string& path);

// Writes the diagram's text to its board file through HUTSafeFile::replace;
// an existing file that is not an integrated board file is kept as a backup.
// Throws as board_file_text does, before anything is written.
HUTSafeFile::Result write_board_file(const HBOBoard& diagram);

}  // namespace HBOBoardFileWriter
