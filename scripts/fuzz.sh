#!/usr/bin/env bash
# Runs each libFuzzer target for the given seconds, one after the other.
#   scripts/fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR SECONDS}
seconds=${2:?usage: $0 BUILD_DIR SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)

# The report and winding-plan fuzzers read their input as the calculation
# fuzzer does, six texts, and start from the same seeds.
for target in run_calculation jsonl report winding_plan user_catalogue sweep_plot design_file \
    window_text; do
    corpus=$build/corpus/$target
    findings=$build/findings/$target
    seeds=$root/fuzz/corpus/$target
    [ "$target" = report ] && seeds=$root/fuzz/corpus/run_calculation
    [ "$target" = winding_plan ] && seeds=$root/fuzz/corpus/run_calculation
    mkdir -p "$corpus" "$findings"
    echo "== $target: $seconds s"
    # The window's target runs offscreen; the font library keeps caches that
    # it never frees, which LeakSanitizer would take for our leaks.
    [ "$target" = window_text ] &&
        export QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$root/fuzz/fontconfig.supp
    "$build/fuzz/${target}_fuzzer" "$corpus" "$seeds" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" -print_final_stats=1 2>&1 | tail -n 25
done
