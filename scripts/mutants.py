#!/usr/bin/env python3
"""Checks that the tests pin the plan, the mains helper, the drawing and the
sweep: each mutant changes one constant, operand or condition, the suite is
built and run, and a mutant that no test fails is printed. Restores every file.
    scripts/mutants.py BUILD_DIR [NUMBER ...]   (only those mutants)"""
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# (file, text, the same text mutated): each text appears once in its file.
MUTANTS = [
    ("winding/plan.cpp", "Divide(Multiply(2, Io), reset)", "Divide(Multiply(2.1, Io), reset)"),
    ("winding/plan.cpp", "SquareRoot(Divide(plan.Dmax, 3))", "SquareRoot(Divide(plan.Dmax, 2))"),
    ("winding/plan.cpp", "SquareRoot(Divide(reset, 3))", "SquareRoot(Divide(reset, 2))"),
    ("winding/plan.cpp", "Multiply(0.5, clamp.leakage_H)", "Multiply(0.55, clamp.leakage_H)"),
    ("winding/plan.cpp", "Add(c.Vo, Divide(Multiply(c.Vmax, plan.Ns), plan.Np))",
     "Add(c.Vo, Divide(Multiply(c.Vmin, plan.Ns), plan.Np))"),
    ("winding/plan.cpp", "Add(Add(c.Vmax, plan.Vor_V), c.Vspike)", "Add(Add(c.Vmax, plan.Vor_V), 0)"),
    ("winding/plan.cpp", "const double limit = Multiply(2, skin_mm);",
     "const double limit = Multiply(2.5, skin_mm);"),
    ("winding/plan.cpp", "if (t.Bpk <= Bmax) return t;", "if (t.Bpk <= Bmax * 1.05) return t;"),
    ("winding/plan.cpp", "Divide(plan.Bpk_T, 2)", "Divide(plan.Bpk_T, 1.9)"),
    ("winding/plan.cpp", "Subtract(Power(*secondary.Irms_A, 2), Power(Io, 2))",
     "Subtract(Power(*secondary.Irms_A, 2), Power(Io, 1.9))"),
    ("winding/physics.hpp", "kCurrentLimitMargin = 1.3", "kCurrentLimitMargin = 1.25"),
    ("winding/physics.hpp", "kTapeLayersPrimaryToSecondary = 3", "kTapeLayersPrimaryToSecondary = 2"),
    ("winding/physics.hpp", "kClampRipple = 0.1", "kClampRipple = 0.12"),
    ("winding/physics.hpp", "kSurfaceCoefficientE = 41.3", "kSurfaceCoefficientE = 40"),
    ("winding/physics.hpp", "kThinnestWire_mm = 0.1", "kThinnestWire_mm = 0.09"),
    ("winding/plan_warnings.cpp", "kMinimumGap_mm = 0.1", "kMinimumGap_mm = 0.12"),
    ("winding/plan_warnings.cpp", "kHighestRise_K = 50", "kHighestRise_K = 55"),
    ("winding/plan_warnings.cpp", "if (plan.Dmax > 0.5) {", "if (plan.Dmax >= 0.51) {"),
    ("winding/plan_warnings.cpp", "kLowestDensity = 2,", "kLowestDensity = 1.5,"),
    ("winding/options.cpp", "shown >= info.low && shown <= info.high", "shown > info.low && shown <= info.high"),
    ("mains/mains.cpp", "kMicrofaradsPerWattLowLine = 3", "kMicrofaradsPerWattLowLine = 2.7"),
    ("mains/mains.cpp", "kUsualHighestVolts = 300", "kUsualHighestVolts = 320"),
    ("mains/mains.cpp", "Multiply(Multiply(2, inputPower), Divide(*s.holdupMilliseconds, 1000))",
     "Multiply(Multiply(1.8, inputPower), Divide(*s.holdupMilliseconds, 1000))"),
    ("mains/mains.cpp", "constexpr double kSlack = 1e-9;", "constexpr double kSlack = 1e-2;"),
    ("drawing/pictures.cpp", "constexpr long kMostConductors = 4000;",
     "constexpr long kMostConductors = 40;"),
    ("drawing/pictures.cpp", "w.wire->conductor_mm / 2 * f.scale", "w.wire->conductor_mm / 1.5 * f.scale"),
    ("sweep/plot.cpp", "<= std::fabs(middle) * 1e-9", "<= std::fabs(middle) * 1e-18"),
    ("sweep/plot.cpp", "for (const double m : {2.0, 5.0, 10.0})", "for (const double m : {2.0, 10.0})"),
    ("sweep/sweep.cpp", "return index == range.points - 1 ? range.to : range.from + step * index;",
     "return range.from + step * index;"),
    ("sweep/plot.cpp", "if (!core.empty() && core != lastCore_)", "if (!core.empty() && core != lastCore_ && !lastCore_.empty())"),
]

TARGETS = ["winding_tests", "mains_tests", "drawing_tests", "sweep_tests", "cli_tests",
           "flyback-calc", "window_tool_windows_tests"]
TESTS = "Plan|Supply|Mains|Pictures|Drawing|Sweep|golden|CommandLine|Usage|window_tool"


def killed(build):
    made = subprocess.run(["cmake", "--build", build, "-j2", "--target", *TARGETS],
                          capture_output=True, check=False)
    if made.returncode != 0:
        return "does not build"
    run = subprocess.run(["ctest", "--test-dir", build, "-R", TESTS, "--stop-on-failure"],
                         capture_output=True, text=True, check=False)
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
    subprocess.run(["cmake", "--build", build, "-j2", "--target", *TARGETS], capture_output=True,
                   check=False)
    tried = len(only) if only else len(MUTANTS)
    print(f"{tried - alive} of {tried} mutants killed")
    return 0 if alive == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
