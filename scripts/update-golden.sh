#!/usr/bin/env bash
# Regenerates the golden corpus (its requests, and their answers from the
# flyback-calc of a build), the golden reports and the golden plans. Run it only when an answer
# is meant to change, and say why in the commit: the golden_corpus,
# golden_reports and golden_plans tests hold every answer to the bit.
#   scripts/update-golden.sh build/default
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR}
cd "$(dirname "$0")/.."
golden=cli/tests/golden
python3 $golden/make_requests.py > $golden/requests.jsonl
"$build/cli/flyback-calc" --jsonl --details < $golden/requests.jsonl > $golden/answers.jsonl || true
wc -l $golden/requests.jsonl $golden/answers.jsonl
$golden/reports.sh "$build/cli/flyback-calc" --update
XDG_DATA_HOME=/nonexistent python3 $golden/plans.py "$build/cli/flyback-calc" --update
