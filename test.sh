#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test and check.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
make test
