#!/usr/bin/env bash
# Lines a second that `flyback-calc --jsonl` answers, over a mix of complete,
# faulting and malformed requests.
#   bench/jsonl_throughput.sh build/default/cli/flyback-calc [LINES]
set -euo pipefail
calc=${1:?usage: $0 path/to/flyback-calc [LINES]}
lines=${2:-1000000}
input=$(mktemp)
trap 'rm -f "$input"' EXIT

mix=(
    '["60","368","200","20","75","5"]'
    '["100","368","200","1","75","5"]'
    '["12.5","390","120","65","82","3.3"]'
    '["0","368","200","20","75","5"]'
    '["60","368","200","","75","5"]'
    '["240W","400V","250V","100kHz","88%","24V"]'
    '["5","50","36","132","70","12"]'
    '[1,2,3]'
)
for ((i = 0; i < lines; i += ${#mix[@]})); do printf '%s\n' "${mix[@]}"; done |
    head -n "$lines" >"$input"

start=$(date +%s.%N)
"$calc" --jsonl <"$input" >/dev/null || true
end=$(date +%s.%N)
awk -v n="$lines" -v s="$start" -v e="$end" \
    'BEGIN { t = e - s; printf "%d lines in %.3f s: %.0f lines/s\n", n, t, n / t }'
