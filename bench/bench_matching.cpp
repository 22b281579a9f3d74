// Speed of the name and filter matchers over many objects.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "HCPProperty.h"
#include "HCPTclFilterMatch.h"
#include "HTCTclPatternMatch.h"
#include "tclany.h"

namespace {

constexpr int kObjects = 100000;

struct BenchPart {
    std::string name;
    bool enabled;
    long long index;
    std::string getName() const { return name; }
};

std::vector<BenchPart>& parts() {
    static std::vector<BenchPart> all = [] {
        std::vector<BenchPart> made;
        made.reserve(kObjects);
        for (int i = 0; i < kObjects; ++i) {
            made.push_back({(i % 3 ? "led_" : "gpio_sw_") + std::to_string(i), i % 2 == 0, i % 7});
        }
        auto& info = HCPProperty::registerClass<BenchPart>("bench_part");
        using Type = HCPProperty::Type;
        HCPProperty::addProperty<BenchPart>(info, "NAME", Type::String, "",
                                            [](const BenchPart& p) { return HCPValue(p.name); });
        HCPProperty::addProperty<BenchPart>(info, "IS_ENABLED", Type::Bool, "",
                                            [](const BenchPart& p) { return HCPValue(p.enabled); });
        HCPProperty::addProperty<BenchPart>(info, "INDEX", Type::Int, "",
                                            [](const BenchPart& p) { return HCPValue(p.index); });
        return made;
    }();
    return all;
}

void BM_GlobMatch(benchmark::State& state) {
    const auto& all = parts();
    HTCTclPatternMatch matcher("led_*9", false, false, nullptr);
    for (auto _ : state) {
        int hits = 0;
        for (const auto& part : all) hits += matcher.match(part.name, -1);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_GlobMatch)->Unit(benchmark::kMillisecond);

void BM_FilterMatch(benchmark::State& state) {
    auto& all = parts();
    std::vector<tov::tcltasks::tclany> objects;
    objects.reserve(all.size());
    for (auto& part : all) objects.emplace_back(&part);
    HCPTclFilterMatch filter("NAME =~ \"led*\" && (IS_ENABLED == true || INDEX >= 3)", nullptr, false, false);
    for (auto _ : state) {
        int hits = 0;
        for (const auto& object : objects) hits += filter.match(object);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_FilterMatch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
