// The adviser over the whole catalogue for the three example supplies, and
// one plan for scale: the time per candidate against the time of a plan.
#include <benchmark/benchmark.h>

#include "advise/advise.hpp"

namespace {

using namespace flyback;

const numtext::InputTexts kSupplies[] = {
    {"12", "375", "120", "65", "80", "12"},
    {"10", "373", "127", "100", "80", "5"},
    {"60", "373", "249", "100", "80", "24"},
};

void BM_OnePlan(benchmark::State& state) {
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    const record::DesignRecord record = record::RecordPress(kSupplies[state.range(0)]);
    for (auto _ : state) benchmark::DoNotOptimize(winding::PlanWinding(record, {}, parts));
}
BENCHMARK(BM_OnePlan)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Each candidate is sketched (a plan up to its build) and bounded; only those
// whose floors can still reach the front or the ranking are planned in full.
void BM_Advise(benchmark::State& state) {
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    const record::DesignRecord record = record::RecordPress(kSupplies[state.range(0)]);
    advise::Advice advice;
    for (auto _ : state) {
        advice = advise::Advise(record, {}, parts);
        benchmark::DoNotOptimize(advice.top.data());
    }
    const auto perRun = [&](double count) {
        return benchmark::Counter(count * static_cast<double>(state.iterations()),
                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    };
    state.counters["candidates"] = static_cast<double>(advice.tried);
    state.counters["planned_in_full"] = static_cast<double>(advice.planned);
    state.counters["per_candidate"] = perRun(static_cast<double>(advice.tried));
}
BENCHMARK(BM_Advise)->DenseRange(0, 2)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
