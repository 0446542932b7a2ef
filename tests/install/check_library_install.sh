#!/usr/bin/env bash
# The library as a program of its own uses it, from a fresh install prefix:
#   check_library_install.sh CMAKE BUILD_DIR WORK_DIR STUDY_DIR CONSUMER_DIR CXX GENERATOR VERSION
# Installs the build into WORK_DIR/prefix, checks the library's layout there, configures and
# builds tests/install/consumer against the prefix alone (find_package(Zandrel VERSION EXACT)),
# then converts the example study twice, in two copies: by the consumer (in memory, then
# VoiFile::save and, with NIfTI, the set's outputs) and by the installed `zandrel convert`.
# Both copies must end up byte for byte the same, and the VOI counts printed by the
# consumer must be the NrOfVOIs of the written files.
set -uo pipefail
cmake="$1" build="$2" work="$3" study="$4" consumer="$5" cxx="$6" generator="$7" version="$8"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
stop() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work" || stop "cannot create $work"
prefix="$work/prefix"
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; stop "cmake --install failed"; }

for file in lib/libzandrel.a include/zandrel/zandrel.h include/zandrel/version.h include/zandrel/build_features.h \
            include/zandrel/internal/batch/convert_in_memory.h \
            lib/cmake/Zandrel/ZandrelConfig.cmake lib/cmake/Zandrel/ZandrelConfigVersion.cmake; do
  [ -f "$prefix/$file" ] || fail "the prefix lacks $file"
done
# Everything of the library stays under include/zandrel: no "batch/" or "voi/" beside other packages' headers.
top="$(ls "$prefix/include")"
[ "$top" = "zandrel" ] || fail "include/ holds more than zandrel/: $top"
grep -rlF -- "$(cd "$build" && pwd -P)" "$prefix/lib/cmake" "$prefix/include" >/dev/null 2>&1 &&
  fail "installed headers or package files name the build folder: $(grep -rlF -- "$(cd "$build" && pwd -P)" "$prefix/lib/cmake" "$prefix/include")"

"$cmake" -S "$consumer" -B "$work/consumer" -G "$generator" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix" -DZANDREL_EXPECTED_VERSION="$version" \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; stop "the consumer does not configure against the prefix"; }
"$cmake" --build "$work/consumer" >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; stop "the consumer does not build against the prefix"; }

program="$prefix/bin/zandrel"
nifti=()
"$program" --version | grep -q 'nifti' && nifti=(--nifti)
cp -R "$study" "$work/by-library" && cp -R "$study" "$work/by-command" || stop "cannot copy the study"
(cd "$work/by-library" && env -i PATH=/usr/bin:/bin "$work/consumer/consumer" study.txt) >"$work/consumer.out" ||
  { cat "$work/consumer.out" >&2; fail "the consumer failed"; }
(cd "$work/by-command" && env -i PATH=/usr/bin:/bin "$program" convert study.txt "${nifti[@]}") >"$work/convert.out" 2>&1 ||
  { cat "$work/convert.out" >&2; fail "zandrel convert failed"; }

head -n 1 "$work/consumer.out" | grep -qxF "zandrel $version" || fail "the consumer names another version: $(head -n 1 "$work/consumer.out")"
voi_files=(subject1/s1_TAL_.voi subject2/s2_ACPC_.voi)
for voi in "${voi_files[@]}"; do
  [ -f "$work/by-command/$voi" ] || { fail "zandrel convert wrote no $voi"; continue; }
  roi="./${voi%_*_.voi}.roi"
  count="$(grep -a '^NrOfVOIs:' "$work/by-command/$voi" | tr -dc '0-9')"
  grep -qxF "$roi: $count VOIs" "$work/consumer.out" || fail "the consumer does not print '$roi: $count VOIs':
$(cat "$work/consumer.out")"
done
[ "${#nifti[@]}" -eq 0 ] || [ -f "$work/by-command/subject1/s1_TAL_.nii.gz" ] || fail "zandrel convert --nifti wrote no image"
diff -rq "$work/by-library" "$work/by-command" >"$work/diff.out" 2>&1 || fail "the consumer's files differ from zandrel convert's:
$(cat "$work/diff.out")"

[ "$failures" -eq 0 ] || exit 1
rm -rf "$work"
echo "library install: a consumer built against the prefix converts the example study as zandrel convert does"
