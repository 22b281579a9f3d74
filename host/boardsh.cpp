// boardsh: a small host shell. It starts a Tcl interpreter the way tclsh
// does (script with argv0/argv, or an interactive prompt), sets the product
// name, and loads the host commands and the board command extension.
//
// Without a script, on a terminal, the console (ConsoleTerminal.h) reads
// the commands; otherwise Tcl_Main does, as in tclsh.
//
// Host switches come first and are written --name or --name=value; the
// first word that does not start with "--" is the script, and every word
// after it belongs to the script. With --check there is no script: the
// words are board repository folders to check (see runChecks).
#include <tcl.h>

#include <boost/program_options.hpp>

#include <dlfcn.h>

#include <unistd.h>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "ComMsgMgr.h"
#include "ConsoleTerminal.h"
#include "HBOBoardCheck.h"
#include "HBOBoardCheckReport.h"
#include "HPAParamMgr.h"
#include "HUTEnv.h"
#include "tcl_obj_ref.h"
#include "ZemHost.h"

namespace po = boost::program_options;

namespace {

struct ShellSettings {
    std::string product = "Corvel";
    std::vector<std::string> repoPaths;
    bool loadExtension = true;
    bool check = false;
};

ShellSettings settings;

// The extension sits beside the host library, as built and as installed,
// wherever the library folder is; loaded by its SONAME file, which a
// runtime package installs without the development link.
std::string extensionPath() {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&Zem_host_Init), &info) || !info.dli_fname) return ZEM_EXTENSION_FILE;
    const std::string host = info.dli_fname;
    return host.substr(0, host.find_last_of('/') + 1) + ZEM_EXTENSION_FILE;
}

std::string tclList(const std::vector<std::string>& words) {
    const tov::tcltasks::tcl_obj_ref list(Tcl_NewListObj(0, nullptr));
    for (const std::string& word : words) {
        Tcl_ListObjAppendElement(nullptr, list.get(), Tcl_NewStringObj(word.c_str(), -1));
    }
    return Tcl_GetString(list.get());
}

int appInit(Tcl_Interp* interp) {
    if (Tcl_Init(interp) != TCL_OK) return TCL_ERROR;
    HUTEnv::setProductName(settings.product);
    if (!settings.repoPaths.empty()) {
        try {
            HPAParamMgr::getParamMgr().setValue("board.repoPaths", tclList(settings.repoPaths));
        } catch (const std::exception& error) {
            Tcl_SetObjResult(interp, Tcl_NewStringObj(error.what(), -1));
            return TCL_ERROR;
        }
    }
    if (Zem_host_Init(interp) != TCL_OK) return TCL_ERROR;
    if (settings.loadExtension) {
        const tov::tcltasks::tcl_obj_ref load(Tcl_NewListObj(0, nullptr));
        Tcl_ListObjAppendElement(nullptr, load.get(), Tcl_NewStringObj("load", -1));
        Tcl_ListObjAppendElement(nullptr, load.get(), Tcl_NewStringObj(extensionPath().c_str(), -1));
        if (Tcl_EvalObjEx(interp, load.get(), TCL_EVAL_GLOBAL) != TCL_OK) return TCL_ERROR;
    }
    // What is loaded is provided, so "package require zem::board" in a
    // script written for tclsh finds it here.
    if (Tcl_PkgProvide(interp, "zem::host", ZEM_VERSION) != TCL_OK) return TCL_ERROR;
    if (settings.loadExtension && Tcl_PkgProvide(interp, "zem::board", ZEM_VERSION) != TCL_OK) return TCL_ERROR;
    Tcl_SetVar(interp, "tcl_rcFileName", "~/.boardshrc", TCL_GLOBAL_ONLY);
    return TCL_OK;
}

// Starts the interpreter as Tcl_Main does for an interactive session, then
// hands it to the console.
void runInteractive(const char* argv0) {
    Tcl_FindExecutable(argv0);
    Tcl_Interp* interp = Tcl_CreateInterp();
    Tcl_SetVar2Ex(interp, "argv0", nullptr, Tcl_NewStringObj(argv0, -1), TCL_GLOBAL_ONLY);
    Tcl_SetVar2Ex(interp, "argv", nullptr, Tcl_NewListObj(0, nullptr), TCL_GLOBAL_ONLY);
    Tcl_SetVar2Ex(interp, "argc", nullptr, Tcl_NewIntObj(0), TCL_GLOBAL_ONLY);
    Tcl_SetVar2Ex(interp, "tcl_interactive", nullptr, Tcl_NewIntObj(1), TCL_GLOBAL_ONLY);
    if (appInit(interp) != TCL_OK) {
        std::cerr << "application-specific initialization failed: " << Tcl_GetStringResult(interp) << "\n";
    }
    Tcl_SourceRCFile(interp);
    zemconsole::runConsole(interp);
}

// Splits off the host switches (the leading words that start with "--").
size_t hostSwitchCount(int argc, char** argv) {
    int i = 1;
    while (i < argc && std::strncmp(argv[i], "--", 2) == 0 && std::strcmp(argv[i], "--") != 0) ++i;
    return static_cast<size_t>(i - 1);
}

// Returns -1 to go on, else the exit status.
int parseHostSwitches(int count, char** argv) {
    po::options_description options("boardsh [--switch[=value]]... ?script? ?arg ...?\nSwitches");
    options.add_options()("help", "print this help and exit")("product", po::value<std::string>(&settings.product),
                                                              "product name the host reports (default Corvel)")(
        "repo", po::value<std::vector<std::string>>(&settings.repoPaths)->composing(),
        "a board repository folder; repeat for several (default: the bundled sample repository)")(
        "no-extension", "do not load the board command extension")(
        "check",
        "check the board repositories given as the remaining words (default: those of --repo, else the "
        "bundled one), print the findings and exit: 1 when any is an ERROR, else 0");
    po::variables_map values;
    try {
        po::store(po::command_line_parser(count + 1, argv)
                      .options(options)
                      .style(po::command_line_style::allow_long | po::command_line_style::long_allow_adjacent)
                      .run(),
                  values);
        po::notify(values);
    } catch (const po::error& error) {
        std::cerr << "boardsh: " << error.what() << "\n" << options;
        return 2;
    }
    if (values.count("help")) {
        std::cout << options;
        return 0;
    }
    settings.loadExtension = values.count("no-extension") == 0;
    settings.check = values.count("check") != 0;
    return -1;
}

// Checks every board of the repositories without an interactive session,
// as a repository's own CI would: the report goes to standard output, and
// the status says whether any finding is an ERROR (2: the shell could not start).
int runChecks(const char* argv0, const std::vector<std::string>& folders) {
    settings.repoPaths.insert(settings.repoPaths.end(), folders.begin(), folders.end());
    Tcl_FindExecutable(argv0);
    Tcl_Interp* interp = Tcl_CreateInterp();
    if (appInit(interp) != TCL_OK) {
        std::cerr << "boardsh: " << Tcl_GetStringResult(interp) << "\n";
        Tcl_DeleteInterp(interp);
        return 2;
    }
    std::vector<HBOCheckFinding> findings;
    HBOBoardCheck check;
    {
        ComMsgMgr::Silencer quiet;  // the findings say what the loading warnings would
        check.checkRepository(findings);
    }
    std::cout << HBOBoardCheckReport::text(findings, check.boardsChecked()) << std::flush;
    Tcl_DeleteInterp(interp);
    Tcl_Finalize();
    return HBOBoardCheckReport::hasErrors(findings) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    size_t switches = hostSwitchCount(argc, argv);
    int status = parseHostSwitches(static_cast<int>(switches), argv);
    if (status >= 0) return status;

    int first = static_cast<int>(switches) + 1;
    if (first < argc && std::strcmp(argv[first], "--") == 0) ++first;
    if (settings.check) return runChecks(argv[0], std::vector<std::string>(argv + first, argv + argc));
    if (first == argc && isatty(STDIN_FILENO) && zemconsole::lineEditingAvailable()) {
        runInteractive(argv[0]);
        return 0;
    }
    std::vector<char*> tclArgs;
    tclArgs.push_back(argv[0]);
    for (int i = first; i < argc; ++i) tclArgs.push_back(argv[i]);
    tclArgs.push_back(nullptr);
    Tcl_Main(static_cast<int>(tclArgs.size()) - 1, tclArgs.data(), appInit);
    return 0;
}
