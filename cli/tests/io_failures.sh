#!/usr/bin/env bash
# Every mode of both programs, with standard output that cannot be written (a
# full device, a closed descriptor) and --jsonl with standard input that
# cannot be read: each must fail with its status and one line on standard
# error, never exit 0 as if the answer had been delivered.
#   io_failures.sh path/to/flyback-calc path/to/flyback-designer
set -uo pipefail
calc=${1:?}
designer=${2:?}
failures=0
passes=0
request='["60","368","200","20","75","5"]'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# expect STATUS NAME COMMAND...: runs the command, checks status and stderr.
expect() {
    local status=$1 name=$2
    shift 2
    "$@" 2>"$work/err"
    local got=$?
    local lines
    lines=$(grep -c . "$work/err")
    if [ "$got" -ne "$status" ] || ! grep -q "cannot" "$work/err"; then
        echo "FAIL $name: status $got (want $status), stderr: $(cat "$work/err")"
        failures=$((failures + 1))
    elif [ "$lines" -ne 1 ]; then
        echo "FAIL $name: $lines lines on stderr"
        failures=$((failures + 1))
    else
        echo "ok   $name"
        passes=$((passes + 1))
    fi
}

full() { "$@" >/dev/full; }
closed() { "$@" >&-; }
jsonl_full() { printf '%s\n' "$request" "$request" | "$@" >/dev/full; }

for out in full closed; do
    expect 3 "$out table" $out "$calc" 60 368 200 20 75 5
    expect 3 "$out --json" $out "$calc" --json 60 368 200 20 75 5
    expect 3 "$out --json --details" $out "$calc" --json --details 60 368 200 20 75 5
    expect 3 "$out --report" $out "$calc" --report 60 368 200 20 75 5
    expect 3 "$out --help" $out "$calc" --help
    expect 3 "$out --version" $out "$calc" --version
    expect 3 "$out designer --version" $out env -u DISPLAY "$designer" --version
    expect 3 "$out designer --help" $out env -u DISPLAY "$designer" --help
done
expect 3 "full --jsonl" jsonl_full "$calc" --jsonl
# A reader that has gone away, with SIGPIPE ignored: the answering must stop.
expect 3 "gone reader --jsonl" bash -c "trap '' PIPE; yes '$request' 2>/dev/null | timeout 20 '$calc' --jsonl | head -n 1 >/dev/null; exit \${PIPESTATUS[1]}"

# The same without anything ignored: the program itself must not die of SIGPIPE.
expect 3 "gone reader, no trap, --jsonl" bash -c "yes '$request' 2>/dev/null | timeout 20 '$calc' --jsonl | head -n 1 >/dev/null; exit \${PIPESTATUS[1]}"
expect 3 "gone reader, no trap, --sweep" bash -c "timeout 60 '$calc' --sweep P=1:100:100000 60 368 200 20 75 5 | head -n 1 >/dev/null; exit \${PIPESTATUS[0]}"

expect 4 "closed input --jsonl" bash -c "'$calc' --jsonl <&- >/dev/null"
expect 4 "directory input --jsonl" bash -c "'$calc' --jsonl <'$work' >/dev/null"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
