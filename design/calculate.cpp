#include "design/calculate.hpp"

#include "design/constants.hpp"
#include "design/core_size_table.hpp"
#include "runtime/arithmetic.hpp"

namespace flyback::design {

using namespace constants;
using runtime::Add;
using runtime::Divide;
using runtime::Multiply;
using runtime::Power;
using runtime::SquareRoot;
using runtime::Subtract;

// Each expression keeps its grouping on purpose: a different order of the same
// operations can change the last bit of a result.
DesignResults Calculate(const DesignInputs& inputs, const PublishResult& publish) {
    DesignResults results;
    Calculate(inputs, publish, results);
    return results;
}

void Calculate(const DesignInputs& in, const PublishResult& publish, DesignResults& r) {
    const double P = in.OutputPower;
    const double Vmax = in.MaxInputVoltage;
    const double Vmin = in.MinInputVoltage;
    const double f = in.Frequency;
    const double eta = in.Efficiency;
    const double Vo = in.OutputVoltage;

    r.RequiredCoreArea =
        Multiply(SquareRoot(Divide(Multiply(P, kAreaNumeratorFactor), f)), kAreaCoefficient);

    const CoreSelection core = SelectCore(r.RequiredCoreArea);
    r.Core = core.Core;
    r.CoreArea = core.CoreArea;
    publish(Published::CoreType, r);

    r.FluxDensity = kFluxDensity;
    r.ReflectedVoltage = Divide(Multiply(Vmax, kReflectedVoltageBase), kReferenceInputVoltage);
    r.SpikeAllowance = Divide(Multiply(Vmax, kSpikeBase), kReferenceInputVoltage);
    r.SwitchVoltage = Add(Add(Vmax, r.ReflectedVoltage), r.SpikeAllowance);
    publish(Published::SwitchVoltage, r);

    const double Vor = r.ReflectedVoltage;
    const double D = r.MaxDutyCycle = Divide(Vor, Add(Vor, Vmin));
    const double Lp = r.PrimaryInductance =
        Divide(Multiply(eta, Power(Multiply(Vmin, D), 2)), Multiply(Multiply(2, P), f));
    publish(Published::PrimaryInductance, r);

    r.PeakCurrent = Divide(Multiply(2, P), Multiply(Multiply(eta, Vmin), D));
    const double Isc = r.SwitchCurrent = Multiply(kCurrentMargin, r.PeakCurrent);
    publish(Published::SwitchCurrent, r);

    r.StoredEnergy = Divide(Multiply(Lp, Power(Isc, 2)), 2);
    r.FluxGapProduct =
        Divide(Multiply(kGapFactor, r.StoredEnergy), Multiply(r.CoreArea, r.FluxDensity));
    const double Np = r.PrimaryTurns = Divide(r.FluxGapProduct, Multiply(kTurnsFactor, Isc));
    publish(Published::PrimaryTurns, r);

    r.GapLength = Multiply(Divide(r.FluxGapProduct, r.FluxDensity), kCentimetresToMillimetres);
    publish(Published::GapLength, r);

    r.SecondaryTurns =
        Divide(Multiply(Multiply(Np, Add(Vo, kRectifierDrop)), Subtract(1, D)), Multiply(Vmin, D));
    publish(Published::SecondaryTurns, r);
}

}  // namespace flyback::design
