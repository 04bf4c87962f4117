#!/usr/bin/env python3
"""The golden plans: flyback-calc --winding --json for the realistic designs of
the golden corpus, each with the default options and with two other sets, one
JSON answer a line. Compares them with plans.jsonl, or with --update writes it
anew (scripts/update-golden.sh does). Every plan value is held to the bit.
    plans.py path/to/flyback-calc [--update]"""
import json
import pathlib
import subprocess
import sys

HERE = pathlib.Path(__file__).parent
OPTION_SETS = [[], ["--vaux", "15", "--tiw"], ["--bmax", "0.2", "--families", "ETD,PQ"]]


def realistic(texts):
    """A design a person would build: numbers only, in the usual ranges."""
    try:
        p, vmax, vmin, f, eta, vo = (float(t) for t in texts)
    except ValueError:
        return False
    return (1 <= p <= 300 and 80 <= vmin <= vmax <= 420 and 20 <= f <= 200
            and 60 <= eta <= 95 and 3 <= vo <= 48)


def cases():
    requests = (HERE / "requests.jsonl").read_text(encoding="utf-8").splitlines()
    chosen = []
    for line in requests:
        try:
            texts = json.loads(line)
        except json.JSONDecodeError:
            continue
        if isinstance(texts, list) and len(texts) == 6 and all(isinstance(t, str) for t in texts):
            if realistic(texts):
                chosen.append(texts)
    return chosen[:120]


def answer(calc, texts, options):
    run = subprocess.run([calc, "--json", "--winding", *options, "--", *texts],
                         capture_output=True, text=True, check=False)
    return json.dumps({"args": options + texts, "status": run.returncode,
                       "answer": run.stdout.strip()}, ensure_ascii=False)


def main():
    calc = sys.argv[1]
    lines = [answer(calc, texts, options) for texts in cases() for options in OPTION_SETS]
    golden = HERE / "plans.jsonl"
    if sys.argv[2:] == ["--update"]:
        golden.write_text("\n".join(lines) + "\n", encoding="utf-8")
        print(f"{len(lines)} plans written")
        return 0
    expected = golden.read_text(encoding="utf-8").splitlines()
    differ = [(want, got) for want, got in zip(expected, lines) if want != got]
    for want, got in differ[:5]:
        print(f"want {want}\ngot  {got}\n")
    print(f"{len(lines) - len(differ)} of {len(lines)} plans as golden")
    return 0 if not differ and len(expected) == len(lines) else 1


if __name__ == "__main__":
    sys.exit(main())
