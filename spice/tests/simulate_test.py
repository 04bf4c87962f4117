"""The plan checked in a circuit simulator: flyback-calc --spice writes the
transformer and its bench, ngspice runs it in batch mode with its controller
holding the regulated output, and the simulated converter needs the current
the plan says. Each loss sits where it arises (the windings' resistances,
the rectifiers' drops, the core's resistance, the clamp, the switch's drop),
so the primary's peak, the regulated secondary's peak and RMS and every
output agree with the plan within 3 % in each conduction mode. The switch's
peak is compared at the bench's input, the minimum: Vmin + Vclamp, the clamp
settling on the simulated part's leakage (the build's estimate), below the
limit it is sized for: Vc × (Vc − Vor) = R × ½ × L × Ipk² × f."""
import itertools
import json
import pathlib
import subprocess
import sys
import tempfile
import unittest

CALC = sys.argv.pop(1)
# On the cores these tolerances were measured on: the automatic choice
# moves as the catalogue grows, and the agreement depends on the leakage.
ON = ["--core", "EFD30/15/9"]
SUPPLY = ["60", "373", "249", "100", "80", "24"]
# The regulated secondary's peak within 3 % where the leakage is a small
# share of Lp; where it is larger (the 12 V supply's 5 %, 137 primary turns
# on a margin-wound E20) the magnetising current runs into the clamp for
# longer while the leakage resets, and the peak the secondary reaches is
# lower than the ampere-turns the plan, as the vendors' method, hands it
# (its RMS some 4 % lower, its peak 5 %). Outputs besides the regulated one share the
# current by their voltages on ideally coupled windings, not in proportion:
# their currents within 10 %.
DESIGNS = [
    ("boundary: 24 V 2.5 A, 100 kHz", ON + ["--"] + SUPPLY, 0.03),
    ("continuous, KRP 0.6", ON + ["--krp", "0.6", "--"] + SUPPLY, 0.03),
    ("discontinuous, Lp 300 µH", ON + ["--lp", "300e-6", "--"] + SUPPLY, 0.03),
    ("12 V 1 A, 65 kHz", ["--core", "E20/10/6", "--", "12", "375", "120", "65", "80", "12"], 0.10,
     0.05),
    ("two outputs", ON + ["--output", "24:2", "--output", "12:0.5", "--"] + SUPPLY, 0.08),
    ("bias winding, split primary",
     ON + ["--bias", "15:0.05", "--order", "P-S-P", "--"] + SUPPLY, 0.03),
    ("split secondary", ON + ["--order", "S-P-S", "--"] + SUPPLY, 0.03),
]


def measurements(text):
    found = {}
    for line in text.splitlines():
        name, equals, rest = line.partition("=")
        if equals and name.strip() and " " not in name.strip() and rest.split():
            try:
                found[name.strip()] = float(rest.split()[0])
            except ValueError:
                pass
    return found


class SimulateTest(unittest.TestCase):
    def test_the_simulated_converter_agrees_with_the_plan(self):
        with tempfile.TemporaryDirectory() as folder:
            for name, args, peak_within, *rms in DESIGNS:
                with self.subTest(name):
                    netlist = pathlib.Path(folder) / "bench.cir"
                    done = subprocess.run([CALC, "--winding", "--json", "--spice", str(netlist),
                                           *args], capture_output=True, text=True)
                    self.assertEqual(done.returncode, 0, done.stderr)
                    plan = json.loads(done.stdout)["winding"]
                    run = subprocess.run(["ngspice", "-b", str(netlist)], capture_output=True,
                                         text=True, timeout=300)
                    found = measurements(run.stdout)
                    inputs = [a for a in args if not a.startswith("-")][-6:]
                    vmin = float(inputs[2])
                    self.assertAlmostEqual(found["ipk"] / plan["Ipk"], 1, delta=0.03)
                    for i, output in enumerate(plan["outputs"]):
                        n = i + 1
                        self.assertAlmostEqual(found[f"vout{n}"] / output["V_set"], 1,
                                               delta=0.03, msg=f"output {n}")
                        # Beside another output the regulated one shares the
                        # ampere-turns by the windings' resistances too (the
                        # plan leaves cross-regulation out): foil on a short
                        # second output draws 5 % from the first.
                        alone = len(plan["outputs"]) == 1
                        # The bench couples the secondaries ideally, so the
                        # second takes its charge in a shape set by the
                        # resistances (+25 % RMS on foil); its mean is its load's.
                        rms_within = (rms[0] if rms else 0.03 if alone else 0.06) \
                            if i == 0 else 0.30
                        self.assertAlmostEqual(found[f"isrms{n}"] / output["I_rms_A"], 1,
                                               delta=rms_within, msg=f"output {n}'s RMS")
                        within = peak_within if i == 0 else 0.30
                        self.assertAlmostEqual(found[f"ispk{n}"] / output["I_peak_A"], 1,
                                               delta=within, msg=f"output {n}'s peak")
                    # Discontinuous, the drain rings on Lp and the drain's
                    # capacitance (the switch's Coss and the build's) as the plan says.
                    if "tring" in found:
                        ring = plan["capacitance"]["valley_ring_Hz"]
                        self.assertAlmostEqual(1 / found["tring"] / ring, 1, delta=0.10,
                                               msg="the drain's ring")
                    clamp = plan["clamp"]
                    leakage = clamp["leakage_estimate_H"] or clamp["L_leakage_H"]
                    energy = clamp["R_ohm"] * 0.5 * leakage * plan["Ipk"] ** 2 * \
                        float(inputs[3]) * 1e3
                    settled = (plan["Vor"] + (plan["Vor"] ** 2 + 4 * energy) ** 0.5) / 2
                    self.assertAlmostEqual(found["vds"] / (vmin + settled), 1, delta=0.10)

    def test_the_valley_switched_bench_runs_at_the_plans_frequency_at_either_line(self):
        """A quasi-resonant plan's bench, peak-current controlled and switched
        on at the drain's first valley, at the minimum input and, its .param
        line changed, the maximum: its switching frequency and peak current
        within 5 % of the plan's at each (the maximum input's frequency within
        8 %), the output held within 3 %. At the maximum input the bench's peak
        is some 3 % above the plan's and its frequency 5–7 % below (7 % on the
        59:6 turns a 1.1 saturation margin in the narrowest section asks): each
        turn-off spends in the clamp a share of the magnetising energy the plan
        takes at the minimum input, where the switch turns off 2.4 times less
        often. A clamp far above (10 MHz)
        keeps both in the first valley; the clamp assumed without --fmax,
        twice the design's 65 kHz, steps the maximum input to the second."""
        self.simulate_both_lines(["--fmax", "10e6"])
        self.simulate_both_lines([], lines=("max",), valley=2)

    def test_the_bench_waits_for_the_plans_deeper_valley(self):
        """Designed in the second valley, and a controller's clamp stepping
        the maximum input's corner to the third (--valley 1:6 --fmax 100e3):
        the bench's timer lets the k-th valley switch, at the plan's
        frequency and peak."""
        self.simulate_both_lines(["--valley", "2"], lines=("min",), valley=2)
        self.simulate_both_lines(["--valley", "1:6", "--fmax", "100e3"], lines=("max",),
                                 valley=3)

    def test_the_outputs_move_with_the_loads_as_the_plan_says(self):
        """Three outputs (5 V 2 A regulated, 12 V 1.2 A, 30 V 20 mA): the
        bench of each corner of the loads (--spice-loads), the windings coupled
        pairwise by the build's inductance matrix, holds each output within
        2 % of its set voltage of the plan's cross-regulation at that corner,
        wound apart and stacked (measured: 0.07–1.7 %; the bench's drain capacitance and its
        controller's ripple are what the plan's periodic model leaves out)."""
        supply = ["--output", "5:2", "--output", "12:1.2:0.7", "--output", "30:0.02:0.7",
                  "--", "25", "375", "100", "65", "80", "5"]
        with tempfile.TemporaryDirectory() as folder:
            netlist = pathlib.Path(folder) / "bench.cir"
            for loads, stack in itertools.product(("lff", "fll"), ([], ["--stack"])):
                with self.subTest(loads=loads, stack=stack):
                    done = subprocess.run([CALC, "--winding", "--json", "--spice", str(netlist),
                                           "--spice-loads", loads, *stack, *supply],
                                          capture_output=True, text=True)
                    self.assertEqual(done.returncode, 0, done.stderr)
                    plan = json.loads(done.stdout)["winding"]["cross_regulation"]
                    wanted = ["full" if letter == "f" else "least" for letter in loads]
                    corner = next(c for c in plan["corners"] if c["loads"] == wanted)
                    run = subprocess.run(["ngspice", "-b", str(netlist)], capture_output=True,
                                         text=True, timeout=300)
                    found = measurements(run.stdout)
                    for k, rail in enumerate(plan["rails"]):
                        self.assertAlmostEqual(
                            (found[f"vrail{k + 1}"] - corner["V"][k]) / rail["V_set"], 0,
                            delta=0.02, msg=rail["name"])

    def simulate_both_lines(self, flags, lines=("min", "max"), valley=1):
        adapter = ["18", "374.77", "100.45", "65", "85", "12"]
        with tempfile.TemporaryDirectory() as folder:
            netlist = pathlib.Path(folder) / "bench.cir"
            done = subprocess.run([CALC, "--winding", "--qr", *flags, "--json", "--spice",
                                   str(netlist), *adapter], capture_output=True, text=True)
            self.assertEqual(done.returncode, 0, done.stderr)
            plan = json.loads(done.stdout)["winding"]
            text = netlist.read_text(encoding="utf-8")
            netlist_lines = text.splitlines()
            at_min = next(line for line in netlist_lines if line.startswith(".param vin="))
            at_max = next(line for line in netlist_lines
                          if line.startswith("* at the maximum input: "))
            ends = {"min": (plan["corners"][0], at_min),
                    "max": (plan["corners"][1], at_max.split(": ", 1)[1])}
            for corner, param in (ends[line] for line in lines):
                self.assertEqual(corner["valley"], valley)
                self.assertIn(f"nvalley={valley}", param)
                with self.subTest(" ".join(flags) + " " + corner["name"]):
                    netlist.write_text(text.replace(at_min, param, 1), encoding="utf-8")
                    run = subprocess.run(["ngspice", "-b", str(netlist)], capture_output=True,
                                         text=True, timeout=300)
                    found = measurements(run.stdout)
                    at_max = corner is ends["max"][0]
                    self.assertAlmostEqual(1 / found["tsw"] / corner["f_Hz"], 1,
                                           delta=0.08 if at_max else 0.05)
                    self.assertAlmostEqual(found["ipk"] / corner["Ipk_A"], 1, delta=0.05)
                    self.assertAlmostEqual(found["vout1"] / 12, 1, delta=0.03)


if __name__ == "__main__":
    unittest.main(verbosity=2)
