#!/bin/bash
# Whole-process comparison: `zandrel extract` of one run set against the label-averaging
# peer a user would otherwise run (bench/label_means_peer.py, Debian's python3-nibabel,
# python3-numpy and python3-scipy): load the run as an uncompressed 4-D NIfTI image,
# resample the VOI's label image (from `zandrel export`) onto it by nearest neighbour,
# average per label and volume. The VOI is drawn on another run of the subject. Sizes:
# 300 volumes of 64 x 64 x 30 and 1,000 volumes of 96 x 96 x 60.
#
#   bash bench/extract_vs_labels.sh [BUILD_DIR] [WORK_DIR]
#
# BUILD_DIR (default build/default) holds a Release build of zandrel and
# zandrel_extract_bench_inputs (configure with -DZANDREL_BUILD_BENCH=ON). Prints per size the
# wall and processor seconds and peak resident memory of each, the ratios, and the
# correlation of each VOI's mean time course with the peer's.
set -euo pipefail
build=${1:-build/default}
work=${2:-$(mktemp -d)}
zandrel=$build/src/cli/zandrel
inputs=$build/bench/zandrel_extract_bench_inputs
here=${BENCH_DIR:-$(cd "$(dirname "$0")" && pwd)}
python=/usr/bin/python3

# Wall seconds, processor seconds and peak kilobytes of one command, from GNU time.
measure() {
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || { cat "$work/stderr.txt"; exit 1; }
    read -r wall user system kb < "$work/time.txt"
    echo "$wall $(echo "$user + $system" | bc) $kb"
}

for size in "64 64 30 300" "96 96 60 1000"; do
    read -r columns rows slices volumes <<< "$size"
    dir=$work/run_${columns}x${rows}x${slices}x${volumes}
    rm -rf "$dir" && mkdir -p "$dir"
    { read -r study; read -r stc; } < <("$inputs" "$dir" "$columns" "$rows" "$slices" "$volumes")
    "$zandrel" convert "$study" >/dev/null || true   # the drawn VOI (the target subject's ROI may convert too)
    voi=$(sed -n 2p "$dir/run_list.txt")
    "$zandrel" export "$voi" --nifti labels --output-dir "$dir" >/dev/null
    labels=$dir/$(basename "${voi%.voi}").nii.gz
    "$python" "$here/extract_bench_prepare.py" "$stc" "$columns" "$rows" "$slices" "$volumes" \
        "$dir/grid_to_functional.txt" "$dir/run.nii"
    sync

    read -r zw zc zkb < <(measure "$zandrel" extract "$dir/run_list.txt" --output-dir "$dir")
    read -r pw pc pkb < <(measure "$python" "$here/label_means_peer.py" "$dir/run.nii" "$labels" "$dir/peer.tsv")
    echo "$volumes volumes of $columns x $rows x $slices:"
    echo "  zandrel extract: $zw s wall, $zc s processor, peak $((zkb / 1024)) MB"
    echo "  peer:            $pw s wall, $pc s processor, peak $((pkb / 1024)) MB"
    echo "  ratio: $(echo "scale=1; $pw / $zw" | bc) x wall, $(echo "scale=1; $pc / $zc" | bc) x processor"
    mean=$(ls "$dir"/*_stat-mean_timeseries.tsv)
    "$python" "$here/extract_bench_prepare.py" --correlate "$mean" "$dir/peer.tsv" | sed 's/^/  /'
    sed 's/^/  coverage: /' "$dir"/*_coverage.tsv
done
