#!/usr/bin/env bash
# Lines a second that `flyback-calc --jsonl` answers, single-threaded, on two
# inputs: valid requests only, and a mix in which one line in fifty faults
# (an empty frequency, a zero power, a negative power). Each is measured from
# a file to a file and through pipes from and to another program; the figure
# is the best of RUNS runs, since this machine's timings wander.
# Beside each figure, what a line costs in presses: the line's time over the
# in-process press benchmark's (flyback-bench beside flyback-calc), measured
# in the same run.
#   bench/jsonl_throughput.sh build/default/cli/flyback-calc [LINES] [RUNS]
set -euo pipefail
calc=${1:?usage: $0 path/to/flyback-calc [LINES] [RUNS]}
lines=${2:-1000000}
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Realistic designs: every combination of these values, in a fixed order.
awk -v n="$lines" 'BEGIN {
    split("5 12.5 24 35 60 75.5 100 150W", P, " ")
    split("264 311 368 375V 400", VMAX, " ")
    split("85 100 120 200 250V", VMIN, " ")
    split("20 50 65 100kHz 132", F, " ")
    split("70 75 82 88%", ETA, " ")
    split("3.3 5 12 24V", VO, " ")
    split("[\"60\",\"368\",\"200\",\"\",\"75\",\"5\"]|[\"0\",\"368\",\"200\",\"20\",\"75\",\"5\"]|[\"-60\",\"368\",\"200\",\"20\",\"75\",\"5\"]", FAULT, "|")
    for (i = 0; i < n; i++) {
        line = sprintf("[\"%s\",\"%s\",\"%s\",\"%s\",\"%s\",\"%s\"]",
                       P[i % 8 + 1], VMAX[int(i / 8) % 5 + 1], VMIN[int(i / 40) % 5 + 1],
                       F[int(i / 200) % 5 + 1], ETA[int(i / 1000) % 4 + 1], VO[int(i / 4000) % 4 + 1])
        print line > "'"$work"'/valid.jsonl"
        print (i % 50 == 25 ? FAULT[int(i / 50) % 3 + 1] : line) > "'"$work"'/mix.jsonl"
    }
}'

# Seconds of the fastest of $runs runs of a command line.
best() {
    local fastest=
    for ((r = 0; r < runs; r++)); do
        local start end
        start=$(date +%s.%N)
        bash -c "$1" || true
        end=$(date +%s.%N)
        fastest=$(awk -v s="$start" -v e="$end" -v f="$fastest" \
            'BEGIN { t = e - s; print (f == "" || t < f) ? t : f }')
    done
    echo "$fastest"
}

# The press's time in ns, the median of five, where the benchmark is built.
press_ns=
bench_program=$(dirname "$calc")/../bench/flyback-bench
if [ -x "$bench_program" ]; then
    press_ns=$("$bench_program" --benchmark_filter='^BM_PressSixTextsToSevenTexts$' \
        --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_format=csv 2>/dev/null | awk -F, '/_median"?,/ { print $3 }')
fi
[ -n "$press_ns" ] && echo "a press: $press_ns ns (median of five)"

printf '%-8s %-22s %12s %16s\n' input "" "lines/s" "presses a line"
for input in valid mix; do
    file=$work/$input.jsonl
    t=$(best "'$calc' --jsonl <'$file' >'$work/answers.jsonl'")
    awk -v n="$lines" -v t="$t" -v i="$input" -v p="$press_ns" \
        'BEGIN { printf "%-8s %-22s %12.0f %16s\n", i, "file to file", n / t,
                 p == "" ? "-" : sprintf("%.2f", t / n * 1e9 / p) }'
    t=$(best "cat '$file' | '$calc' --jsonl | cat >/dev/null")
    awk -v n="$lines" -v t="$t" -v i="$input" -v p="$press_ns" \
        'BEGIN { printf "%-8s %-22s %12.0f %16s\n", i, "pipe to pipe", n / t,
                 p == "" ? "-" : sprintf("%.2f", t / n * 1e9 / p) }'
done
