#!/usr/bin/env python3
"""The Python module against the C++ library and the command line, measured in one run.

Usage: python_bench.py PEER ZANDREL MAKE_STUDY WORKDIR [--reps N]

On one generated full-size set (64 x 64 in-plane, 30 slices):
  convert_set        against the library's convertInMemory (zandrel_python_peer), median of N
  extract            against the library (projectRunSet + extractVoiTimeSeries), and against
                     `zandrel extract` of a one-set run list, a whole process (median of N)
  to_nifti()         against nibabel writing the command line's .nii.gz and reading it back
Prints a Markdown table with the ratios, and the peak resident memory of each side.
"""
import argparse
import pathlib
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
import zandrel

STATS = "mean,median,std,min,max,eigen"


def median_ms(reps, work):
    times = []
    for _ in range(reps):
        start = time.perf_counter()
        work()
        times.append((time.perf_counter() - start) * 1000.0)
    return statistics.median(times)


def peer(program, *args):
    out = subprocess.run([program, *map(str, args)], check=True, capture_output=True, text=True).stdout.split()
    return float(out[0]), float(out[1])


def compare(rounds, theirs, mine):
    """Rounds of the peer's median, then ours, alternating so that both meet the same load
    of the machine; the lowest median of each side."""
    peer_ms, python_ms, peak = [], [], 0.0
    for _ in range(rounds):
        ms, mb = theirs()
        peer_ms.append(ms)
        peak = max(peak, mb)
        python_ms.append(mine())
    return min(python_ms), min(peer_ms), peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("peer")
    parser.add_argument("zandrel")
    parser.add_argument("make_study")
    parser.add_argument("workdir")
    parser.add_argument("--reps", type=int, default=21)
    parser.add_argument("--rounds", type=int, default=5)
    a = parser.parse_args()
    work = pathlib.Path(a.workdir)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    listing = subprocess.run([a.make_study, work / "study", "--subjects", "1", "--seed", "3"],
                             check=True, capture_output=True, text=True).stdout.strip()
    lines = [l for l in pathlib.Path(listing).read_text().splitlines()[1:] if l.strip()]
    prefix = pathlib.Path(listing).read_text().splitlines()[0]
    files = [prefix + l for l in lines]
    roi = next(f for f in files if f.endswith(".roi"))
    fmr = next(f for f in files if f.endswith(".fmr"))
    ia, fa, acpc = (next(f for f in files if f.endswith(k)) for k in ("IA.trf", "FA.trf", "ACPC.trf"))
    tal = next((f for f in files if f.endswith(".tal")), "")
    subprocess.run([a.zandrel, "convert", listing, "--nifti", "labels"], check=True, capture_output=True)
    voi_path = roi[:-4] + ("_TAL_.voi" if tal else "_ACPC_.voi")
    set_files = [roi, fmr, ia, fa, acpc] + ([tal] if tal else [])
    run_files = [voi_path, fmr, ia, fa, acpc] + ([tal] if tal else [])

    rows = []
    # convert_set against the library, the same set, interleaved warm-up first.
    zandrel.convert_set(*set_files[:5], tal=tal or None)
    py_ms, cpp_ms, cpp_mb = compare(
        a.rounds, lambda: peer(a.peer, "convert", a.reps, *set_files),
        lambda: median_ms(a.reps, lambda: zandrel.convert_set(*set_files[:5], tal=tal or None)))
    rows.append(("convert_set vs library convertInMemory", py_ms, cpp_ms, "<= 1.2"))

    stats = STATS.split(",")
    zandrel.extract(*run_files[:5], tal=tal or None, stats=stats)
    py_extract_ms, lib_ms, lib_mb = compare(
        a.rounds, lambda: peer(a.peer, "extract", a.reps, STATS, *run_files),
        lambda: median_ms(a.reps, lambda: zandrel.extract(*run_files[:5], tal=tal or None, stats=stats)))
    rows.append(("extract vs library (project + extract)", py_extract_ms, lib_ms, "<= 1.2"))
    run_list = work / "runs.txt"
    run_list.write_text("\n" + "\n".join(run_files) + "\n")
    cli = [a.zandrel, "extract", str(run_list), "--stat", STATS]
    py_whole_ms, cli_ms, _ = compare(
        a.rounds, lambda: (median_ms(a.reps, lambda: subprocess.run(cli, check=True, capture_output=True)), 0.0),
        lambda: median_ms(a.reps, lambda: zandrel.extract(*run_files[:5], tal=tal or None, stats=stats)))
    rows.append(("extract vs `zandrel extract` (whole process)", py_whole_ms, cli_ms, "<= 1.2"))

    import nibabel
    voi = zandrel.convert_set(*set_files[:5], tal=tal or None)
    image = voi.to_nifti()
    with tempfile.TemporaryDirectory() as folder:
        target = pathlib.Path(folder) / "labels.nii.gz"

        def round_trip():
            nibabel.save(image, str(target))
            return np.asanyarray(nibabel.load(str(target)).dataobj)

        assert np.array_equal(round_trip(), np.asanyarray(image.dataobj))
        reps = max(3, a.reps // 4)  # a round trip takes seconds
        nifti_ms, trip_ms, _ = compare(
            a.rounds, lambda: (median_ms(reps, round_trip), 0.0),
            lambda: median_ms(reps, lambda: np.asanyarray(voi.to_nifti().dataobj)))
    rows.append(("to_nifti() vs nibabel save + load of the .nii.gz", nifti_ms, trip_ms, "< 1"))

    python_mb = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
    print(f"One generated set ({pathlib.Path(roi).name}, {len(voi.vois)} VOIs), lowest of {a.rounds} medians of {a.reps} runs each, alternating.\n")
    print("| measurement | Python ms | peer ms | ratio | goal |")
    print("|---|---:|---:|---:|---|")
    for name, mine, theirs, goal in rows:
        print(f"| {name} | {mine:.1f} | {theirs:.1f} | {mine / theirs:.2f} | {goal} |")
    print(f"\nPeak resident memory: Python process {python_mb:.0f} MB (module, numpy, nibabel, "
          f"every measurement); C++ peer {cpp_mb:.0f} MB (convert), {lib_mb:.0f} MB (extract).")
    return 0


if __name__ == "__main__":
    sys.exit(main())
