// Helpers shared by the unit tests.
#pragma once

#include <tcl.h>

#include <string>
#include <vector>

#include "ComMsgMgr.h"

// Collects the messages sent while it lives, and starts from zero counts.
class MessageCapture {
public:
    MessageCapture() {
        ComMsgMgr::resetCounts();
        previous_ = ComMsgMgr::setSink([this](const ComMsgMgrInstance& m) { messages.push_back(m); });
    }
    ~MessageCapture() { ComMsgMgr::setSink(previous_); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : messages) out.push_back(m.text());
        return out;
    }
    std::vector<ComMsgMgrInstance> messages;

private:
    ComMsgMgr::Sink previous_;
};

// One interpreter per test that needs one.
class TclInterp {
public:
    TclInterp() : interp_(Tcl_CreateInterp()) {}
    ~TclInterp() { Tcl_DeleteInterp(interp_); }
    TclInterp(const TclInterp&) = delete;
    TclInterp& operator=(const TclInterp&) = delete;
    Tcl_Interp* get() const { return interp_; }

private:
    Tcl_Interp* interp_;
};
