// Cross-regulation of the classic three outputs (5 V 2 A regulated, 12 V
// 1.2 A, 30 V 20 mA): the plan with its eight corners, each arrangement's
// corners by our periodic model, and one corner by ngspice's bench, which is
// what an engineer would otherwise wait for.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cross_regulation/cross_regulation.hpp"
#include "record/design_record.hpp"
#include "spice/spice.hpp"

namespace {

using namespace flyback;

winding::Plan ThreeOutputs(bool stack) {
    winding::Options options;
    options.choices.outputs = {{5, 2, 0.5}, {12, 1.2, 0.7}, {30, 0.02, 0.7}};
    options.stack = stack;
    return *winding::PlanWinding(record::RecordPress({"25", "375", "100", "65", "80", "5"}),
                                 options, catalogue::BuiltIn())
                .plan;
}

// Wound apart (0), which plans the stacked twin too, and stacked (1).
void BM_PlanWithItsTwin(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ThreeOutputs(state.range(0) == 1));
}
BENCHMARK(BM_PlanWithItsTwin)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

void BM_EightCorners(benchmark::State& state) {
    const winding::Plan plan = ThreeOutputs(state.range(0) == 1);
    for (auto _ : state) benchmark::DoNotOptimize(cross_regulation::CrossRegulation(plan));
}
BENCHMARK(BM_EightCorners)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// One corner (the 5 V main at its least load, the others full) by ngspice,
// 2,000 periods; skipped where ngspice is not installed.
void BM_NgspiceCorner(benchmark::State& state) {
    if (std::system("command -v ngspice > /dev/null 2>&1") != 0) {
        state.SkipWithError("ngspice is not installed");
        return;
    }
    const std::filesystem::path netlist =
        std::filesystem::temp_directory_path() / "flyback-cross-regulation-bench.cir";
    std::ofstream(netlist) << spice::CrossRegulationNetlist(ThreeOutputs(state.range(0) == 1),
                                                            {false, true, true});
    const std::string run = "ngspice -b '" + netlist.string() + "' > /dev/null 2>&1";
    for (auto _ : state) benchmark::DoNotOptimize(std::system(run.c_str()));
    std::filesystem::remove(netlist);
}
BENCHMARK(BM_NgspiceCorner)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
