// Cost of handing objects to Tcl through the framework, each next to its
// floor measured in the same run:
//   - a collection of N new native objects vs a plain list of N new strings;
//   - the display-limited string of a large collection (should not grow with N);
//   - a collection read as a list and then used as its collection again vs
//     the same list read twice.
// One framework command call against a bare command: bench_command_call.
#include <benchmark/benchmark.h>
#include <tcl.h>

#include <string>
#include <vector>

#include "../tests/tcltasks/example_command.h"

namespace {

using example::Widget;
using example::widget_list;
using example::widget_scope;

Tcl_Interp* bench_interp() {
    static Tcl_Interp* interp = [] {
        Tcl_FindExecutable(nullptr);
        Tcl_Interp* made = Tcl_CreateInterp();
        example::register_classes();
        auto& model = example::Model::global();
        example::Gadget* g = model.add_gadget("g");
        for (const char* name : {"beta", "Alpha", "gamma"}) model.add_widget(name, g);
        example::widgets_command::init(made);
        tov::tcltasks::register_collection_commands(made);
        return made;
    }();
    return interp;
}

std::vector<Widget>& widgets(std::size_t count) {
    static std::vector<Widget> pool;
    if (pool.size() < count) {
        pool.clear();
        pool.reserve(count);
        for (std::size_t i = 0; i < count; ++i) pool.push_back(Widget{"widget_" + std::to_string(i), nullptr});
    }
    return pool;
}

// Floor: a Tcl list of N new string objects with the same names, then freed.
void BM_PlainListOfNewStrings(benchmark::State& state) {
    bench_interp();  // Tcl must be initialised before it makes objects
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<Widget>& pool = widgets(count);
    for (auto _ : state) {
        Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
        Tcl_IncrRefCount(list);
        for (std::size_t i = 0; i < count; ++i) {
            const std::string name = pool[i].getName();
            Tcl_ListObjAppendElement(nullptr, list, Tcl_NewStringObj(name.data(), static_cast<int>(name.size())));
        }
        benchmark::DoNotOptimize(list);
        Tcl_DecrRefCount(list);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
}

// A collection of N model objects handed to Tcl, each element made a new
// native Tcl object (as iterating it does), then released from the cache.
void BM_CollectionOfNewNativeObjects(benchmark::State& state) {
    bench_interp();
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<Widget>& pool = widgets(count);
    tov::tcltasks::native_cache_base& cache = tov::tcltasks::native_cache<Widget*>::base();
    for (auto _ : state) {
        widget_list result;
        for (std::size_t i = 0; i < count; ++i) result.push_back(&pool[i]);
        Tcl_Obj* obj = widget_scope::to_tcl(result);
        Tcl_IncrRefCount(obj);
        auto* wrapper = tov::tcltasks::detail::get_collection(obj);
        for (std::size_t i = 0; i < count; ++i) benchmark::DoNotOptimize(wrapper->element_tclobj(i));
        Tcl_DecrRefCount(obj);
        cache.release_unreferenced();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
}

// Only the collection value (no element objects): what a command returns.
void BM_ReturnCollection(benchmark::State& state) {
    Tcl_Interp* interp = bench_interp();
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<Widget>& pool = widgets(count);
    for (auto _ : state) {
        widget_list result;
        for (std::size_t i = 0; i < count; ++i) result.push_back(&pool[i]);
        widget_scope::set_result(interp, result);
        Tcl_ResetResult(interp);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
}

// The string form under the default display limit: flat in N.
void BM_LimitedStringOfCollection(benchmark::State& state) {
    bench_interp();
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<Widget>& pool = widgets(count);
    widget_list result;
    for (std::size_t i = 0; i < count; ++i) result.push_back(&pool[i]);
    Tcl_Obj* obj = widget_scope::to_tcl(result);
    Tcl_IncrRefCount(obj);
    for (auto _ : state) {
        tov::tcltasks::detail::shimmer(obj);
        benchmark::DoNotOptimize(Tcl_GetString(obj));
    }
    Tcl_DecrRefCount(obj);
}

// Runs script in a fresh variable r holding value.
void run_on(benchmark::State& state, Tcl_Obj* value, const char* text) {
    Tcl_Interp* interp = bench_interp();
    Tcl_SetVar2Ex(interp, "r", nullptr, value, 0);
    Tcl_Obj* script = Tcl_NewStringObj(text, -1);
    Tcl_IncrRefCount(script);
    for (auto _ : state) {
        if (Tcl_EvalObjEx(interp, script, 0) != TCL_OK) {
            state.SkipWithError(Tcl_GetStringResult(interp));
            break;
        }
    }
    Tcl_DecrRefCount(script);
    Tcl_UnsetVar(interp, "r", 0);
}

// Each round Tcl parses the collection's string into a list, and the
// collection command stamps the value back as its collection.
void BM_ListUseThenCollection(benchmark::State& state) {
    bench_interp();
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<Widget>& pool = widgets(count);
    widget_list result;
    for (std::size_t i = 0; i < count; ++i) result.push_back(&pool[i]);
    run_on(state, widget_scope::to_tcl(result), "llength $r; sizeof_collection $r");
}

// Floor: a plain list of the names, parsed once and read twice.
void BM_ListUseTwice(benchmark::State& state) {
    bench_interp();
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<Widget>& pool = widgets(count);
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    for (std::size_t i = 0; i < count; ++i) {
        Tcl_ListObjAppendElement(nullptr, list, Tcl_NewStringObj(pool[i].getName().c_str(), -1));
    }
    run_on(state, list, "llength $r; llength $r");
}

}  // namespace

BENCHMARK(BM_PlainListOfNewStrings)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollectionOfNewNativeObjects)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReturnCollection)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LimitedStringOfCollection)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListUseThenCollection)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListUseTwice)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
