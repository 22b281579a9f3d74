// Pieces of the board model library shared between its source files.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HBOBoardModel.h"

namespace HBOBoardInternal {

// One shared copy of a text; the pointer stays valid until the library unloads.
const std::string* intern(const std::string& text);

// Repository warnings. Each names the file, the line (0 when none) and the reason.
void warnBadFile(const std::string& file, int line, const std::string& reason);
void warnDuplicateBoard(const std::string& name, const std::string& kept, const std::string& ignored);
void warnMissingFolder(const std::string& folder);
// "file, line N: reason" as the warnings and errors word it.
std::string describeProblem(const std::string& file, int line, const std::string& reason);

// What a pin file holds: pins of a part (schema 2) or ports with pins (older boards).
struct PinFileContents {
    std::vector<HBOPinProps> pins;
    std::vector<std::unique_ptr<HBOModelPort>> ports;
};
// Reads the pin file of a component; a file it cannot use gives a warning and no pins.
PinFileContents loadPinFile(const std::string& path, HBOBoardComponent* owner);

using PresetSink = std::function<void(const std::string& key, std::unique_ptr<HBOIpPreset> preset)>;
// Reads a preset file; a file it cannot use gives a warning and no presets.
void loadPresetFile(const std::string& path, const PresetSink& add);

}  // namespace HBOBoardInternal
