#!/usr/bin/env bash
# The golden reports: flyback-calc --report for a few presses, compared byte
# for byte apart from the line with the date and version. With --update, writes
# them anew instead (scripts/update-golden.sh does).
#   reports.sh path/to/flyback-calc [--update]
set -uo pipefail
calc=${1:?}
update=${2:-}
dir=$(dirname "$0")/reports
mkdir -p "$dir"
failures=0
check() {
    local name=$1
    shift
    local got
    got=$("$calc" --report "$@" 2>/dev/null | grep -v '^<p class="meta">')
    if [ "$update" = --update ]; then
        printf '%s\n' "$got" > "$dir/$name.html"
    elif ! diff -u "$dir/$name.html" <(printf '%s\n' "$got") >&2; then
        echo "FAIL $name"
        failures=$((failures + 1))
    fi
}
check worked-example 60 368 200 20 75 5
check fault 60 368 200 '' 75 5
check warnings 1000 375 100 20 85 12
check typed-markup '60<b>W</b>' 368 200 '20 kHz' 0.75 1,5
[ "$update" = --update ] || echo "$((4 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
