#include "ComMsgMgr.h"

#include <array>
#include <cstdarg>
#include <iostream>
#include <map>
#include <mutex>
#include <utility>

namespace {

struct CatalogueEntry {
    const char* id;
    const char* text;
};

// Texts of the board commands' messages and of the framework's own.
// %s is filled by the next argument of the call.
const CatalogueEntry kCatalogue[] = {
    {"@49-44@", "Could not read the board file: %s"},
    {"@49-53@",
     "No current board: the project's board part cannot be found (none is set, or it has no board), so there is "
     "no board to take objects from. Set the project's board part, or give the objects with -of_objects."},
    {"@49-58@",
     "Schema-2 board support is disabled (parameter board.enableSchema2 is false); "
     "board components and the commands that work on them are not available."},
    {"@49-60@",
     "No current board part: the project has no board part set, or it is no longer in the board repository. "
     "Set the project's board part, or give the objects with -of_objects."},
    {"@49-64@", "More than one object was given where exactly one is expected."},
    {"@49-65@",
     "The object given is not of the kind expected: -board takes a board object, and each component option "
     "takes a board component that belongs to a board."},
    {"@49-68@",
     "No board diagram was opened: the file name is empty, the file could not be parsed, or the board it "
     "describes is not an integrated board diagram."},
    {"@49-75@", "No board parts matched."},
    {"@49-81@", "Cannot write the board file %s: %s. The file is left as it was."},
    {"@49-82@", "The board file %s was not an integrated board file; the old file is kept as %s."},
    {"@49-120@", "%s reaches no FPGA pin: %s."},
    {"@49-121@", "%s reaches %s FPGA pins (%s); a port bit has one location, so it is left out."},
    {"@49-122@", "%s and %s both reach FPGA pin %s; %s is left out."},
    {"@49-123@", "The %s file leaves out %s of %s: %s."},
    {"@49-124@", "Interface %s gives %s the value \"%s\", which is not a frequency; no clock is written for it."},
    {"@49-125@", "-port_names names %s, which no port bit written has; it is not used."},
    {"@49-126@", "%s reaches FPGA pin %s of %s, not of %s; the file is for one FPGA, so it is left out."},
    {"@49-127@",
     "None of the interfaces written gives a clock frequency (parameter FREQ_HZ, FREQUENCY or FREQUENCY_HZ in Hz, "
     "FREQ_MHZ or FREQUENCY_MHZ in MHz); %s holds no clock."},
    {"@48-3@", "Environment variable %s has the value \"%s\", which is not a valid %s; the default \"%s\" is used."},
    {"@48-11@", "-of_objects does not accept %s; it accepts objects of these types: '%s'."},
    {"@48-12@", "Option %s was given more than once; the last value given is used."},
};

struct CatalogueVariant {
    const char* id;
    const char* file;  // the source file the message is sent from
    const char* text;
};

// Texts an id has when sent from one source file: one id may stand for
// conditions that differ by command, and no text may claim what is not so.
const char* const kNoObjectsGiven =
    "No objects given: this command works on the objects given with -of_objects and takes none from the current "
    "board, so the result is empty.";
const CatalogueVariant kCatalogueVariants[] = {
    {"@49-53@", "board/common/tcltasks/HBOCTcBoardNets", kNoObjectsGiven},
    {"@49-53@", "board/common/tcltasks/HBOCTcBoardComponentModes", kNoObjectsGiven},
    {"@49-53@", "board/common/tcltasks/HBOCTcBoardUserPreferences", kNoObjectsGiven},
    {"@49-53@", "board/common/tcltasks/HBOCTcComponentPins", kNoObjectsGiven},
    {"@49-53@", "board/common/tcltasks/HBOCTcPartPorts", kNoObjectsGiven},
    {"@49-53@", "board/common/tcltasks/HBOCTcTraceBoardPins", kNoObjectsGiven},
};

struct SeverityInfo {
    ComMsgSeverity severity;
    unsigned mask;
    const char* name;
};

// Most severe first: a combined mask takes its most severe bit.
const SeverityInfo kSeverities[] = {
    {ComMsgSeverity::Error, HMSG_MASK_ERROR, "ERROR"},
    {ComMsgSeverity::CriticalWarning, HMSG_MASK_CRITICAL_WARNING, "CRITICAL WARNING"},
    {ComMsgSeverity::Warning, HMSG_MASK_WARNING, "WARNING"},
    {ComMsgSeverity::Info, HMSG_MASK_INFO, "INFO"},
};

void printToStdout(const ComMsgMgrInstance& message) { std::cout << message.formatted() << std::endl; }

// Shared by every thread, under mutex: the texts, the sink and the counts.
struct State {
    std::mutex mutex;
    std::map<std::string, std::string> catalogue;
    std::map<std::pair<std::string, std::string>, std::string> variants;  // by id and source file
    ComMsgMgr::Sink sink = printToStdout;
    std::map<std::string, std::size_t> idCounts;
    std::array<std::size_t, 4> severityCounts{};

    State() {
        for (const auto& entry : kCatalogue) catalogue.emplace(entry.id, entry.text);
        for (const auto& entry : kCatalogueVariants) variants.emplace(std::make_pair(entry.id, entry.file), entry.text);
    }
};

// Never destroyed: static destructors of other libraries may still send.
State& state() {
    static State* instance = new State;
    return *instance;
}

// What a command asks about its own messages (how many it sent, the last
// one) and the silencing of its messages belong to its thread: another
// thread's messages are not its reason for failing.
struct ThreadState {
    std::size_t sent = 0;
    ComMsgMgrInstance last;
    int silenceDepth = 0;
    ~ThreadState();
};

// Trivially destructible, so it may still be read while the thread (or the
// process) ends, after the thread's state is gone.
bool& threadStateGone() {
    thread_local bool gone = false;
    return gone;
}

ThreadState::~ThreadState() { threadStateGone() = true; }

// Null once the thread's state is destroyed.
ThreadState* threadState() {
    if (threadStateGone()) return nullptr;
    thread_local ThreadState local;
    return &local;
}

// Callers may pass the id with a format suffix ("@49-44@%s"); the id proper
// ends at the second '@'.
std::string normalisedId(const std::string& id) {
    if (id.size() < 2 || id[0] != '@') return id;
    const auto close = id.find('@', 1);
    return close == std::string::npos ? id : id.substr(0, close + 1);
}

std::string displayedId(const std::string& id) {
    if (id.size() >= 2 && id.front() == '@' && id.back() == '@') return id.substr(1, id.size() - 2);
    return id;
}

// Fills each %s with the next argument; "%%" is a percent sign. Arguments
// left over are appended so that nothing the caller said is lost.
std::string fillArguments(const std::string& pattern, const std::vector<std::string>& args) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == '%')) {
            if (pattern[i + 1] == '%') {
                out += '%';
            } else if (next < args.size()) {
                out += args[next++];
            }
            ++i;
            continue;
        }
        out += pattern[i];
    }
    for (; next < args.size(); ++next) out += (out.empty() ? "" : " ") + args[next];
    return out;
}

std::vector<std::string> collectArguments(int nargs, va_list args) {
    std::vector<std::string> out;
    for (int i = 0; i < nargs; ++i) {
        const char* text = va_arg(args, const char*);
        out.emplace_back(text ? text : "");
    }
    return out;
}

ComMsgMgrInstance makeInstance(const char* file, int line, const char* area, unsigned mask, const char* id,
                               const std::vector<std::string>& args) {
    const std::string key = normalisedId(id ? id : "");
    const std::string source = file ? file : "";
    std::string pattern;
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        const auto variant = state().variants.find(std::make_pair(key, source));
        if (variant != state().variants.end()) pattern = variant->second;
    }
    if (pattern.empty()) pattern = ComMsgMgr::catalogueText(key);
    return ComMsgMgrInstance(area ? area : "", key, mask, ComMsgMgr::severityOfMask(mask), fillArguments(pattern, args),
                             source, line);
}

}  // namespace

ComMsgMgrInstance::ComMsgMgrInstance(std::string area, std::string id, unsigned mask, ComMsgSeverity severity,
                                     std::string text, std::string file, int line)
    : area_(std::move(area)),
      id_(std::move(id)),
      mask_(mask),
      severity_(severity),
      text_(std::move(text)),
      file_(std::move(file)),
      line_(line) {}

std::string ComMsgMgrInstance::formatted() const {
    const std::string tag = area_.empty() ? displayedId(id_) : area_ + " " + displayedId(id_);
    return std::string(ComMsgMgr::severityName(severity_)) + ": [" + tag + "] " + text_;
}

ComMsgMgrInstance ComMsgMgrInstance::createInstance::eval(int nargs, const char* file, int line, const char* area,
                                                          unsigned mask, const char* id, ...) {
    va_list args;
    va_start(args, id);
    const auto texts = collectArguments(nargs, args);
    va_end(args);
    return makeInstance(file, line, area, mask, id, texts);
}

void ComMsgMgr::sendMsg::eval(int nargs, const char* file, int line, const char* area, unsigned mask, const char* id,
                              ...) {
    va_list args;
    va_start(args, id);
    const auto texts = collectArguments(nargs, args);
    va_end(args);
    send(makeInstance(file, line, area, mask, id, texts));
}

ComMsgSeverity ComMsgMgr::severityOfMask(unsigned mask) {
    for (const auto& info : kSeverities) {
        if (mask & info.mask) return info.severity;
    }
    return ComMsgSeverity::Info;
}

const char* ComMsgMgr::severityName(ComMsgSeverity severity) {
    for (const auto& info : kSeverities) {
        if (info.severity == severity) return info.name;
    }
    return "INFO";
}

std::string ComMsgMgr::catalogueText(const std::string& id) {
    const std::string key = normalisedId(id);
    std::lock_guard<std::mutex> lock(state().mutex);
    const auto found = state().catalogue.find(key);
    if (found != state().catalogue.end()) return found->second;
    return "message " + displayedId(key) + " (no catalogue text)";
}

void ComMsgMgr::addCatalogueText(const std::string& id, const std::string& text) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().catalogue[normalisedId(id)] = text;
}

ComMsgMgr::Sink ComMsgMgr::setSink(Sink sink) {
    std::lock_guard<std::mutex> lock(state().mutex);
    Sink previous = std::move(state().sink);
    state().sink = sink ? std::move(sink) : Sink(printToStdout);
    return previous;
}

void ComMsgMgr::send(const ComMsgMgrInstance& message) {
    ThreadState* local = threadState();
    if (local) {
        ++local->sent;
        local->last = message;
    }
    Sink sink;
    {
        State& s = state();
        std::lock_guard<std::mutex> lock(s.mutex);
        ++s.idCounts[message.id()];
        ++s.severityCounts[static_cast<std::size_t>(message.severity())];
        if (!local || local->silenceDepth == 0) sink = s.sink;
    }
    // Outside the lock: a sink may send or count messages itself.
    if (sink) sink(message);
}

std::size_t ComMsgMgr::countOf(const std::string& id) {
    const std::string key = normalisedId(id);
    std::lock_guard<std::mutex> lock(state().mutex);
    const auto found = state().idCounts.find(key);
    return found == state().idCounts.end() ? 0 : found->second;
}

std::size_t ComMsgMgr::countOf(ComMsgSeverity severity) {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().severityCounts[static_cast<std::size_t>(severity)];
}

std::size_t ComMsgMgr::sentSoFar() {
    const ThreadState* local = threadState();
    return local ? local->sent : 0;
}

const ComMsgMgrInstance& ComMsgMgr::lastSent() {
    static const auto* none = new ComMsgMgrInstance;  // never destroyed, like the state
    const ThreadState* local = threadState();
    return local ? local->last : *none;
}

void ComMsgMgr::resetCounts() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().idCounts.clear();
    state().severityCounts.fill(0);
}

ComMsgMgr::Silencer::Silencer() {
    if (ThreadState* local = threadState()) ++local->silenceDepth;
}
ComMsgMgr::Silencer::~Silencer() {
    if (ThreadState* local = threadState()) --local->silenceDepth;
}

bool ComMsgMgr::isSilenced() {
    const ThreadState* local = threadState();
    return local && local->silenceDepth > 0;
}
