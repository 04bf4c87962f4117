#!/usr/bin/env bash
# Format and clang-tidy checks over the project's own sources; fails on any finding.
#   scripts/check-static.sh BUILD_DIR   (a configured build, for compile_commands.json)
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR}
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.cpp' '*.hpp')
echo "clang-format: ${#sources[@]} files"
clang-format-14 --dry-run --Werror "${sources[@]}"

# Generated sources (moc, uic) are not ours; every listed .cpp is. The fuzzers and
# the WebAssembly engine are built by other compilers, with their own headers.
mapfile -t units < <(git ls-files '*.cpp' | grep -v -e '^fuzz/' -e '^web/')
echo "clang-tidy: ${#units[@]} files"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! run-clang-tidy-14 -quiet -p "$build" "${units[@]/#/$PWD/}" >"$log" 2>&1; then
    grep -v -E '^[0-9]+ warnings? generated|^Suppressed [0-9]+ warnings|^Use -header-filter|^clang-tidy-14 ' "$log"
    exit 1
fi
echo "static checks: clean"
