// The adviser over the whole catalogue for the three example supplies, and
// one plan for scale: the time per candidate against the time of a plan.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

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

namespace {

// The built-in cores `copies` times over, each copy a little larger (1 % in
// every length per copy): a catalogue of the size a market's makers list, to
// show how the adviser's time grows with it. For timing only.
catalogue::Catalogue Enlarged(long copies) {
    catalogue::Catalogue parts = catalogue::BuiltIn();
    const std::vector<catalogue::Core> originals = parts.cores;
    for (long copy = 1; copy < copies; ++copy) {
        const double s = 1 + 0.01 * static_cast<double>(copy);
        for (catalogue::Core core : originals) {
            core.name += " x" + std::to_string(copy);
            core.aliases.clear();
            core.Ae_mm2 *= s * s;
            core.Amin_mm2 *= s * s;
            core.le_mm *= s;
            core.Ve_mm3 *= s * s * s;
            core.window_mm2 *= s * s;
            core.winding_width_mm *= s;
            core.winding_height_mm *= s;
            if (core.MLT_mm) *core.MLT_mm *= s;
            parts.cores.push_back(std::move(core));
        }
    }
    return parts;
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The adviser's time as a number of plans of the same supply, both timed in
// the same run, so that the figure does not depend on the machine: the
// adviser is meant to take at most about 50 plans. Arguments: the supply, the
// catalogue's size as copies of the built-in cores, and whether every
// material is weighed (1) or the plan's own (0).
void BM_AdviseInPlans(benchmark::State& state) {
    const catalogue::Catalogue parts = Enlarged(state.range(1));
    const record::DesignRecord record = record::RecordPress(kSupplies[state.range(0)]);
    advise::Settings settings;
    if (state.range(2) == 1) settings.materials = {"all"};
    double plans = 0;
    advise::Advice advice;
    for (auto _ : state) {
        constexpr int kPlans = 20;
        const auto planStart = std::chrono::steady_clock::now();
        for (int i = 0; i < kPlans; ++i) {
            benchmark::DoNotOptimize(winding::PlanWinding(record, {}, parts));
        }
        const double onePlan = Milliseconds(std::chrono::steady_clock::now() - planStart) / kPlans;
        const auto adviseStart = std::chrono::steady_clock::now();
        advice = advise::Advise(record, {}, parts, settings);
        plans = Milliseconds(std::chrono::steady_clock::now() - adviseStart) / onePlan;
    }
    state.counters["cores"] = static_cast<double>(parts.cores.size());
    state.counters["candidates"] = static_cast<double>(advice.tried);
    state.counters["planned_in_full"] = static_cast<double>(advice.planned);
    state.counters["advise_in_plans"] = plans;
}
BENCHMARK(BM_AdviseInPlans)
    ->ArgsProduct({{0, 1, 2}, {1, 5}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The 18 W adapter's output at ever smaller loads, and supplies of a watt or
// less: a tiny output is a real design (a bias, a signal rail), and the
// adviser's work must not grow as the load falls. Argument: the output's
// current in milliamperes (the 12 V output of the 12 W supply, whose power
// follows it).
void BM_AdviseAsTheLoadFalls(benchmark::State& state) {
    const double amps = static_cast<double>(state.range(0)) / 1000;
    const std::string power = std::to_string(12 * amps);
    const record::DesignRecord record =
        record::RecordPress({power, "375", "120", "65", "80", "12"});
    winding::Options options;
    options.choices.outputs = {{12, amps, winding::physics::kRectifierDrop}};
    advise::Advice advice;
    for (auto _ : state) advice = advise::Advise(record, options, catalogue::BuiltIn());
    state.counters["candidates"] = static_cast<double>(advice.tried);
    state.counters["planned_in_full"] = static_cast<double>(advice.planned);
}
BENCHMARK(BM_AdviseAsTheLoadFalls)
    ->Arg(1000)
    ->Arg(100)
    ->Arg(30)
    ->Arg(10)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
