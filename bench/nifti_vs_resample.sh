#!/bin/bash
# Whole-process comparison: `zandrel convert --nifti` of a 20-set study against the
# nearest-neighbour resampling a user would otherwise run per set (MRtrix3's mrtransform,
# a bench-only dependency: Debian mrtrix3), one mask per set onto the 256-point grid.
#
#   bash bench/nifti_vs_resample.sh [BUILD_DIR] [WORK_DIR]
#
# BUILD_DIR (default build/default) holds a Release build of zandrel and
# zandrel_make_study. Prints wall and processor (user + system) seconds and the peak
# resident memory of the whole runs; on a shared machine the processor time is the steadier.
set -euo pipefail
build=${1:-build/default}
work=${2:-$(mktemp -d)}
zandrel=$build/src/cli/zandrel
makestudy=$build/examples/zandrel_make_study
here=$(cd "$(dirname "$0")" && pwd)
command -v mrtransform >/dev/null || { echo "mrtransform not installed (Debian mrtrix3)"; exit 2; }

# Wall seconds, processor seconds and peak kilobytes of one command, from GNU time.
measure() {
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || { cat "$work/stderr.txt"; exit 1; }
    read -r wall user system kb < "$work/time.txt"
    echo "$wall $(echo "$user + $system" | bc) $kb"
}

rm -rf "$work/study" "$work/resample"
list=$("$makestudy" "$work/study" --subjects 20 --seed 7)
sets=$(grep -c 'roi$' "$list")
/usr/bin/python3 "$here/resample_inputs.py" "$zandrel" "$list" "$work/resample" > "$work/masks.txt"

for mode in labels masks; do
    find "$work/study" \( -name '*_TAL_*' -o -name '*_ACPC_*' \) -delete
    read -r seconds cpu kb < <(measure "$zandrel" convert "$list" --nifti "$mode")
    echo "zandrel convert --nifti $mode, $sets sets: $seconds s wall, $cpu s processor, peak $((kb / 1024)) MB"
done
find "$work/study" \( -name '*_TAL_*' -o -name '*_ACPC_*' \) -delete
read -r seconds cpu kb < <(measure "$zandrel" convert "$list")
echo "zandrel convert (.voi only), $sets sets: $seconds s wall, $cpu s processor, peak $((kb / 1024)) MB"

total=0
totalCpu=0
peak=0
while read -r mask; do
    read -r seconds cpu kb < <(measure mrtransform "$mask" -template "$work/resample/template.nii" -interp nearest \
        -datatype uint8 "${mask%_mask.nii}_256.nii.gz" -force -quiet)
    total=$(echo "$total + $seconds" | bc)
    totalCpu=$(echo "$totalCpu + $cpu" | bc)
    (( kb > peak )) && peak=$kb
done < "$work/masks.txt"
echo "mrtransform -interp nearest, one mask per set, $sets runs: $total s wall, $totalCpu s processor, peak $((peak / 1024)) MB"
