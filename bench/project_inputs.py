"""Inputs and comparison for bench/project_vs_resample.sh.

  project_inputs.py runs LIST WORK        writes WORK/runs.txt: the converted .voi of set n on the
                                          run of set n + 2 (sets alternate Talairach and ACPC, so
                                          the spaces fit; the last two wrap around to the first
                                          two); prints its path
  project_inputs.py templates RUNS WORK   per run set, WORK/prep/setN_run.nii: an empty image of
                                          the functional grid's size with the affine of the set's
                                          occupancy image; prints "VOI TEMPLATE" per set
  project_inputs.py compare PAIRS WORK    per VOI, the functional voxels `zandrel project`
                                          selects (.roi beside the FMR file) against those that
                                          mrtransform labels (WORK/resampled/setN.nii.gz)
"""
import os
import sys

import nibabel
import numpy


def read_sets(list_path, start):
    lines = [l.strip() for l in open(list_path, encoding="latin-1").read().splitlines()]
    prefix, sets = lines[0], []
    for line in lines[1:]:
        if not line:
            continue
        if line.endswith(start):
            sets.append({"first": prefix + line, "lines": [line]})
        elif sets:
            sets[-1]["lines"].append(line)
            for key, ending in (("fmr", "fmr"), ("tal", "tal")):
                if line.endswith(ending):
                    sets[-1][key] = prefix + line
    return prefix, sets


def stem(path):
    return os.path.splitext(os.path.basename(path))[0]


def runs(list_path, work):
    prefix, sets = read_sets(list_path, "roi")
    out = [prefix]
    for n, s in enumerate(sets):
        roi = s["lines"][0]
        run = sets[(n + 2) % len(sets)]
        out.append(roi[: -len(".roi")] + ("_TAL_.voi" if "tal" in s else "_ACPC_.voi"))
        out.extend(run["lines"][1:])
    path = os.path.join(work, "runs.txt")
    open(path, "w").write("\n".join(out) + "\n")
    print(path)


def templates(runs_path, work):
    _, sets = read_sets(runs_path, "voi")
    for n, s in enumerate(sets, 1):
        occupancy = nibabel.load(os.path.join(work, "prep", stem(s["fmr"]) + "_" + stem(s["first"]) + "_occupancy.nii.gz"))
        shape = occupancy.shape[:3]
        template = nibabel.Nifti1Image(numpy.zeros(shape, numpy.uint8), occupancy.affine)
        template.set_qform(occupancy.affine, code=2)
        template.set_sform(occupancy.affine, code=2)
        path = os.path.join(work, "prep", "set%d_run.nii" % n)
        nibabel.save(template, path)
        s["template"] = path
        print(s["first"], path)
    open(os.path.join(work, "fmrs.txt"), "w").write("\n".join(s["fmr"] for s in sets) + "\n")


def roi_plots(path):
    words = open(path).read().split()
    plots, n = [], 0
    while n < len(words):
        if words[n] == "NrOfVoxels:":
            count = int(words[n + 1])
            values = [int(v) for v in words[n + 2 : n + 2 + 3 * count]]
            plots.append({tuple(values[3 * m : 3 * m + 3]) for m in range(count)})
            n += 2 + 3 * count
        else:
            n += 1
    return plots


def compare(pairs_path, work):
    pairs = [line.split() for line in open(pairs_path)]
    fmrs = open(os.path.join(work, "fmrs.txt")).read().split("\n")
    totals = {"tal": [0, 0, 0, 0], "acpc": [0, 0, 0, 0]}
    print("set | space | VOI | selected (ours) | labelled (resampling) | only ours | only resampling")
    for n, ((voi, _), fmr) in enumerate(zip(pairs, fmrs), 1):
        ours = roi_plots(os.path.join(os.path.dirname(fmr), stem(fmr) + "_" + stem(voi) + ".roi"))
        resampled = nibabel.load(os.path.join(work, "resampled", "set%d.nii.gz" % n))
        labels = numpy.asarray(resampled.dataobj)
        # The resampling may store the grid with other axis orders or directions: its voxels
        # are taken to the template's (column, row, slice) through both affines.
        template = nibabel.load(pairs[n - 1][1])
        to_run = numpy.linalg.inv(template.affine) @ resampled.affine
        space = "tal" if voi.endswith("_TAL_.voi") else "acpc"
        for v, selected in enumerate(ours, 1):
            found = numpy.argwhere(labels == v)
            mapped = numpy.rint(to_run[:3, :3] @ found.T + to_run[:3, 3:4]).astype(int).T if len(found) else found
            theirs = {tuple(int(c) for c in p) for p in mapped}
            row = [len(selected), len(theirs), len(selected - theirs), len(theirs - selected)]
            totals[space] = [a + b for a, b in zip(totals[space], row)]
            print("%d | %s | %d | %d | %d | %d | %d" % (n, space.upper(), v, *row))
    for space, row in totals.items():
        print("total %s: selected %d, labelled %d, only ours %d, only resampling %d" % (space.upper(), *row))


if __name__ == "__main__":
    {"runs": runs, "templates": templates, "compare": compare}[sys.argv[1]](*sys.argv[2:])
