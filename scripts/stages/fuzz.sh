#!/usr/bin/env bash
# Fuzz stage: builds the libFuzzer targets (the `fuzz` preset), replays every committed
# regression and seed input once, then fuzzes each target briefly (about a minute in all).
# Fails on any crash, hang, sanitizer report, broken invariant or oversized allocation.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash scripts/setup.sh fuzz
jobs="${ZANDREL_JOBS:-$(nproc)}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"

bin="build/fuzz/fuzz"
limits=(-timeout=30 -rss_limit_mb=2048 -malloc_limit_mb=512)
targets=()
for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
seconds=$(( (60 + ${#targets[@]} - 1) / ${#targets[@]} ))

for target in "${targets[@]}"; do
  exe="$bin/fuzz_$target"
  work="build/fuzz/stage/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  # Every committed input once, as files: each one that crashes fails the stage.
  inputs=()
  for f in "fuzz/regressions/$target"/* "fuzz/corpus/$target"/*; do
    [ -f "$f" ] && inputs+=("$f")
  done
  if [ "${#inputs[@]}" -gt 0 ]; then
    echo "== fuzz_$target: ${#inputs[@]} committed inputs"
    if ! "$exe" "${limits[@]}" -artifact_prefix="$work/artifacts/" "${inputs[@]}" >"$work/replay.txt" 2>&1; then
      tail -n 60 "$work/replay.txt"
      echo "fuzz stage: fuzz_$target fails on a committed input" >&2
      exit 1
    fi
  fi
  cp -r "fuzz/corpus/$target/." "$work/corpus/" 2>/dev/null || true
  dict=()
  [ -f "fuzz/dict/$target.dict" ] && dict+=("-dict=fuzz/dict/$target.dict")
  echo "== fuzz_$target: ${seconds}s"
  if ! "$exe" "${limits[@]}" -max_total_time="$seconds" -artifact_prefix="$work/artifacts/" \
       "${dict[@]}" "$work/corpus" >"$work/fuzz.txt" 2>&1; then
    tail -n 60 "$work/fuzz.txt"
    echo "fuzz stage: fuzz_$target found a failure; input in $work/artifacts/" >&2
    exit 1
  fi
done
echo "fuzz stage: all targets passed"
