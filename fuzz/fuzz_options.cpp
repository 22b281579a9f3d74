// The option parser as a user reaches it: the input is up to eight commands
// split at NUL bytes, each a first byte choosing one of the commands below
// and a Tcl list of its words, run in one interpreter with the host and the
// extension loaded once per process. Only commands that read the bundled
// repository are called: no word may set parameters, files or exit. A result
// (unless huge) is kept in the variable "held" for the next command, and one
// choice reloads the repository, so that reloads meet held objects.
// Every input starts from the same state (checked): nothing held, the first
// listing's folder, no board part selected.
#include <tcl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "HBOBoardCReposMgr.h"
#include "HPAParamMgr.h"
#include "tcltasks_framework.h"
#include "tcltasks_objects.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

const char* const kCommands[] = {
    "::board::get_boards",
    "::board::current_board",
    "current_board_part",
    "get_param",
    "help",
    "report_param",
    "filter_collection",
    "index_collection",
    "add_to_collection",
    "sizeof_collection",
    "reload",
};
constexpr std::size_t kMaxCommands = 8;
const char* const kRepoPaths = "board.repoPaths";

// Lists the bundled repository again, under the other spelling of its folder.
void reload() {
    HPAParamMgr& params = HPAParamMgr::getParamMgr();
    const std::string folder = HBOBoardCReposMgr::defaultRepositoryFolder();
    params.setValue(kRepoPaths, params.getValue(kRepoPaths) == folder ? folder + "/" : folder);
}

std::string startRepoPaths;

// Back to the start state, at the end of each input: what an input leaves
// held looks like a leak to the fuzzer, whose leak check then scans the
// whole heap after every input. A reload only if the input changed the folder;
// the journal of commands emptied, as it grows to its capacity.
void reset(Tcl_Interp* interp) {
    HPAParamMgr& params = HPAParamMgr::getParamMgr();
    if (params.getValue(kRepoPaths) != startRepoPaths) params.setValue(kRepoPaths, startRepoPaths);
    Tcl_SetVar2Ex(interp, "held", nullptr, Tcl_NewObj(), 0);
    zemhost::forget_board_part();
    ComMsgMgr::resetCounts();
    tov::tcltasks::task_manager::clear_journal();
    Tcl_ResetResult(interp);
}

Tcl_Interp* interpreter() {
    static Tcl_Interp* interp = [] {
        std::freopen("/dev/null", "w", stdout);  // help and report_param print; libFuzzer reports on stderr
        Tcl_Interp* made = Tcl_CreateInterp();
        if (Zem_host_Init(made) != TCL_OK || Zem_boardcommontasks_Init(made) != TCL_OK) std::abort();
        if (Tcl_Eval(made, "set boards [::board::get_boards]") != TCL_OK) std::abort();
        startRepoPaths = HPAParamMgr::getParamMgr().getValue(kRepoPaths);
        reset(made);
        return made;
    }();
    return interp;
}

// A state one input left behind would make a finding depend on the inputs before it.
void checkReset(Tcl_Interp* interp) {
    Tcl_Obj* held = Tcl_GetVar2Ex(interp, "held", nullptr, 0);
    if (!held || Tcl_GetCharLength(held) != 0) std::abort();
    if (HPAParamMgr::getParamMgr().getValue(kRepoPaths) != startRepoPaths) std::abort();
    if (Tcl_Eval(interp, "current_board_part -quiet") != TCL_ERROR ||
        std::strncmp(Tcl_GetStringResult(interp), "no board part is selected", 25) != 0)
        std::abort();
    Tcl_ResetResult(interp);
}

// Whether a result may be kept for the next command: "add_to_collection
// $held $held" doubles it each time, and every name of a held list tried as
// a pattern against every board is slow in the harness, not in the commands
// (the long run needs about a thousand inputs a second); large collections
// and long values have their own tests and benches.
bool small(Tcl_Obj* result) {
    const tov::tcltasks::collection_wrapper_base* collection = tov::tcltasks::detail::get_collection(result);
    return collection ? collection->size() <= 64 : Tcl_GetCharLength(result) <= 2000;
}

// One command: the first byte chooses it, the rest is the list of its words.
void run(Tcl_Interp* interp, const std::string& text) {
    if (text.empty()) return;
    const std::string command = kCommands[static_cast<unsigned char>(text[0]) % std::size(kCommands)];
    if (command == "reload") reload();
    Tcl_Obj* words = Tcl_NewStringObj(text.data() + 1, static_cast<int>(text.size() - 1));
    Tcl_IncrRefCount(words);
    int count = 0;
    Tcl_Obj** elements = nullptr;
    if (Tcl_ListObjGetElements(nullptr, words, &count, &elements) == TCL_OK) {
        std::vector<Tcl_Obj*> objv{Tcl_NewStringObj(command == "reload" ? "::board::get_boards" : command.c_str(), -1)};
        // The words "$boards" and "$held" stand for those variables.
        for (int i = 0; i < count; ++i) {
            const char* word = Tcl_GetString(elements[i]);
            Tcl_Obj* variable = (std::strcmp(word, "$boards") == 0 || std::strcmp(word, "$held") == 0)
                                    ? Tcl_GetVar2Ex(interp, word + 1, nullptr, 0)
                                    : nullptr;
            objv.push_back(variable ? variable : elements[i]);
        }
        for (Tcl_Obj* obj : objv) Tcl_IncrRefCount(obj);
        if (Tcl_EvalObjv(interp, static_cast<int>(objv.size()), objv.data(), TCL_EVAL_GLOBAL) == TCL_OK &&
            small(Tcl_GetObjResult(interp)))
            Tcl_SetVar2Ex(interp, "held", nullptr, Tcl_GetObjResult(interp), 0);
        for (Tcl_Obj* obj : objv) Tcl_DecrRefCount(obj);
        Tcl_ResetResult(interp);
    }
    Tcl_DecrRefCount(words);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    silenceMessages();
    Tcl_Interp* interp = interpreter();
    checkReset(interp);
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    for (std::size_t n = 0; n < kMaxCommands && start <= input.size(); ++n) {
        std::size_t end = input.find('\0', start);
        if (end == std::string::npos) end = input.size();
        run(interp, input.substr(start, end - start));
        start = end + 1;
    }
    reset(interp);
    return 0;
}
