#!/usr/bin/python3
"""Writes the golden corpus's requests, one --jsonl request a line, always the
same ones: realistic designs over the usual ranges, the edge texts of the
number reader, faults, and a few lines that are not requests.
    cli/tests/golden/make_requests.py > cli/tests/golden/requests.jsonl
"""
import json
import math
import random

rng = random.Random(20261207)


def number(value, decimals):
    return f"{value:.{decimals}f}"


def realistic():
    power = math.exp(rng.uniform(math.log(1), math.log(500)))
    vmax = rng.uniform(150, 420)
    vmin = rng.uniform(60, vmax)
    khz = rng.uniform(15, 250)
    eta = rng.uniform(55, 95)
    vo = rng.choice([3.3, 5, 9, 12, 15, 19, 24, 36, 48, rng.uniform(1.8, 60)])
    d = lambda: rng.choice([0, 1, 2, 3, 6])
    return [number(power, d()), number(vmax, d()), number(vmin, d()), number(khz, d()),
            number(eta, d()), number(vo, d())]


EDGE_TEXTS = [
    "60", "368", "200", "20", "75", "5", "", " ", "0", "-0", "-5", "60W", "1 000", "- 5", "+5",
    "1.5.3", ".5", "5.", "1,5", "1_000", "1e3", "1E+3", "1e-3", "1e", "2.5E-1", "0.29", "1.15",
    "9007199254740993", "1e308", "1e999", "-1e400", "3e-324", "1e-400", "abc", "Infinity",
    "６０", "１．５", "1。5", "－５", "６０Ｗ", "\u3000７", "12.5", "390", "120", "65", "82",
    "3.3", "100", "1", "1000", "0.8", "65000", "150", "0.001", "1e306", "1e-15", "\t7\n",
    "0.1", "0.3", "2.675", "1.005", "99.99", "4.005", "1e15", "1e-16", "123456789012345678",
]

FAULTS = [
    ["60", "368", "200", "", "75", "5"], ["0", "368", "200", "20", "75", "5"],
    ["-60", "368", "200", "20", "75", "5"], ["60", "0", "0", "20", "75", "5"],
    ["60", "368", "200", "20", "0", "5"], ["1e308", "368", "200", "1e-308", "75", "5"],
    ["60", "368", "-200", "20", "75", "5"], ["60", "368", "200", "-20", "75", "5"],
    ["0", "368", "200", "0", "75", "5"], ["60", "368", "200", "20", "75", "-0.5"],
]

requests = [json.dumps(realistic(), ensure_ascii=False) for _ in range(1300)]
for _ in range(600):
    six = [rng.choice(EDGE_TEXTS) for _ in range(6)]
    requests.append(json.dumps(six, ensure_ascii=False))
for fault in FAULTS:
    for scale in ("", "1", "0.5"):
        requests.append(json.dumps([t + scale if t and t[-1].isdigit() else t for t in fault],
                                   ensure_ascii=False))
requests += ["[60,368,200,20,75,5]", "[1e309,368,200,20,75,5]", "[]", "[1,2]", '{"P":"60"}',
             '["60","368","200","20","75"]', "not json"]
print("\n".join(requests))
