#!/usr/bin/env bash
# Runs every libFuzzer target (or the ones named) for SECONDS each: the one fuzzing loop of
# the project, for developers and for the CI stage (scripts/stages/fuzz.sh).
#
#   scripts/fuzz.sh SECONDS [--replay] [--merge] [TARGET...]
#
# --replay first runs every committed regression and seed input of a target once, as files:
# an input that fails stops there.
# TARGET is a folder name under fuzz/corpus (fmr_header, roi, trf, tal, voi, list, convert).
# Each target runs on a scratch copy of its committed seed corpus plus its regression
# inputs, under build/fuzz/work/TARGET; the committed corpus is never modified unless
# --merge is given, which merges the inputs that add coverage back into fuzz/corpus/TARGET.
# Crash and hang inputs land in build/fuzz/artifacts/TARGET/; copy each one into
# fuzz/regressions/TARGET/ once the defect is fixed. Exits 1 when any target failed.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { echo "usage: scripts/fuzz.sh SECONDS [--replay] [--merge] [TARGET...]" >&2; exit 2; }
[ $# -ge 1 ] || usage
seconds="$1"; shift
[[ "$seconds" =~ ^[0-9]+$ ]] || usage
merge=0
replay=0
targets=()
for arg in "$@"; do
  case "$arg" in
    --merge) merge=1 ;;
    --replay) replay=1 ;;
    -*) usage ;;
    *) targets+=("$arg") ;;
  esac
done
if [ "${#targets[@]}" -eq 0 ]; then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

jobs="${ZANDREL_JOBS:-2}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"

bin="build/fuzz/fuzz"
failed=()
for target in "${targets[@]}"; do
  exe="$bin/fuzz_$target"
  [ -x "$exe" ] || { echo "fuzz.sh: no target '$target'" >&2; exit 2; }
  work="build/fuzz/work/$target"
  artifacts="build/fuzz/artifacts/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$artifacts"
  cp -r "fuzz/corpus/$target/." "$work/corpus/" 2>/dev/null || true
  extra=()
  [ -d "fuzz/regressions/$target" ] && extra+=("fuzz/regressions/$target")
  dict=()
  [ -f "fuzz/dict/$target.dict" ] && dict+=("-dict=fuzz/dict/$target.dict")
  if [ "$replay" -eq 1 ]; then
    inputs=()
    for f in "fuzz/regressions/$target"/* "fuzz/corpus/$target"/*; do
      [ -f "$f" ] && inputs+=("$f")
    done
    echo "== fuzz_$target: ${#inputs[@]} committed inputs"
    if [ "${#inputs[@]}" -gt 0 ] && ! "$exe" -timeout=30 -rss_limit_mb=2048 -malloc_limit_mb=512 \
         -artifact_prefix="$artifacts/" "${inputs[@]}" >"$work/replay.txt" 2>&1; then
      tail -n 60 "$work/replay.txt"
      failed+=("$target")
      continue
    fi
  fi
  echo "== fuzz_$target for ${seconds}s"
  # The first folder receives new inputs; the others are only read.
  if ! "$exe" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -malloc_limit_mb=512 \
       -print_final_stats=1 -artifact_prefix="$artifacts/" "${dict[@]}" \
       "$work/corpus" "${extra[@]}" >"$work/log.txt" 2>&1; then
    failed+=("$target")
    tail -n 60 "$work/log.txt"
  else
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$work/log.txt" || true
  fi
  if [ "$merge" -eq 1 ]; then
    "$exe" -merge=1 -timeout=30 -rss_limit_mb=2048 "fuzz/corpus/$target" "$work/corpus" >>"$work/log.txt" 2>&1
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz.sh: failures in: ${failed[*]} (inputs in build/fuzz/artifacts/, logs in build/fuzz/work/)" >&2
  exit 1
fi
echo "fuzz.sh: no failures"
