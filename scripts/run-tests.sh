#!/usr/bin/env bash
# The whole test suite: installs what is missing, then runs every stage in order:
#   native   release build, every unit, end-to-end, help-page and install test
#   package  the Debian packages (command line, Python module): built, unpacked, installed, used, removed
#   windows  the cross-built plug-in DLL driven by the host emulator under Wine
#   asan     the whole native suite again under the address and undefined-behaviour sanitizers
#   fuzz     every fuzz target on its committed inputs, then briefly on fresh ones
# Each stage is a script of its own under scripts/stages/. The last line sums up the tests
# that CTest ran in all stages (the package stage runs no CTest tests of its own: it fails
# or passes as a whole).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh all
logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT
for stage in native package windows asan fuzz; do
  echo "== stage: $stage"
  bash "scripts/stages/$stage.sh" 2>&1 | tee "$logs/$stage.log"
done

# CTest closes each run with "N% tests passed, F tests failed out of T".
summary=$(cat "$logs"/*.log | sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' |
  awk '{ failed += $1; total += $2 } END { printf "%d passed, %d failed", total - failed, failed }')
echo "== all stages passed"
echo "tests: $summary"
