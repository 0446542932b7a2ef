#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# Usage: scripts/setup.sh [native|windows|package|fuzz|all]   (default: all)
set -euo pipefail

want="${1:-all}"
# man-db renders the generated manual page; libpng and chromium serve the picture report and its
# browser test; the NIfTI C library writes NIfTI files, which nibabel and nifti_tool read back.
# pybind11 builds the Python module, which pytest tests with numpy, nibabel and pandas.
packages=(build-essential cmake libgtest-dev nlohmann-json3-dev libcli11-dev man-db libpng-dev python3 chromium
  libnifti2-dev zlib1g-dev nifti-bin python3-nibabel pybind11-dev python3-dev python3-numpy python3-pytest
  python3-pandas)
case "$want" in
  native) ;;
  windows) packages+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 zip) ;;
  package) packages+=(dpkg-dev file) ;;
  fuzz) packages+=(clang libclang-rt-dev) ;;
  all) packages+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 zip dpkg-dev file clang libclang-rt-dev) ;;
  *) echo "setup.sh: unknown set '$want'" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ "${#missing[@]}" -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
