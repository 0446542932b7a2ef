#!/usr/bin/env bash
# Writes every output of the command line on a fixed set of studies into one folder, so that
# two builds can be compared byte for byte with `diff -r`: the .voi files, the log entries on
# standard output, the transcripts, the exit statuses, and `inspect` and `chain` of every file.
# The NIfTI images (by content), tables, sidecars and the report's page and pictures too.
# A change that is not meant to change results must leave this folder identical.
#
# Usage: scripts/output-snapshot.sh BUILD_DIR OUT_DIR
#   e.g. scripts/output-snapshot.sh build/default /tmp/snap-before
set -uo pipefail
build="$(cd "$1" && pwd)"
out="$2"
zandrel="$build/src/cli/zandrel"
make_study="$build/examples/zandrel_make_study"
rm -rf "$out"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"

studies=()
cp -r "$root/examples/study" "$out/example"
studies+=("$out/example")
for seed in 1 2 3; do
  "$make_study" "$out/seed$seed" --subjects 5 --seed "$seed" >/dev/null
  studies+=("$out/seed$seed")
done
# A study whose sets fail in the ways users meet: a fine-alignment matrix of zeros, a missing
# time-course file, a ROI file cut short, a functional grid without slices, a missing IA file.
cp -r "$out/seed1" "$out/broken"
b="$out/broken"
sed -i "1s#.*#$b/#" "$b/study.txt"
awk '/DataFormat:/{m=4} m>0 && /^-?[0-9]/{print "0 0 0 0"; m--; next} {print}' \
  "$b/subject1/s1_FA.trf" >"$b/fa" && mv "$b/fa" "$b/subject1/s1_FA.trf"
rm -f "$b/subject2/"*.stc
head -c 900 "$b/subject3/s3.roi" >"$b/roi" && mv "$b/roi" "$b/subject3/s3.roi"
sed -i 's/^NrOfSlices:.*/NrOfSlices:                    0/' "$b/subject4/s4_run1.fmr"
rm -f "$b/subject5/s5_IA.trf"
studies+=("$b")

# Each study as it was before anything ran, for the outputs besides the .voi below.
pristine="$out/.pristine"
mkdir -p "$pristine"
for dir in "${studies[@]}"; do cp -r "$dir" "$pristine/"; done

for dir in "${studies[@]}"; do
  list="$(ls "$dir"/*.txt | head -n1)"
  (
    cd "$dir" || exit 1
    "$zandrel" convert "$list" --dry-run --transcript dry.jsonl >dry.out 2>dry.err
    echo "$?" >dry.status
    "$zandrel" convert "$list" --transcript convert.jsonl >convert.out 2>convert.err
    echo "$?" >convert.status
    copy="$(mktemp -d)" && cp -r . "$copy/" && mv "$copy" crlf
    find crlf -name '*.voi' -delete
    cd crlf && "$zandrel" convert "$list" --crlf >crlf.out 2>crlf.err; echo "$?" >crlf.status
  )
  find "$dir" -type f \( -name '*.fmr' -o -name '*.roi' -o -name '*.trf' -o -name '*.tal' \) \
    -not -path '*/crlf/*' | sort | while read -r f; do
    "$zandrel" inspect "$f" >"$f.inspect.json" 2>&1
    echo "$?" >>"$f.inspect.json"
  done
  find "$dir" -name '*.fmr' -type f -not -path '*/crlf/*' | sort | while read -r f; do
    "$zandrel" inspect "$f" --data >"$f.data.json" 2>&1
    echo "$?" >>"$f.data.json"
  done
done

# The chain of every set of the generated studies, as text and as JSON.
for dir in "${studies[@]}"; do
  find "$dir" -name '*IA.trf' -not -path '*/crlf/*' | sort | while read -r ia; do
    base="${ia%IA.trf}"
    fmr="$(ls "$(dirname "$ia")"/*.fmr | head -n1)"
    fa="${base}FA.trf"
    acpc="$(ls "$(dirname "$ia")"/*ACPC.trf 2>/dev/null | head -n1)"
    [ -f "$fa" ] && [ -n "$acpc" ] || continue
    "$zandrel" chain "$fmr" "$ia" "$fa" "$acpc" >"$ia.chain.txt" 2>&1
    echo "$?" >>"$ia.chain.txt"
    "$zandrel" chain "$fmr" "$ia" "$fa" "$acpc" --json >"$ia.chain.json" 2>&1
    echo "$?" >>"$ia.chain.json"
  done
done

# NIfTI labels and masks with their tables and sidecars, and the report, each converted in a
# fresh copy of the study (its list's absolute prefix pointing into the copy). The images are
# kept decompressed, so that they compare by content.
for dir in "${studies[@]}"; do
  study="$(basename "$dir")"
  name="$(basename "$(ls "$dir"/*.txt | head -n1)")"
  for kind in labels masks report; do
    copy="$out/outputs/$study-$kind"
    mkdir -p "$out/outputs"
    cp -r "$pristine/$study" "$copy"
    sed -i "1s#^$dir#$copy#" "$copy/$name"
    (
      cd "$copy" || exit 1
      if [ "$kind" = report ]; then "$zandrel" convert "$name" --report qc >run.out 2>run.err
      else "$zandrel" convert "$name" --nifti "$kind" >run.out 2>run.err; fi
      echo "$?" >run.status
      # The report's date and run time differ from run to run.
      [ -f qc/index.html ] && sed -i -E 's#<td>(Date|Total time)</td><td>[^<]*</td>#<td>\1</td><td>-</td>#' qc/index.html
      find . -name '*.stc' -delete
      find . -name '*.nii.gz' | while read -r f; do gzip -dc "$f" >"${f%.gz}" && rm "$f"; done
    )
  done
done
rm -rf "$pristine"
# Absolute paths of the snapshot folder appear in log entries: make them relative.
grep -rl --null "$out" "$out" | xargs -0 -r sed -i "s#$out#SNAP#g"
echo "snapshot written to $out"
