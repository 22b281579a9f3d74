// Pieces of the board model library shared between its source files.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "HBOBoardModel.h"
#include "HBOParser.h"

// The texts and styles that the pins of one file share. One reader fills
// it; afterwards it is only read, by any number of threads.
class HBOPinStyleTable {
public:
    // One shared copy of the text.
    const std::string* text(std::string_view value);
    // The kept style equal to style (attributes, port and further
    // attributes compared by pointer, as the texts are shared).
    const HBOPinProps::Style* style(const HBOPinProps::Style& candidate);
    // Drops what only the reading needed.
    void finishReading();

private:
    struct StyleHash {
        std::size_t operator()(const HBOPinProps::Style* style) const;
    };
    struct StyleEqual {
        bool operator()(const HBOPinProps::Style* a, const HBOPinProps::Style* b) const;
    };
    std::deque<std::string> texts_;
    std::deque<HBOPinProps::Style> styles_;
    std::unordered_map<std::string_view, const std::string*> textIndex_;
    std::unordered_map<const HBOPinProps::Style*, const HBOPinProps::Style*, StyleHash, StyleEqual> styleIndex_;
};

namespace HBOBoardInternal {

// The further pin attribute names met so far, in capital letters, one copy
// each for the life of the process (queries name them as properties).
const std::string* keepExtraAttrName(std::string_view capitalName);
// The kept name, or null when no pin file gave it.
const std::string* findExtraAttrName(const std::string& capitalName);

// Limits far above any real board, which keep a hostile file from costing
// unbounded memory or time: board, pin and preset files larger than this
// are not read; pin indexes (pins and connection maps) above this are
// refused; a board whose connection maps make more nets is refused.
constexpr long long kMaxDataFileSize = 256LL << 20;
constexpr uint32_t kMaxPinIndex = 999999;
constexpr int64_t kMaxNetsPerBoard = 1000000;

// A file or folder left out, as its warning gives it.
struct Problem {
    enum Kind { BadFile, Duplicate, MissingFolder, UnreadableFolder, EmptyFolderName };
    Kind kind;
    std::string path;    // the file or folder; empty for an empty folder name
    int line;            // 0 when there is none
    std::string reason;  // for a duplicate: the board name
    std::string other;   // for a duplicate: the file that is used
};
// Sends the warning of a problem.
void warn(const Problem& problem);

// Reports a file that cannot be used.
void warnBadFile(const std::string& file, int line, const std::string& reason);

// The board files below the folders, in order (byte-ordered within each
// folder), and what could not be listed, in the order met. found(path) is
// called for each board file as the walk meets it, before the walk goes on;
// foundAt gives, for each file in order, how many files were met before it.
struct FolderListing {
    std::vector<std::string> files;
    std::vector<std::size_t> foundAt;
    std::vector<Problem> problems;
};
FolderListing listBoardFiles(const std::vector<std::string>& roots,
                             const std::function<void(const std::string&)>& found);

// What a file was when it was looked at: enough to tell any later change.
// Times have nanoseconds, but a file system updates them only every few
// milliseconds (some every second or two), so a file changed lately may
// change again without its times showing it: such a file counts as changed.
struct FileIdentity {
    int error = 0;  // of stat; 0 when the file was there
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool recent = false;
};
FileIdentity identify(const std::string& path);
// The identity that a stat of the file gave.
FileIdentity identityOf(const struct stat& info);
// Whether a file identified as then and now holds what it held then.
bool unchangedSince(const FileIdentity& then, const FileIdentity& now);

// HBOParser::readBoardFile, also giving the file's identity as it was when
// read (taken from the open file, so it is the identity of what was read).
HBOBoardFileRead readBoardFile(const std::string& path, FileIdentity& identity);
// "file, line N: reason" as the warnings and errors word it.
std::string describeProblem(const std::string& file, int line, const std::string& reason);

// What a pin file holds: pins of a part (schema 2) or ports with pins (older boards).
struct PinFileContents {
    std::vector<HBOPinProps> pins;
    std::vector<std::unique_ptr<HBOModelPort>> ports;
    std::shared_ptr<const HBOPinStyleTable> styles;
};
// Reads the pin file of a component; a file it cannot use gives a warning,
// no pins and, when given, the problem in dropped (kind PIN_FILE).
PinFileContents loadPinFile(const std::string& path, HBOBoardComponent* owner, HBODroppedItem* dropped = nullptr);
// Makes the pins that the board file reader checked and packed for a
// component's inline <pins> (HBOBoardComponent::setPackedPins).
PinFileContents readPackedPins(const std::string& packed, HBOBoardComponent* owner);

// What a component holds besides its pins and attributes.
struct ComponentDetails {
    std::vector<std::unique_ptr<HBOParameter>> parameters;
    std::vector<std::unique_ptr<HBOBusIf>> interfaces;
    std::vector<std::unique_ptr<HBOComponentMode>> modes;
};
// Makes the details that the board file reader checked and packed for a
// component (HBOBoardComponent::setPackedDetails).
ComponentDetails readPackedDetails(const std::string& packed, HBOBoardComponent* owner);

// A <pin> of a pin file as written, unchecked.
struct RawPin {
    std::string index, name, loc;
    int line;
};
// Appends the pins of a pin file as written (those of <pins>, then of each
// <port>), to name the pins of a file that loading refused. False, with
// nothing appended, when the file cannot be read or is no XML pin file.
bool scanPinFile(const std::string& path, std::vector<RawPin>& pins);

using PresetSink = std::function<void(const std::string& key, std::unique_ptr<HBOIpPreset> preset)>;
// Reads a preset file; a file it cannot use gives a warning, no presets and,
// when given, the problem in dropped (kind PRESET_FILE). Returns whether it was used.
bool loadPresetFile(const std::string& path, const PresetSink& add, HBODroppedItem* dropped = nullptr);

}  // namespace HBOBoardInternal
