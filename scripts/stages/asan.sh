#!/usr/bin/env bash
# Sanitizer stage: builds the whole project with the address and undefined-behaviour
# sanitizers (the `asan` preset) and runs the complete test suite under them.
# Any sanitizer report halts the reporting test (halt_on_error in the test preset), so a
# single report fails the stage. Tests that are slow under the sanitizers scale themselves
# down through the ZANDREL_SANITIZE definition.
set -euo pipefail
cd "$(dirname "$0")/../.."

jobs="${ZANDREL_JOBS:-$(nproc)}"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"

# The test preset sets ASAN_OPTIONS (halt on error, leak detection) and UBSAN_OPTIONS.
ctest --preset asan -j "$jobs" --timeout 300
