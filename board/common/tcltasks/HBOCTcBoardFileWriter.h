// The integrated board file: its text, built in memory from a diagram, and
// a write that never leaves a half-written or destroyed file behind.
#pragma once

#include <string>

class HBOBoard;

namespace HBOCTcBoardFileWriter {

// The whole file text of the diagram: vendor, board name and version, the
// connected boards and the connected component pairs, each map in key order.
// Values are inserted as they are, without escaping.
std::string board_file_text(const HBOBoard& diagram);

// Replaces the file at path (the target of a symbolic link, when path is
// one) by text: the text goes to a new file in the same folder, which is
// then renamed over the target, so that the target is either the old file
// or the new one. An existing target keeps its permissions. Returns the
// system's reason when the file could not be written, else empty; a failed
// write leaves no new file behind.
std::string replace_file(const std::string& path, const std::string& text);

}  // namespace HBOCTcBoardFileWriter
