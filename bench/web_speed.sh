#!/usr/bin/env bash
# The browser engine's speed: pressJson under Node, and the page's time to
# become usable opened from disk and a press with its record and plan, both in
# headless Chromium.
#   bench/web_speed.sh build/web
set -euo pipefail
web=${1:?usage: $0 BUILD_WEB_DIR}
cd "$(dirname "$0")/.."
node bench/web_press_speed.mjs "$web/flyback-engine.mjs"
/usr/bin/python3 bench/web_page_ready.py "$web/index.html"
/usr/bin/python3 bench/web_press_in_browser.py "$web/index.html"
