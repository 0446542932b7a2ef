#!/usr/bin/env bash
# The Windows plug-in and command line: cross-builds Zandrel.dll, zandrel.exe, the host
# emulator GyrafexZN.exe and the package (build/mingw), then runs the tests labelled
# `windows` from the native build: the DLL's export and import tables, the package, the
# scenarios in which the emulator drives the DLL under Wine, and zandrel.exe converting
# studies under Wine, each compared with the native command line.
#
# The native build (build/default, or ZANDREL_NATIVE_BUILD_DIR) registers these tests only
# while ZANDREL_WINDOWS_BUILD_DIR is set; the stage removes the setting again when it ends,
# so the native stage never runs them.
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$(pwd)"
jobs="$(nproc)"
native="${ZANDREL_NATIVE_BUILD_DIR:-$root/build/default}"

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

forget_windows_build() {
  cmake -S "$root" -B "$native" -UZANDREL_WINDOWS_BUILD_DIR >/dev/null 2>&1 || true
}
trap forget_windows_build EXIT

cmake --preset default -B "$native" -DZANDREL_WINDOWS_BUILD_DIR="$root/build/mingw" >/dev/null
cmake --build "$native" -j "$jobs" --target zandrel zandrel_windows_tests
ctest --test-dir "$native" -L windows --output-on-failure
