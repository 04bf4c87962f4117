#!/usr/bin/env bash
# Runs each libFuzzer target for the given seconds, one after the other.
#   scripts/fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR SECONDS}
seconds=${2:?usage: $0 BUILD_DIR SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)

for target in run_calculation jsonl; do
    corpus=$build/corpus/$target
    findings=$build/findings/$target
    mkdir -p "$corpus" "$findings"
    echo "== $target: $seconds s"
    "$build/fuzz/${target}_fuzzer" "$corpus" "$root/fuzz/corpus/$target" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" -print_final_stats=1 2>&1 | tail -n 25
done
