#!/usr/bin/env bash
# The main job: builds zandrel and converts the bundled example study.
# The study is copied into the build folder first, so no tracked file is touched.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh native
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target zandrel >/dev/null
work="build/example-study"
rm -rf "$work"
mkdir -p "$work"
cp -r examples/study/. "$work/"
./build/default/src/cli/zandrel inspect "$work/subject1/s1_run1.fmr"
