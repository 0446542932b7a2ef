#!/usr/bin/env bash
# The Windows plug-in: cross-builds Zandrel.dll, the host emulator GyrafexZN.exe and the
# package (build/mingw), then runs the tests labelled `windows` from the native build
# (build/default): the DLL's export and import tables, the package, and the scenarios in
# which the emulator drives the DLL under Wine, compared with the native command line.
#
# The native build registers these tests only while ZANDREL_WINDOWS_BUILD_DIR is set; the
# stage removes the setting again when it ends, so the native stage never runs them.
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$(pwd)"
jobs="$(nproc)"

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

forget_windows_build() {
  cmake -S "$root" -B "$root/build/default" -UZANDREL_WINDOWS_BUILD_DIR >/dev/null 2>&1 || true
}
trap forget_windows_build EXIT

cmake --preset default -DZANDREL_WINDOWS_BUILD_DIR="$root/build/mingw" >/dev/null
cmake --build --preset default -j "$jobs" --target zandrel zandrel_windows_tests
ctest --test-dir build/default -L windows --output-on-failure
