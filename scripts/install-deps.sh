#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# skipping those already present. Runs apt-get only when something is missing.
set -euo pipefail

packages=(
    g++ cmake make git dpkg-dev file clang-14 libclang-rt-14-dev clang-format-14 clang-tidy-14
    qt6-base-dev libgl-dev fonts-wqy-microhei
    qt6-svg-dev  # the drawings and the charts, the window's as the page's
    qt6-translations-l10n  # Qt's own dialogs and menus in Chinese
    rapidjson-dev libcli11-dev nlohmann-json3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    locales  # a decimal-comma locale for the locale-independence tests
    libx11-dev xvfb  # the window start-up benchmark
    libxml2-dev poppler-utils  # the report tests parse its HTML and read its PDF
    desktop-file-utils  # the package test validates the desktop entry
    scdoc lintian  # manual pages; the package check
    emscripten node-acorn nodejs  # the browser page's engine in WebAssembly
    chromium chromium-driver python3-selenium  # the page's tests
    ngspice python3-jsonschema  # netlists simulated; design files checked against the MAS schemas
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
