#include "spice/spice.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "cross_regulation/circuit.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"
#include "version/version.hpp"

namespace flyback::spice {
namespace {

using cross_regulation::DiodeSaturation_A;
using cross_regulation::kUnloadedBias_ohm;
using cross_regulation::LossResistance;
using cross_regulation::PrimaryResistance;
using cross_regulation::SwitchDrop;
using winding::Plan;
using winding::Role;
using winding::Winding;

constexpr double kOutputRipple = 0.005;  // of the output, to size its capacitor
constexpr int kPeriods = 400;            // from the outputs' set voltages to settled
constexpr int kMeasuredPeriods = 50;     // the last ones
constexpr int kStepsPerPeriod = 400;
// The cross-regulation bench: its outputs' capacitors for this ripple at
// their corner's load, and run this long: the controller's integrator
// settles in some two thousand periods.
constexpr double kCrossRipple = 0.01;
constexpr int kCrossPeriods = 2000;
// The duty's trim per volt of the output's error and second: the loop
// crosses over near a kilohertz, well below the switching. A valley-switched
// bench trims its peak current as much, in proportion.
constexpr double kTrimGain = 15;
// Valley switching: the secondary conducts above a twentieth of its peak and
// has stopped below 50 mA; the drain's valley is where its fall slows below
// a volt a microsecond (its ring falls at hundreds).
constexpr double kConductingShare = 0.05;
constexpr double kStoppedCurrent_A = 0.05;
constexpr double kValleySlope = 1e6;

std::string N(double value) {
    return runtime::decimal::ShortestText(value);
}

// A time to the femtosecond: a period's fraction without a tail of digits.
std::string Time(double seconds) {
    return N(std::round(seconds * 1e15) / 1e15);
}

// A secondary's coil as the bench names it: "s1" for output 1, "b" for
// the bias winding.
std::string CoilName(int output) {
    return output == cross_regulation::kBias ? "b" : "s" + std::to_string(output + 1);
}

// The netlist's first line; ASCII throughout: the core's catalogue name, not
// its Chinese caption.
std::string Title(const Plan& plan) {
    return "* flyback-designer " + std::string(kProgramVersion) + ": " + plan.core->name + " " +
           plan.material->name + ", Np " + std::to_string(plan.Np) + "\n";
}

// The switch, on at the gate, with its steady drop and its on-resistance.
std::string Switch(double drop_V, double on_ohm) {
    return "S1 drain source gate 0 switch\nVdrop source 0 DC " + N(drop_V) + "\n" +
           ".model switch SW(Vt=2.5 Vh=0.5 Ron=" + N(on_ohm) + " Roff=1e8)\n";
}

// The clamp's diode.
constexpr std::string_view kFastDiode = ".model fast D(Is=1e-12 N=1.5 Rs=0.05)\n";

struct Coil {
    std::string name;  // "s1", "b"
    const Winding* winding;
    double turns;
    double resistance_ohm;
};

// A secondary as the circuit has it: a split one's halves in series.
Coil SecondaryCoil(const Plan& plan, const Winding& w) {
    double resistance = 0;
    for (const Winding& part : plan.windings) {
        if (part.role == Role::Secondary && part.output == w.output)
            resistance += LossResistance(part);
    }
    return {CoilName(w.output), &w, double(winding::WholeTurns(plan, w)), resistance};
}

// The secondaries in the outputs' order, then the bias winding.
std::vector<Coil> Coils(const Plan& plan) {
    std::vector<Coil> coils;
    for (const Winding& w : plan.windings) {
        if (w.role == Role::Secondary && w.half != 2) coils.push_back(SecondaryCoil(plan, w));
    }
    std::sort(coils.begin(), coils.end(),
              [](const Coil& a, const Coil& b) { return a.winding->output < b.winding->output; });
    for (const Winding& w : plan.windings) {
        if (w.role == Role::Bias)
            coils.push_back(
                {CoilName(cross_regulation::kBias), &w, double(w.turns), LossResistance(w)});
    }
    return coils;
}

constexpr double kLeastResistance_ohm = 1e-4;

std::string Subcircuit(const Plan& plan, const std::vector<Coil>& coils) {
    std::string pins = "pd pf";
    for (const Coil& c : coils) pins += " " + c.name + "d " + c.name + "f";
    std::string net = ".subckt flyback_transformer " + pins + "\n";
    net += "* the primary: pd (dotted, the drain) to pf; each winding xd (dotted) to xf\n";
    net += "Rp pd p1 " + N(PrimaryResistance(plan)) + "\n";
    // The part as the build estimates its leakage; the clamp is sized for
    // the higher limit the shop accepts, and runs cooler on this one. The
    // plan's Lp is what stores the core's energy: the leakage in series
    // takes its own share of the on-time's volts, as the plan has it.
    const double leakage = plan.clamp.estimate_H.value_or(plan.clamp.leakage_H);
    net += "Llk p1 p2 " + N(leakage) + "\n";
    net += "Lp p2 pf " + N(plan.Lp_H) + "\n";
    const winding::OperatingPoint& p = plan.atVmin;
    const double reset = p.mode == winding::Mode::Discontinuous ? p.D2 : 1 - p.D;
    const double rms2 = p.Von * p.Von * p.D + p.Vreset * p.Vreset * reset;
    if (plan.Pcore_W && *plan.Pcore_W > 0)
        net += "Rcore p2 pf " + N(rms2 / *plan.Pcore_W) + "  ; the core's loss at this swing\n";
    // Each winding is coupled to the core alone, as an ideal transformer on
    // the magnetising inductance: its voltage the turns ratio times the
    // core's, its current reflected into the core's node. The netlist grows
    // by four lines a winding, however many there are.
    for (const Coil& c : coils) {
        const std::string ratio = N(c.turns / plan.Np);
        net += "R" + c.name + " " + c.name + "i " + c.name + "d " +
               N(std::max(c.resistance_ohm, kLeastResistance_ohm)) + "\n";
        net += "V" + c.name + " " + c.name + "i " + c.name + "e 0  ; the current into its dot\n";
        net += "E" + c.name + " " + c.name + "e " + c.name + "f p2 pf " + ratio + "\n";
        net += "F" + c.name + " pf p2 V" + c.name + " " + ratio + "\n";
    }
    return net + ".ends flyback_transformer\n";
}

std::string DiodeModel(const std::string& name, double VF, double I) {
    return ".model " + name + " D(Is=" + N(DiodeSaturation_A(VF, I)) + " N=1)\n";
}

// A secondary's peak as the plan has it, when it takes the primary's
// ampere-turns at switch-off: its ramp in the last period's reset, averaged
// over two stretches (the leakage's ringing averages out) and drawn back to
// the switch-off. It flows out of its dot, hence the sign.
std::string SecondaryPeak(const Plan& plan, const Coil& c, const std::string& current) {
    const double T = 1 / plan.f_Hz, off = (kPeriods - 1 + plan.atVmin.D) * T;
    const double reset = plan.atVmin.D2 * T;
    const std::string name = SecondaryPeakMeasure(c.winding->output);
    const auto stretch = [&](const std::string& which, double from, double to) {
        return ".meas tran " + name + which + " AVG" + current +
               " FROM=" + Time(off + from * reset) + " TO=" + Time(off + to * reset) + "\n";
    };
    // Centred at 0.3 and 0.7 of the reset: the switch-off lies 0.75 of
    // their distance before the first.
    return stretch("a", 0.2, 0.4) + stretch("b", 0.6, 0.8) + ".meas tran " + name + " param='-(" +
           name + "a+(" + name + "a-" + name + "b)*0.75)'\n";
}

// The controller holds the regulated output: a ramp at f against the duty,
// which an integrator of the output's error trims from the plan's.
std::string FixedController(const Plan& plan) {
    const double T = 1 / plan.f_Hz;
    const double Vo = plan.outputs.front().set.V;
    return "* the controller: the duty from the plan's, trimmed to hold " + N(Vo) + " V\n" +
           "Vramp ramp 0 PULSE(0 1 0 " + Time(T - 2e-9) + " 1n 1n " + Time(T) + ")\n" +
           "Gtrim 0 duty value={" + N(kTrimGain) + "*(" + N(Vo) + "-v(outs1))}\n" +
           "Cduty duty 0 1\n" + "Bgate gate 0 V=5*u(v(duty)-v(ramp))\n";
}

// A valley-switched bench runs at either end of the input, one line changed:
// the input, the peak current the controller starts from, the clamp's charge.
std::string ValleyInput(const Plan& plan) {
    const auto params = [&](const winding::OperatingPoint& p) {
        return ".param vin=" + N(p.Vin) + " ipk0=" + N(p.Ipk) +
               " vclamp0=" + N(p.Vin + plan.clamp.V) + " nvalley=" + std::to_string(p.valley) +
               "\n";
    };
    return params(plan.atVmin) + "* at the maximum input: " + params(plan.atVmax) +
           "Vin vin 0 DC {vin}\n";
}

// What the drain rings on: the capacitance a valley-switched plan runs
// with, else the switch's Coss and the build's own as the plan finds them.
double DrainCapacitance(const Plan& plan) {
    if (plan.switching) return plan.switching->Cds_F;
    if (plan.capacitance) return plan.capacitance->drain_F;
    return plan.options.choices.Cds_F.value_or(plan.options.choices.Coss_F);
}

// Peak-current control switched on at the drain's valley: off when the
// primary's current reaches the peak (an integrator of the output's error
// trims it from the plan's); armed while the regulated secondary conducts,
// on again once it has stopped and the drain, below the input, stops
// falling (the ring's valley, or zero volts on the switch's body diode where
// the reflected voltage reaches the input). Two latches of a capacitor each,
// driven by behavioural currents. For the k-th valley a timer from the
// secondary's stop (a volt a microsecond) opens the latch only after k − 1
// rings, half a ring before the valley: the ring's own period may stray by
// the parts the plan leaves out.
std::string ValleyController(const Plan& plan) {
    const double Vo = plan.outputs.front().set.V;
    const double conducting_A = kConductingShare * plan.outputs.front().Ipeak_A;
    const double ring_us =
        2 * std::numbers::pi * std::sqrt(plan.Lp_H * DrainCapacitance(plan)) * 1e6;
    const std::string stopped = "u(i(v.x1.vs1)+" + N(kStoppedCurrent_A) + ")";
    return "* the controller: the peak current from the plan's, trimmed to hold " + N(Vo) +
           " V; on at the drain's valley nvalley\n" + "Gtrim 0 ipeak value={" +
           N(kTrimGain * plan.atVmin.Ipk) + "*(" + N(Vo) + "-v(outs1))}\n" + "Cipeak ipeak 0 1\n" +
           "Barm 0 arm I=0.1*(u(-i(v.x1.vs1)-" + N(conducting_A) +
           ")*(5-v(arm))-u(v(gate)-4.5)*v(arm))\n" + "Carm arm 0 1n\n" +
           "Bwait 0 wait I=1e-3*u(v(arm)-2.5)*" + stopped + "-0.1*u(v(gate)-4.5)*v(wait)\n" +
           "Cwait wait 0 1n\n" + "Bgate 0 gate I=0.1*(u(v(arm)-2.5)*" + stopped +
           "*u(v(wait)-{(nvalley-1)*" + N(ring_us) + "-0.01})*u(v(vin)-v(drain))*u(ddt(v(drain))+" +
           N(kValleySlope) + ")*(5-v(gate))-u(i(Vsense)-v(ipeak))*v(gate))\n" +
           "Cgate gate 0 1n\n" + "Dbody 0 drain fast  ; the switch's body diode\n";
}

}  // namespace

std::string OutputMeasure(int output) {
    return "vout" + std::to_string(output + 1);
}

std::string SecondaryPeakMeasure(int output) {
    return "ispk" + std::to_string(output + 1);
}

std::string SecondaryRmsMeasure(int output) {
    return "isrms" + std::to_string(output + 1);
}

std::string Netlist(const Plan& plan) {
    const std::vector<Coil> coils = Coils(plan);
    const double T = 1 / plan.f_Hz;
    const double start = (kPeriods - kMeasuredPeriods) * T, stop = kPeriods * T;
    std::string net = Title(plan);
    net += "* at the minimum input " + N(plan.atVmin.Vin) + " V, full load, duty " +
           N(plan.atVmin.D) + ", f " + N(plan.f_Hz) + " Hz\n";
    net += Subcircuit(plan, coils);
    const std::optional<winding::Resonance> valley = plan.switching;
    net += "\n* the bench\n";
    net += valley ? ValleyInput(plan) : "Vin vin 0 DC " + N(plan.atVmin.Vin) + "\n";
    net += "Vsense vin pf 0  ; the primary's current\n";
    std::string pins = "drain pf";
    for (const Coil& c : coils) pins += " " + c.name + "a 0";
    net += "X1 " + pins + " flyback_transformer\n";
    net += valley ? ValleyController(plan) : FixedController(plan);
    net += "* the switch's drop spends the primary side's loss beyond its copper and the clamp\n";
    net += Switch(SwitchDrop(plan), cross_regulation::kSwitchOn_ohm);
    net += "Cds drain 0 " + N(DrainCapacitance(plan)) + "  ; the switch's Coss and the build's\n";
    net += "* the RCD clamp at " + N(plan.clamp.V) + " V above the input\n";
    net += "Dclamp drain clamp fast\nRclamp clamp vin " + N(plan.clamp.R_ohm) + "\n";
    net += "Cclamp clamp vin " + N(plan.clamp.C_F) + "\n" + std::string(kFastDiode);
    std::string initial =
        valley
            ? ".ic v(clamp)={vclamp0} v(ipeak)={ipk0} v(gate)=5 v(arm)=0 v(wait)=0"
            : ".ic v(clamp)=" + N(plan.atVmin.Vin + plan.clamp.V) + " v(duty)=" + N(plan.atVmin.D);
    std::string measures;
    for (const Coil& c : coils) {
        const bool bias = c.winding->role == Role::Bias;
        double V = 0, I = 0, VF = 0;
        if (bias) {
            V = plan.options.Vaux_V.value_or(0);
            I = plan.options.choices.biasI_A;
            VF = plan.options.choices.biasVF_V;
        } else {
            const winding::OutputResult& out =
                plan.outputs[static_cast<std::size_t>(c.winding->output)];
            V = out.set.V;
            I = out.set.I_A;
            VF = out.set.VF_V;
        }
        const std::string out = "out" + c.name;
        net += "D" + c.name + " " + c.name + "a " + out + " d" + c.name + "\n";
        net += DiodeModel("d" + c.name, VF, I);
        const double load = I > 0 ? V / I : kUnloadedBias_ohm;
        net += "C" + c.name + " " + out + " 0 " +
               N(std::max(I, V / load) / (plan.f_Hz * kOutputRipple * V)) + "\n";
        net += "Rload" + c.name + " " + out + " 0 " + N(load) + "\n";
        initial += " v(" + out + ")=" + N(V);
        if (!bias) {
            const std::string window = " FROM=" + Time(start) + " TO=" + Time(stop) + "\n";
            const std::string current = " i(v.x1.v" + c.name + ")";
            measures += ".meas tran " + OutputMeasure(c.winding->output) + " AVG v(" + out + ")";
            measures += window;
            // The fixed-frequency bench's clock places the reset to measure
            // the secondary's peak in; a valley-switched one has none.
            if (!valley) measures += SecondaryPeak(plan, c, current);
            measures += ".meas tran " + SecondaryRmsMeasure(c.winding->output) + " RMS" + current;
            measures += window;
        }
    }
    net += initial + "\n";
    net += ".options method=gear reltol=1e-4\n";
    const std::string step = Time(T / kStepsPerPeriod), from = " FROM=" + Time(start),
                      to = " TO=" + Time(stop);
    net += ".tran " + step + " " + Time(stop) + " 0 " + step + " uic\n";
    net += ".meas tran " + std::string(kPeakCurrent) + " MAX i(Vsense)" + from + to + "\n";
    net += ".meas tran " + std::string(kSwitchPeak) + " MAX v(drain)" + from + to + "\n";
    if (!valley && plan.atVmin.mode == winding::Mode::Discontinuous) {
        // The drain rings about the input once the secondaries stop: from the
        // last period's on-time on, its first two falls through the input.
        const double from = (kPeriods - 1 + plan.atVmin.D / 2) * T;
        const std::string ring = ".meas tran " + std::string(kRingPeriod);
        const std::string level = " WHEN v(drain)=" + N(plan.atVmin.Vin);
        net += ring + "a" + level + " FALL=1 TD=" + Time(from) + "\n";
        net += ring + "b" + level + " FALL=2 TD=" + Time(from) + "\n";
        net +=
            ring + " param='" + std::string(kRingPeriod) + "b-" + std::string(kRingPeriod) + "a'\n";
    }
    if (valley) {
        // The period over ten switchings from the window's start.
        const std::string rise = ".meas tran " + std::string(kPeriod);
        net += rise + "a WHEN v(gate)=2.5 RISE=1 TD=" + Time(start) + "\n";
        net += rise + "b WHEN v(gate)=2.5 RISE=11 TD=" + Time(start) + "\n";
        net += rise + " param='(" + std::string(kPeriod) + "b-" + std::string(kPeriod) + "a)/10'\n";
    }
    net += measures;
    return net + ".end\n";
}

namespace {

using cross_regulation::Circuit;
using cross_regulation::Rail;

std::string RailName(const Rail& rail) {
    return CoilName(rail.output);
}

void Append(std::string& text, std::initializer_list<std::string_view> parts) {
    for (const std::string_view part : parts) text.append(part);
}

// Every pair of windings coupled by the inductance matrix: k = M ÷ √(L1 L2).
std::string CoupledWindings(const Circuit& c) {
    std::string pins, net;
    for (std::size_t a = 0; a < c.turns.size(); ++a) {
        const std::string w = a == 0 ? "p" : RailName(c.rails[a - 1]);
        Append(pins, {" ", w, "d ", w, "f"});
        Append(net, {"R", w, " ", w, "d ", w, "i ", N(c.R_ohm[a]), "\n"});
        Append(net, {"L", w, " ", w, "i ", w, "f ", N(c.L_H[a][a]), "\n"});
    }
    for (std::size_t a = 0; a < c.turns.size(); ++a) {
        for (std::size_t b = a + 1; b < c.turns.size(); ++b) {
            const std::string wa = a == 0 ? "p" : RailName(c.rails[a - 1]);
            const std::string wb = RailName(c.rails[b - 1]);
            Append(net, {"K", wa, wb, " L", wa, " L", wb, " ",
                         N(c.L_H[a][b] / std::sqrt(c.L_H[a][a] * c.L_H[b][b])), "\n"});
        }
    }
    return ".subckt coupled_windings" + pins + "\n" +
           "* each winding xd (dotted) to xf, coupled to every other by the build's leakage\n" +
           net + ".ends coupled_windings\n";
}

}  // namespace

std::string RailMeasure(std::size_t rail) {
    return "vrail" + std::to_string(rail + 1);
}

std::string CrossRegulationNetlist(const Plan& plan, const std::vector<bool>& full) {
    const std::optional<Circuit> circuit = cross_regulation::CircuitOf(plan);
    if (!circuit || full.size() != circuit->rails.size()) return {};
    const Circuit& c = *circuit;
    const double T = 1 / c.f_Hz;
    const double start = (kCrossPeriods - kMeasuredPeriods) * T, stop = kCrossPeriods * T;
    std::string net = Title(plan);
    net += "* cross-regulation at the minimum input " + N(c.Vin) + " V, f " + N(c.f_Hz) +
           " Hz, the clamp held at " + N(c.clamp_V) + " V above the input; loads:";
    for (std::size_t k = 0; k < full.size(); ++k)
        Append(net, {" ", RailName(c.rails[k]), full[k] ? " full" : " least"});
    net += "\n" + CoupledWindings(c) + "\n* the bench\nVin vin 0 DC " + N(c.Vin) + "\n";
    net += "Vsense vin pf 0  ; the primary's current\n";
    // A stacked winding starts from the tap of the one below it.
    std::string pins = "drain pf";
    for (std::size_t k = 0; k < c.rails.size(); ++k) {
        const int below = c.below.empty() ? -1 : c.below[k];
        Append(pins, {" ", RailName(c.rails[k]), "a ",
                      below < 0 ? "0" : RailName(c.rails[std::size_t(below)]) + "a"});
    }
    net += "X1 " + pins + " coupled_windings\n" + FixedController(plan);
    net += Switch(c.switchDrop_V, c.switchOn_ohm);
    net += "Cds drain 0 " + N(DrainCapacitance(plan)) + "\n";
    net += "Dclamp drain clamp fast\nVclamp clamp vin DC " + N(c.clamp_V) + "\n" +
           std::string(kFastDiode);
    std::string initial = ".ic v(duty)=" + N(plan.atVmin.D), measures;
    for (std::size_t k = 0; k < c.rails.size(); ++k) {
        const Rail& rail = c.rails[k];
        const std::string name = RailName(rail), out = "out" + name;
        const double I = full[k] ? rail.I_full_A : rail.I_min_A;
        const double load = I > 0 ? rail.V_set / I : kUnloadedBias_ohm;
        Append(net, {"D", name, " ", name, "a ", out, " d", name, "\n"});
        Append(net, {".model d", name, " D(Is=", N(c.diodeSaturation_A[k]), " N=1)\n"});
        // A ripple of a hundredth at this load: the output settles in a
        // hundred periods whatever its load.
        Append(net, {"C", name, " ", out, " 0 ",
                     N(rail.V_set / load / (c.f_Hz * kCrossRipple * rail.V_set)), "\n"});
        Append(net, {"Rload", name, " ", out, " 0 ", N(load), "\n"});
        Append(initial, {" v(", out, ")=", N(rail.Vexpected_V)});
        Append(measures, {".meas tran ", RailMeasure(k), " AVG v(", out, ") FROM=", Time(start),
                          " TO=", Time(stop), "\n"});
    }
    net += initial + "\n.options method=gear reltol=1e-4\n";
    const std::string step = Time(T / kStepsPerPeriod);
    net += ".tran " + step + " " + Time(stop) + " 0 " + step + " uic\n";
    return net + measures + ".end\n";
}

std::map<std::string, double> ReadMeasurements(std::string_view output) {
    std::map<std::string, double> found;
    std::size_t begin = 0;
    while (begin < output.size()) {
        std::size_t end = output.find('\n', begin);
        if (end == std::string_view::npos) end = output.size();
        const std::string_view line = output.substr(begin, end - begin);
        begin = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        std::string_view name = line.substr(0, equals);
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
            name.remove_suffix(1);
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.front())))
            name.remove_prefix(1);
        if (name.empty() || name.find(' ') != std::string_view::npos) continue;
        std::string_view rest = line.substr(equals + 1);
        const std::size_t space = rest.find_first_not_of(" \t");
        if (space == std::string_view::npos) continue;
        rest.remove_prefix(space);
        rest = rest.substr(0, rest.find_first_of(" \t"));
        if (const auto value = runtime::ReadWholeNumber(rest)) found[std::string(name)] = *value;
    }
    return found;
}

}  // namespace flyback::spice
