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

void BM_Advise(benchmark::State& state) {
    const catalogue::Catalogue& parts = catalogue::BuiltIn();
    const record::DesignRecord record = record::RecordPress(kSupplies[state.range(0)]);
    long planned = 0;
    for (auto _ : state) {
        const advise::Advice advice = advise::Advise(record, {}, parts);
        planned = advice.tried - advice.pruned;
        benchmark::DoNotOptimize(advice.top.data());
    }
    state.counters["planned"] = static_cast<double>(planned);
    state.counters["per_plan_us"] =
        benchmark::Counter(static_cast<double>(planned) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Advise)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
