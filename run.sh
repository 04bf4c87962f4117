#!/usr/bin/env bash
# Installs what is missing, builds, and opens the designer window.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
make run
