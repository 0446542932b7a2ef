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

# The list's prefix is "./": the conversion runs inside the copied study.
zandrel="$PWD/build/default/src/cli/zandrel"
cd "$work"
echo "== zandrel convert study.txt --transcript transcript.jsonl   (in $PWD)"
status=0
"$zandrel" convert study.txt --transcript transcript.jsonl || status=$?
echo
echo "== VOI files"
find "$PWD" -name '*.voi' -type f | sort | while read -r voi; do
  echo "$voi  ($(grep -c '' "$voi") lines)"
done
echo "== transcript: $PWD/transcript.jsonl"
echo "== exit status: $status"
exit "$status"
