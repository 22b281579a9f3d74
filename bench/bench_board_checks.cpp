// Board checks on the 1,000-board generated repository (bench/gen_repo
// -boards 1000: 20 components, a 1,000-pin FPGA pin file and a preset file
// per board), next to listing it in the same run:
//   - listing every board cold (board files only);
//   - checking every board cold: the listing, then every rule, which reads
//     each pin file and preset file once;
//   - checking again with everything read: the rules alone;
//   - checking with the rules that need no pin file (MISSING_COMPONENT,
//     MISSING_INTERFACE, the diagram rules), cold.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_repository.h"
#include "ComMsgMgr.h"
#include "HBOBoardCheck.h"
#include "HBOBoardCReposMgr.h"
#include "HBOBoardUtils.h"
#include "HPAParamMgr.h"

namespace {

// Points the repository at the generated one afresh: the next query lists it again.
void relist() {
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", "");
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", generatedRepository());
}

std::size_t check(HBOBoardCheck::Rules rules, benchmark::State& state) {
    std::vector<HBOCheckFinding> findings;
    HBOBoardCheck check(rules);
    check.checkRepository(findings);
    state.counters["boards"] = check.boardsChecked();
    return findings.size();
}

void BM_ListRepositoryCold(benchmark::State& state) {
    generatedRepository();  // a child process: out of the timing
    for (auto _ : state) {
        relist();
        std::vector<HBOBoard*> boards;
        HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
        state.counters["boards"] = static_cast<double>(boards.size());
    }
}
BENCHMARK(BM_ListRepositoryCold)->Iterations(3)->Unit(benchmark::kMillisecond);

// The floor of a check that reads every file: listing, then every pin file and preset file.
void BM_ListAndReadEveryFileCold(benchmark::State& state) {
    ComMsgMgr::Silencer quiet;
    for (auto _ : state) {
        relist();
        std::vector<HBOBoard*> boards;
        HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
        for (HBOBoard* board : boards) HBOBoardCReposMgr::getGlobal()->populatePreferenceData(board);
        state.counters["boards"] = static_cast<double>(boards.size());
    }
}
BENCHMARK(BM_ListAndReadEveryFileCold)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_CheckRepositoryCold(benchmark::State& state) {
    ComMsgMgr::Silencer quiet;
    for (auto _ : state) {
        relist();
        state.counters["findings"] = static_cast<double>(check(HBOBoardCheck::allRules(), state));
    }
}
BENCHMARK(BM_CheckRepositoryCold)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_CheckRepositoryRead(benchmark::State& state) {
    ComMsgMgr::Silencer quiet;
    relist();
    check(HBOBoardCheck::allRules(), state);  // reads every file once
    for (auto _ : state) benchmark::DoNotOptimize(check(HBOBoardCheck::allRules(), state));
}
BENCHMARK(BM_CheckRepositoryRead)->Iterations(3)->Unit(benchmark::kMillisecond);

// One rule at a time, everything read: what each rule costs.
void BM_CheckOneRuleRead(benchmark::State& state) {
    ComMsgMgr::Silencer quiet;
    relist();
    check(HBOBoardCheck::allRules(), state);
    const auto rule = static_cast<HBOBoardCheck::Rule>(state.range(0));
    state.SetLabel(HBOBoardCheck::ruleName(rule));
    for (auto _ : state) benchmark::DoNotOptimize(check(HBOBoardCheck::Rules().set(rule), state));
}
BENCHMARK(BM_CheckOneRuleRead)
    ->DenseRange(0, HBOBoardCheck::RULE_COUNT - 1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void BM_CheckRepositoryNoPinRulesCold(benchmark::State& state) {
    ComMsgMgr::Silencer quiet;
    HBOBoardCheck::Rules rules;
    for (auto rule : {HBOBoardCheck::MISSING_COMPONENT, HBOBoardCheck::MISSING_INTERFACE, HBOBoardCheck::MISSING_BOARD,
                      HBOBoardCheck::CONNECTOR_MISMATCH, HBOBoardCheck::CONNECTOR_REUSED})
        rules.set(rule);
    for (auto _ : state) {
        relist();
        benchmark::DoNotOptimize(check(rules, state));
    }
}
BENCHMARK(BM_CheckRepositoryNoPinRulesCold)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
