#!/usr/bin/env bash
# Fuzz stage: every committed regression and seed input of every target once, then each
# target briefly (about a minute in all), through the one fuzzing loop, scripts/fuzz.sh.
# Fails on any crash, hang, sanitizer report, broken invariant or oversized allocation.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash scripts/setup.sh fuzz
targets=(fuzz/corpus/*/)
seconds=$(( (60 + ${#targets[@]} - 1) / ${#targets[@]} ))
ZANDREL_JOBS="${ZANDREL_JOBS:-$(nproc)}" bash scripts/fuzz.sh "$seconds" --replay
