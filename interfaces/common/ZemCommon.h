// Entry of the framework library.
//
// The libraries reach Tcl through its stub table, so they load into any Tcl
// 8.6 host, also one that links Tcl statically. Tcl's stub library keeps its
// table pointer private to each shared library that links it: every library
// fills its own pointer (Tcl_InitStubs) before its first Tcl call. The
// framework library has no command of its own and is never the first to be
// called, so it offers this function instead of filling its pointer on
// first use: the host and the extension call it at the top of their entry
// points, and pkgIndex.tcl loads the framework with it ("load ... Zem_common")
// before the others. Programs that link Tcl and call the libraries without
// an entry point call it once with any interpreter. Calling it again is
// harmless.
#pragma once

struct Tcl_Interp;

extern "C" int Zem_common_Init(Tcl_Interp* interp);
