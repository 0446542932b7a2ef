#!/bin/bash
# Whole-process comparison: `zandrel project` of a 20-set run list against what a user does
# otherwise: `zandrel export` of the VOI files as label images, then one nearest-neighbour
# resampling per run onto the run's grid (MRtrix3's mrtransform, a bench-only dependency:
# Debian mrtrix3, installed here when missing). Then compares, per VOI, the functional
# voxels we select (occupancy >= 0.5) with the voxels the resampling labels.
#
#   bash bench/project_vs_resample.sh [BUILD_DIR] [WORK_DIR]
#
# BUILD_DIR (default build/default) holds a Release build of zandrel and zandrel_make_study.
# Prints wall and processor (user + system) seconds and peak resident memory of each route,
# their ratio, and the voxel comparison.
set -euo pipefail
build=${1:-build/default}
work=${2:-$(mktemp -d)}
zandrel=$build/src/cli/zandrel
makestudy=$build/examples/zandrel_make_study
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v mrtransform >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends mrtrix3 >/dev/null
fi

# Wall seconds, processor seconds and peak kilobytes of one command, from GNU time.
measure() {
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >"$work/stdout.txt" 2>"$work/stderr.txt" || { cat "$work/stderr.txt"; exit 1; }
    read -r wall user system kb < "$work/time.txt"
    echo "$wall $(echo "$user + $system" | bc) $kb"
}

rm -rf "$work/study" "$work/prep" "$work/export" "$work/resampled"
mkdir -p "$work/prep" "$work/export" "$work/resampled"
list=$("$makestudy" "$work/study" --subjects 20 --seed 7)
"$zandrel" convert "$list" >/dev/null
# Untimed: the run list, and per run a template with the functional grid's size and the
# occupancy image's affine.
runs=$(/usr/bin/python3 "$here/project_inputs.py" runs "$list" "$work")
"$zandrel" project "$runs" --nifti --output-dir "$work/prep" >/dev/null
/usr/bin/python3 "$here/project_inputs.py" templates "$runs" "$work" > "$work/pairs.txt"
sets=$(wc -l < "$work/pairs.txt")

read -r ourWall ourCpu ourKb < <(measure "$zandrel" project "$runs")
echo "zandrel project, $sets sets (.roi, coverage): $ourWall s wall, $ourCpu s processor, peak $((ourKb / 1024)) MB"
read -r niftiWall niftiCpu niftiKb < <(measure "$zandrel" project "$runs" --nifti)
echo "zandrel project --nifti, $sets sets: $niftiWall s wall, $niftiCpu s processor, peak $((niftiKb / 1024)) MB"

# The other route: one export of every VOI file, then one resampling per run.
mapfile -t vois < <(cut -d' ' -f1 "$work/pairs.txt" | sort -u)
read -r exportWall exportCpu exportKb < <(measure "$zandrel" export "${vois[@]}" --nifti labels --output-dir "$work/export")
total=$exportWall
totalCpu=$exportCpu
peak=$exportKb
n=0
while read -r voi template; do
    n=$((n + 1))
    label="$work/export/$(basename "${voi%.voi}").nii.gz"
    read -r seconds cpu kb < <(measure mrtransform "$label" -template "$template" -interp nearest -datatype uint16 \
        "$work/resampled/set$n.nii.gz" -force -quiet)
    total=$(echo "$total + $seconds" | bc)
    totalCpu=$(echo "$totalCpu + $cpu" | bc)
    (( kb > peak )) && peak=$kb
done < "$work/pairs.txt"
echo "zandrel export + mrtransform -interp nearest, $sets runs: $total s wall, $totalCpu s processor, peak $((peak / 1024)) MB"
echo "ratio (export + mrtransform) / project: $(echo "scale=1; $total / $ourWall" | bc) x wall, $(echo "scale=1; $totalCpu / $ourCpu" | bc) x processor"
echo "ratio (export + mrtransform) / project --nifti: $(echo "scale=1; $total / $niftiWall" | bc) x wall, $(echo "scale=1; $totalCpu / $niftiCpu" | bc) x processor"

# Our selection (written by the timed run, beside each FMR file) against the resampling.
/usr/bin/python3 "$here/project_inputs.py" compare "$work/pairs.txt" "$work"
