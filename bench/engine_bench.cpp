// Speed of one press and the price of checked arithmetic.
//   build/default/bench/flyback-bench
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <string>

#include "design/calculate.hpp"
#include "design/constants.hpp"
#include "design/core_size_table.hpp"
#include "numtext/run_calculation.hpp"

namespace {

using namespace flyback;

const design::DesignInputs kDefaults{60, 368, 200, 20000, 0.75, 5};

// The design chain in plain doubles: same grouping, no fault checks. Kept out of
// line like the real chain, which lives in another library, so that both pay
// for one call.
[[gnu::noinline]] design::DesignResults UncheckedChain(const design::DesignInputs& in,
                                                       const design::PublishResult& publish) {
    using namespace design::constants;
    design::DesignResults r;
    const double P = in.OutputPower, Vmax = in.MaxInputVoltage, Vmin = in.MinInputVoltage;
    const double f = in.Frequency, eta = in.Efficiency, Vo = in.OutputVoltage;
    r.RequiredCoreArea = std::sqrt((P * kAreaNumeratorFactor) / f) * kAreaCoefficient;
    const design::CoreSelection core = design::SelectCore(r.RequiredCoreArea);
    r.Core = core.Core;
    r.CoreArea = core.CoreArea;
    publish(design::Published::CoreType, r);
    r.FluxDensity = kFluxDensity;
    r.ReflectedVoltage = (Vmax * kReflectedVoltageBase) / kReferenceInputVoltage;
    r.SpikeAllowance = (Vmax * kSpikeBase) / kReferenceInputVoltage;
    r.SwitchVoltage = (Vmax + r.ReflectedVoltage) + r.SpikeAllowance;
    publish(design::Published::SwitchVoltage, r);
    const double D = r.MaxDutyCycle = r.ReflectedVoltage / (r.ReflectedVoltage + Vmin);
    const double Lp = r.PrimaryInductance = (eta * ((Vmin * D) * (Vmin * D))) / ((2 * P) * f);
    publish(design::Published::PrimaryInductance, r);
    r.PeakCurrent = (2 * P) / ((eta * Vmin) * D);
    const double Isc = r.SwitchCurrent = kCurrentMargin * r.PeakCurrent;
    publish(design::Published::SwitchCurrent, r);
    r.StoredEnergy = (Lp * (Isc * Isc)) / 2;
    r.FluxGapProduct = (kGapFactor * r.StoredEnergy) / (r.CoreArea * r.FluxDensity);
    r.PrimaryTurns = r.FluxGapProduct / (kTurnsFactor * Isc);
    publish(design::Published::PrimaryTurns, r);
    r.GapLength = (r.FluxGapProduct / r.FluxDensity) * kCentimetresToMillimetres;
    publish(design::Published::GapLength, r);
    r.SecondaryTurns = ((r.PrimaryTurns * (Vo + kRectifierDrop)) * (1 - D)) / (Vmin * D);
    publish(design::Published::SecondaryTurns, r);
    return r;
}

void IgnorePublished(design::Published, const design::DesignResults& r) {
    benchmark::DoNotOptimize(&r);
}

void BM_PressSixTextsToSevenTexts(benchmark::State& state) {
    const numtext::InputTexts inputs = {"60", "368", "200", "20", "75", "5"};
    std::array<std::string, numtext::kResultCount> boxes;
    const numtext::SetResultText setText = [&](int box, std::string_view text) {
        boxes[box].assign(text);
    };
    for (auto _ : state) {
        numtext::RunCalculation(inputs, setText);
        benchmark::DoNotOptimize(boxes.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PressSixTextsToSevenTexts);

template <auto Chain>
void BM_Chain(benchmark::State& state) {
    design::DesignInputs inputs = kDefaults;
    const design::PublishResult publish = IgnorePublished;
    for (auto _ : state) {
        benchmark::DoNotOptimize(inputs);
        benchmark::DoNotOptimize(Chain(inputs, publish));
    }
    state.SetItemsProcessed(state.iterations());
}
constexpr design::DesignResults (*kCheckedChain)(const design::DesignInputs&,
                                                 const design::PublishResult&) = design::Calculate;
BENCHMARK(BM_Chain<kCheckedChain>)->Name("BM_EngineChainChecked");
BENCHMARK(BM_Chain<UncheckedChain>)->Name("BM_EngineChainUnchecked");

}  // namespace
