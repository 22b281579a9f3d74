// The option parser as a user reaches it: the input is a Tcl list of words
// given to one of the commands (chosen by its first byte) in an interpreter
// with the host and the extension loaded. Only commands that read the
// bundled repository are called: no word may set parameters, files or exit.
// Each result (unless huge) is kept in the variable "held" until the next input, and one
// choice reloads the repository, so that reloads meet held objects.
#include <tcl.h>

#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"
#include "HBOBoardCReposMgr.h"
#include "HPAParamMgr.h"
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

// Lists the bundled repository again, under the other spelling of its folder.
void reload() {
    static bool slash = false;
    slash = !slash;
    const std::string folder = HBOBoardCReposMgr::defaultRepositoryFolder() + (slash ? "/" : "");
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", folder);
}

Tcl_Interp* interpreter() {
    static Tcl_Interp* interp = [] {
        std::freopen("/dev/null", "w", stdout);  // help and report_param print; libFuzzer reports on stderr
        Tcl_Interp* made = Tcl_CreateInterp();
        if (Zem_host_Init(made) != TCL_OK || Zem_boardcommontasks_Init(made) != TCL_OK) std::abort();
        Tcl_Eval(made, "set boards [::board::get_boards]; set held {}");
        return made;
    }();
    return interp;
}

// Whether a result may be kept for the next input: "add_to_collection $held
// $held" doubles it each time, and a million names tried as patterns is a
// slow input of the harness, not of the commands.
bool small(Tcl_Obj* result) {
    const tov::tcltasks::collection_wrapper_base* collection = tov::tcltasks::detail::get_collection(result);
    return collection ? collection->size() <= 1000 : Tcl_GetCharLength(result) <= 10000;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    silenceMessages();
    Tcl_Interp* interp = interpreter();
    if (size == 0) return 0;
    const std::string command = kCommands[data[0] % (sizeof(kCommands) / sizeof(kCommands[0]))];
    if (command == "reload") reload();
    Tcl_Obj* words = Tcl_NewStringObj(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));
    Tcl_IncrRefCount(words);
    int count = 0;
    Tcl_Obj** elements = nullptr;
    if (Tcl_ListObjGetElements(nullptr, words, &count, &elements) == TCL_OK) {
        std::vector<Tcl_Obj*> objv{Tcl_NewStringObj(command == "reload" ? "::board::get_boards" : command.c_str(), -1)};
        // The words "$boards" and "$held" stand for those variables.
        for (int i = 0; i < count; ++i) {
            const std::string word = Tcl_GetString(elements[i]);
            Tcl_Obj* variable =
                (word == "$boards" || word == "$held") ? Tcl_GetVar2Ex(interp, word.c_str() + 1, nullptr, 0) : nullptr;
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
    return 0;
}
