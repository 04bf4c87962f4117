#!/usr/bin/env bash
# Time until the window shows on screen, and resident memory once idle, of the
# designer beside two bare Qt Widgets windows of the same size, one empty and
# one with a single Chinese caption, on a private Xvfb without a window manager.
# Prints medians over RUNS starts of each.
#   bench/window_startup.sh build/default [RUNS]
# Needs Xvfb (apt-get install xvfb).
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [RUNS]}
runs=${2:-15}
probe=$build/bench/window-on-screen

# Xvfb picks a free display itself and writes its number to file descriptor 3.
displayfile=$(mktemp)
Xvfb -br -displayfd 3 -screen 0 1024x768x24 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break || sleep 0.1; done
export DISPLAY=:$(head -n 1 "$displayfile")

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# "milliseconds KiB", the medians for one program and its arguments.
measure() {
    local samples
    samples=$(for ((i = 0; i < runs; i++)); do "$probe" "$@" 2>/dev/null; done)
    echo "$(cut -d' ' -f1 <<<"$samples" | median) $(cut -d' ' -f2 <<<"$samples" | median)"
}

# The designer against a window with one of its Chinese captions: any window
# that shows Chinese text pays for the same font machinery.
empty=$(measure "$build/bench/flyback-bare-window")
caption=$(measure "$build/bench/flyback-bare-window" "输入计算参数")
designer=$(measure "$build/window/flyback-designer")
awk -v e="$empty" -v c="$caption" -v d="$designer" 'BEGIN {
    split(e, E, " "); split(c, C, " "); split(d, D, " ")
    printf "%-16s %9s %11s\n", "", "on screen", "idle RSS"
    printf "%-16s %6.1f ms %7d KiB\n", "empty window", E[1], E[2]
    printf "%-16s %6.1f ms %7d KiB\n", "Chinese caption", C[1], C[2]
    printf "%-16s %6.1f ms %7d KiB\n", "designer", D[1], D[2]
    printf "%-16s %8.2fx %10.2fx\n", "designer/empty", D[1] / E[1], D[2] / E[2]
    printf "%-16s %8.2fx %10.2fx   (target 1.30x, 1.20x)\n", "designer/caption", D[1] / C[1], D[2] / C[2]
}'
