// Message manager: catalogue of message texts by id, severities by mask,
// one printed form, a replaceable sink, counts, and scoped silencing.
//
// Printed form (one line per message):
//   SEVERITY: [area id] text
// for example
//   WARNING: [board 49-53] No current board: ...
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Masks used by callers; each maps to one severity (see severityOfMask).
enum : unsigned {
    HMSG_MASK_INFO = 0x8000000u,
    HMSG_MASK_WARNING = 0x4000000u,
    HMSG_MASK_CRITICAL_WARNING = 0x20000000u,
    HMSG_MASK_ERROR = 0x10000000u,
};

enum class ComMsgSeverity { Info, Warning, CriticalWarning, Error };

// A formatted message, not yet printed; exceptions may carry one.
class ComMsgMgrInstance {
public:
    ComMsgMgrInstance() = default;
    ComMsgMgrInstance(std::string area, std::string id, unsigned mask, ComMsgSeverity severity, std::string text,
                      std::string file, int line);

    const std::string& area() const { return area_; }
    const std::string& id() const { return id_; }
    unsigned mask() const { return mask_; }
    ComMsgSeverity severity() const { return severity_; }
    const std::string& text() const { return text_; }  // catalogue text, arguments filled in
    const std::string& file() const { return file_; }
    int line() const { return line_; }
    // The one printed form, without trailing newline.
    std::string formatted() const;

    // Builds an instance from a catalogue id. nargs is the count of
    // const char* arguments that follow id; each fills the next %s.
    struct createInstance {
        static ComMsgMgrInstance eval(int nargs, const char* file, int line, const char* area, unsigned mask,
                                      const char* id, ...);
    };

private:
    std::string area_;
    std::string id_;
    unsigned mask_ = 0;
    ComMsgSeverity severity_ = ComMsgSeverity::Info;
    std::string text_;
    std::string file_;
    int line_ = 0;
};

class ComMsgMgr {
public:
    using Sink = std::function<void(const ComMsgMgrInstance&)>;

    // Formats the message of the id and hands it to the sink, unless
    // messages are silenced. nargs counts the const char* arguments.
    struct sendMsg {
        static void eval(int nargs, const char* file, int line, const char* area, unsigned mask, const char* id, ...);
    };

    static ComMsgSeverity severityOfMask(unsigned mask);
    static const char* severityName(ComMsgSeverity severity);  // "INFO", "WARNING", ...

    // Catalogue: the text of an id, with %s placeholders. Unknown ids give
    // a text that names the id.
    static std::string catalogueText(const std::string& id);
    static void addCatalogueText(const std::string& id, const std::string& text);

    // Where messages go; the default prints formatted() to standard output.
    // Returns the previous sink.
    static Sink setSink(Sink sink);
    static void send(const ComMsgMgrInstance& message);

    // Counts of messages sent by every thread (silenced ones included) per id and per severity.
    static std::size_t countOf(const std::string& id);
    static std::size_t countOf(ComMsgSeverity severity);
    static void resetCounts();
    // Messages this thread sent since it started (silenced ones included;
    // never reset), and the last of them: what a command that ends with
    // status 1 after a message was ended by.
    static std::size_t sentSoFar();
    static const ComMsgMgrInstance& lastSent();

    // Silencing nests: this thread's messages are dropped while any Silencer
    // of the thread lives.
    class Silencer {
    public:
        Silencer();
        ~Silencer();
        Silencer(const Silencer&) = delete;
        Silencer& operator=(const Silencer&) = delete;
    };
    static bool isSilenced();
};
