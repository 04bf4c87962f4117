#!/usr/bin/env python3
"""Checks that the tests pin the plan, the operating points, what is handed
on (the design file, the build sheet, the netlist), the insulation's tables,
the adviser, the mains helper, the drawing and the sweep: each mutant changes
one constant, operand or condition, the suite is built and run, and a mutant
that no test fails is printed. Restores every file.
    scripts/mutants.py BUILD_DIR [NUMBER ...]   (only those mutants)"""
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# (file, text, the same text mutated): each text appears once in its file.
MUTANTS = [
    # The plan: currents, turns, flux, losses and the energy flow.
    ("winding/plan.cpp", "Subtract(Power(current.rms, 2), Power(out.set.I_A, 2))",
     "Subtract(Power(current.rms, 2), Power(out.set.I_A, 1.9))"),
    ("winding/clamp.cpp", "Multiply(0.5, clamp.leakage_H)", "Multiply(0.55, clamp.leakage_H)"),
    ("winding/plan.cpp", "Add(out.set.V, Divide(Multiply(in.chain.Vmax, out.turns), plan.Np))",
     "Add(out.set.V, Divide(Multiply(in.chain.Vmin, out.turns), plan.Np))"),
    ("winding/clamp.cpp", "Add(Add(c.Vmax, plan.Vor_V), c.Vspike)", "Add(Add(c.Vmax, plan.Vor_V), 0)"),
    ("winding/wire_choice.cpp", "const double limit = Multiply(2, skin_mm);",
     "const double limit = Multiply(2.5, skin_mm);"),
    ("winding/plan_design.cpp", "if (t.Bpk > Bmax) return false;", "if (t.Bpk > Bmax * 1.05) return false;"),
    ("winding/thermal.cpp", "Divide(plan.deltaB_T, 2)", "Divide(plan.deltaB_T, 1.9)"),
    ("winding/plan_design.cpp", "Multiply(Ilimit, Add(1, o.ilimitTolerance))", "Multiply(Ilimit, 1)"),
    ("winding/core_choice.cpp", "if (!plan.hot_C || *plan.dT_K > plan.options.maxRise_K) return SizedBy::Rise;",
     "if (!plan.hot_C || *plan.dT_K > plan.options.maxRise_K + 5) return SizedBy::Rise;"),
    ("winding/plan_design.cpp", "stored = std::max(rectified_W,", "stored = std::min(rectified_W,"),
    ("winding/plan_design.cpp", "ampereTurns = Add(ampereTurns, Multiply(*bias, d.choices.biasI_A));",
     "ampereTurns = Add(ampereTurns, Multiply(*bias, 0));"),
    ("winding/clamp.cpp", "return Divide(Multiply(loss, plan.Vor_V), settled);",
     "return Divide(Multiply(loss, plan.Vor_V), Multiply(settled, 2));"),
    ("winding/energy_flow.cpp", "constexpr double kFlowSettled = 1e-6;", "constexpr double kFlowSettled = 1e-2;"),
    ("winding/physics.hpp", "kCurrentLimitMargin = 1.3", "kCurrentLimitMargin = 1.25"),
    ("winding/physics.hpp", "kClampRipple = 0.1", "kClampRipple = 0.12"),
    ("winding/physics.hpp", "kSurfaceCoefficientE = 41.3", "kSurfaceCoefficientE = 40"),
    ("winding/choice_table.hpp", '0.1,\n     true,\n     2,\n     0.01,\n     "",\n     "finestStrand"',
     '0.09,\n     true,\n     2,\n     0.01,\n     "",\n     "finestStrand"'),
    ("winding/plan_warnings.cpp", "kMinimumGap_mm = 0.1", "kMinimumGap_mm = 0.12"),
    ("winding/plan_warnings.cpp", "if (plan.Dmax > 0.5) {", "if (plan.Dmax >= 0.51) {"),
    ("winding/plan_warnings.cpp", "kLowestDensity = 2,", "kLowestDensity = 1.5,"),
    ("winding/options.cpp", "shown >= info.low && shown <= info.high", "shown > info.low && shown <= info.high"),
    # The operating points and the corners.
    ("winding/operating_point.cpp", "point.Von = Multiply(Vin, load.onShare);", "point.Von = Vin;"),
    ("winding/operating_point.cpp", "point.Vreset = Multiply(Vor, load.resetRise);",
     "point.Vreset = Vor;"),
    ("winding/operating_point.cpp", "Divide(Multiply(duty, Add(Add(1, r), Multiply(r, r))), 3)",
     "Divide(Multiply(duty, Add(Add(1, r), Multiply(r, r))), 2.9)"),
    ("winding/corners.cpp", "constexpr double kLightLoad = 0.1;", "constexpr double kLightLoad = 0.12;"),
    ("winding/corners.cpp", "Add(Power(Vor, 2), Multiply(4, K))", "Add(Power(Vor, 2), Multiply(3, K))"),
    ("winding/corners.cpp", "if (shorted) flow.resetRise = 1;", "if (false) flow.resetRise = 1;"),
    ("winding/ac_resistance.cpp", "constexpr double kShareSummed = 0.999;",
     "constexpr double kShareSummed = 0.99;"),
    # What is handed on: the design file, the build sheet, the netlist.
    ("design_file/design_file.cpp", "static_cast<double>(plan.Np) / winding::WholeTurns(plan, *w)",
     "winding::WholeTurns(plan, *w) / static_cast<double>(plan.Np)"),
    ("design_file/design_file.cpp", '.Number("offset", valley)', '.Number("offset", 0)'),
    ("design_file/design_file.cpp", "const double on = p.Von * perTurn * turns",
     "const double on = p.Vin * perTurn * turns"),
    ("build_sheet/build_sheet.cpp", 'ReadableValue(plan.gap_mm / 2, "mm")', 'ReadableValue(plan.gap_mm, "mm")'),
    ("cross_regulation/circuit.cpp", "rest * plan.atVmin.Vin / plan.InputPower()", "rest"),
    ("spice/spice.cpp", "p.Von * p.Von * p.D + p.Vreset * p.Vreset * reset",
     "p.Vin * p.Vin * p.D + p.Vor * p.Vor * reset"),
    ("cross_regulation/circuit.cpp", "return *w.Pac_W / (*w.Irms_A * *w.Irms_A);", "return w.R_ohm.value_or(0);"),
    # The insulation's tables.
    ("insulation/requirements.cpp", 'FirstFrom(of("Table 27"), c.mains_Vrms)',
     'FirstFrom(of("Table 27"), c.mains_Vrms + 1e-6)'),
    ("insulation/requirements.cpp", "if (key <= row->key)", "if (key < row->key)"),
    ("insulation/requirements.cpp", "std::max(UpToATenth(creepage->value), r.clearance_mm.value)",
     "UpToATenth(creepage->value)"),
    ("insulation/requirements.cpp", "if (c.frequency_Hz > kHighFrequency_Hz) {",
     "if (c.frequency_Hz >= kHighFrequency_Hz) {"),
    # The adviser.
    ("advise/advise.cpp", "winding::kLowestVorOfVmax * record.trace.inputs.MaxInputVoltage",
     "0.1 * record.trace.inputs.MaxInputVoltage"),
    # The mains helper, the drawing and the sweep.
    ("mains/mains.cpp", "kMicrofaradsPerWattLowLine = 3", "kMicrofaradsPerWattLowLine = 2.7"),
    ("mains/mains.cpp", "kUsualHighestVolts = 300", "kUsualHighestVolts = 320"),
    ("mains/mains.cpp", "Multiply(Multiply(2, inputPower), Divide(*s.holdupMilliseconds, 1000))",
     "Multiply(Multiply(1.8, inputPower), Divide(*s.holdupMilliseconds, 1000))"),
    ("mains/mains.cpp", "constexpr double kSlack = 1e-9;", "constexpr double kSlack = 1e-2;"),
    ("drawing/pictures.cpp", "constexpr long kMostConductors = 4000;",
     "constexpr long kMostConductors = 40;"),
    ("drawing/pictures.cpp", "w.wire->conductor_mm / 2;", "w.wire->conductor_mm / 1.5;"),
    ("sweep/plot.cpp", "<= std::fabs(middle) * 1e-9", "<= std::fabs(middle) * 1e-18"),
    ("sweep/plot.cpp", "for (const double m : {2.0, 5.0, 10.0})", "for (const double m : {2.0, 10.0})"),
    ("sweep/sweep.cpp", "return index == range.points - 1 ? range.to : range.from + step * index;",
     "return range.from + step * index;"),
    ("sweep/plot.cpp", "if (!core.empty() && core != lastCore_)", "if (!core.empty() && core != lastCore_ && !lastCore_.empty())"),
    # The build by physical effect: geometry, barrier, clamp, the automatic
    # core, the energy flow, the build's choices, leakage, gap, thermal,
    # stacked windings, the layout's skin depth.
    ("winding/build.cpp", "return insulation.requirements->tapeLayers;", "return 1;"),
    ("winding/build.cpp", "TurnLengthAt(*plan.core, Add(build, Divide(w.height_mm, 2)))",
     "TurnLengthAt(*plan.core, Add(build, Divide(w.height_mm, 3)))"),
    ("winding/barrier.cpp", "Add(Add(c.Vmax, ClampSetting(plan, in)), highest)",
     "Add(Add(c.Vmax, ClampSetting(plan, in)), Multiply(0, highest))"),
    ("winding/barrier.cpp", "Multiply(Multiply(*o.mains_Vrms, insulation::kMainsTolerance), std::sqrt(2.0))",
     "Multiply(*o.mains_Vrms, std::sqrt(2.0))"),
    ("winding/clamp.cpp", "Multiply(*plan.buildLeakage_H, in.options.leakageFactor)", "*plan.buildLeakage_H"),
    ("winding/core_choice.cpp", "if (*plan.hot_C > HotLimit(plan.options)) return SizedBy::HotSpot;",
     "if (*plan.hot_C > HotLimit(plan.options) + 5) return SizedBy::HotSpot;"),
    ("winding/core_choice.cpp", "return a->Ve_mm3 < b->Ve_mm3;", "return a->Ae_mm2 < b->Ae_mm2;"),
    ("winding/energy_flow.cpp", "if (round == kMostFlowRounds) return plan;", "if (round == 2) return plan;"),
    ("winding/build_choice.cpp", "Multiply(kMarginShareWeighed, plan.core->winding_width_mm)",
     "Multiply(0.5, plan.core->winding_width_mm)"),
    ("winding/build_choice.cpp", "if (a && b && *b < *a && (other.fits || !best.fits))",
     "if (a && b && *b > *a && (other.fits || !best.fits))"),
    ("winding/leakage.cpp", "if (w.role == Role::Primary) step = w.turns;",
     "if (w.role == Role::Primary) step = Multiply(w.turns, 1.05);"),
    ("winding/gap.cpp", "Divide(Multiply(2, windowHeight_m), gap_m)", "Divide(Multiply(1.5, windowHeight_m), gap_m)"),
    ("winding/thermal.cpp", "Subtract(celsius, 20)", "Subtract(celsius, 25)"),
    ("winding/windings.cpp", "return turns(output) >= turns(w.output);", "return turns(output) > turns(w.output);"),
    ("winding/layout.cpp", "Multiply(Multiply(std::numbers::pi, hertz), k::kMu0)",
     "Multiply(Multiply(std::numbers::pi, Add(Multiply(hertz, 0), 100e3)), k::kMu0)"),
    ("winding/corners.cpp", "for (std::size_t i = 0; i < in_.outputs.size(); ++i)\n                corner.Vrectifier_V[i]",
     "for (std::size_t i = 0; i < 1; ++i)\n                corner.Vrectifier_V[i]"),
    ("advise/advise.cpp", "if (s.dmax && p.atVmin.D > *s.dmax) return Drop::Duty;",
     "if (s.dmax && p.atVmin.D > *s.dmax + 0.02) return Drop::Duty;"),
    ("design_file/excitations.cpp", "std::min(1 - p.duty, p.duty * p.Von_V / p.Voff_V)", "1 - p.duty"),
    ("design_file/file_parts.cpp", "Near(a.beta, b.beta, 1e-6) && Near(a.fMinHz", "Near(a.fMinHz"),
    ("conditions/conditions.cpp", "SquareRoot(Divide(p.f_Hz, plan.f_Hz))", "SquareRoot(Divide(plan.f_Hz, plan.f_Hz))"),
    # The plan in words, and the warnings' figures.
    ("plan_sheet/plan_sheet.cpp", 'ReadableValue(plan.build_mm, "mm") + "（骨架可绕 "',
     'ReadableValue(plan.build_mm * 1.01, "mm") + "（骨架可绕 "'),
    ("winding/plan_warnings.cpp", 'WarningFigure{plan.gap_mm, kMinimumGap_mm, "mm"}',
     'WarningFigure{plan.gap_mm, plan.gap_mm, "mm"}'),
    ("winding/plan_warnings.cpp", 'WarningFigure{*plan.dT_K, plan.options.maxRise_K, "K"}',
     'WarningFigure{plan.options.maxRise_K, *plan.dT_K, "K"}'),
    # The adviser's sketch-time drops and the conductors' copper floor.
    ("advise/advise.cpp", "if (lowVorDrops_ && winding::ReflectedVoltageLow(sketch)) {",
     "if (lowVorDrops_ && (winding::ReflectedVoltageLow(sketch) || sketch.Dmax < 0.3)) {"),
    ("winding/conductor_floor.cpp", "constexpr double kBelowRounding = 1 - 1e-9;",
     "constexpr double kBelowRounding = 1e9;"),
    # The overvoltage category's list and the adviser's rows.
    ("winding/options.cpp",
     "options.insulation.overvoltage = Info(option).names[static_cast<std::size_t>(whole)];",
     "options.insulation.overvoltage = Info(option).names[std::min<std::size_t>(whole, 1)];"),
    ("advise/setting_rows.cpp", "if (info.decimals == 0 && std::floor(value) != value) return false;",
     "if (info.decimals == 0 && value < 0) return false;"),
    ("advise/setting_rows.cpp", "if (!(value >= info.low && value <= info.high)) return false;",
     "if (!(value >= info.low)) return false;"),
    # The charts the window shares with the page: a click's reach, the chart
    # filling its place, the one panel's ticks.
    ("advise/advice_output.cpp", "constexpr double kReach = 10;", "constexpr double kReach = 100;"),
    ("advise/advice_output.cpp", "frame.axesHeight = std::clamp(height - (frame.Narrow() ? kKeyBelow : 0), 240.0, kChartHeight);",
     "frame.axesHeight = std::clamp(height, 240.0, kChartHeight);"),
    ("sweep/plot.cpp", "const int across = std::max(5, static_cast<int>(p.width / 66));",
     "const int across = 5;"),
]

# Every test but the page's (its WebAssembly build is apart): the plan's
# numbers reach the golden corpus, the files, the netlist and the window.
EXCLUDED = "^web\\."


def killed(build):
    made = subprocess.run(["cmake", "--build", build, "-j2"], capture_output=True, check=False)
    if made.returncode != 0:
        return "does not build"
    run = subprocess.run(["ctest", "--test-dir", build, "-j2", "-E", EXCLUDED, "--stop-on-failure"],
                         capture_output=True, text=True, errors="replace", check=False)
    return "killed" if run.returncode != 0 else None


def main():
    build = sys.argv[1]
    only = {int(n) for n in sys.argv[2:]}
    alive = 0
    for number, (name, text, mutated) in enumerate(MUTANTS, 1):
        if only and number not in only:
            continue
        path = ROOT / name
        original = path.read_text(encoding="utf-8")
        assert original.count(text) == 1, f"{name}: {text!r} is not there once"
        path.write_text(original.replace(text, mutated), encoding="utf-8")
        try:
            verdict = killed(build)
        finally:
            path.write_text(original, encoding="utf-8")
        alive += verdict is None
        print(f"{number:2} {verdict or 'ALIVE'}: {name}: {mutated}", flush=True)
    subprocess.run(["cmake", "--build", build, "-j2"], capture_output=True, check=False)
    tried = len(only) if only else len(MUTANTS)
    print(f"{tried - alive} of {tried} mutants killed")
    return 0 if alive == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
