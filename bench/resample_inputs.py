"""Writes, per set of a study list, the input of a nearest-neighbour resampling by another tool.

Usage: resample_inputs.py ZANDREL LIST OUTDIR

For every set: OUTDIR/setN_mask.nii, the first ROI of the set as a 0/1 uint8 image on the
functional grid, whose affine maps functional (column, row, slice) to world millimetres
through the set's chain matrix (from `zandrel chain --json`); and once OUTDIR/template.nii,
an empty 256-point uint8 grid with the world matrix of our outputs, (i, j, k) to
(128 - k, 128 - i, 128 - j). Talairach sets get the chain alone: the landmark mapping is
piecewise linear and no affine can carry it, so the other tool does slightly less work.
Prints one line per set: the mask path.
"""
import json
import os
import subprocess
import sys

import nibabel
import numpy

GRID_TO_WORLD = numpy.array([[0, 0, -1, 128], [-1, 0, 0, 128], [0, -1, 0, 128], [0, 0, 0, 1]], float)


def read_sets(list_path):
    lines = [l.strip() for l in open(list_path, encoding="latin-1").read().splitlines()]
    prefix, sets, current = lines[0], [], None
    for line in lines[1:]:
        if not line:
            continue
        path = prefix + line
        if line.endswith("roi"):
            current = {"roi": path}
            sets.append(current)
        elif current is not None:
            for key, ending in (("fmr", "fmr"), ("ia", "IA.trf"), ("fa", "FA.trf"), ("acpc", "ACPC.trf")):
                if line.endswith(ending):
                    current[key] = path
    return sets


def zandrel_json(zandrel, args):
    return json.loads(subprocess.run([zandrel] + args, check=True, capture_output=True).stdout)


def main():
    zandrel, list_path, out_dir = sys.argv[1:4]
    os.makedirs(out_dir, exist_ok=True)
    template = nibabel.Nifti1Image(numpy.zeros((256, 256, 256), numpy.uint8), GRID_TO_WORLD)
    template.set_qform(GRID_TO_WORLD, code=2)
    template.set_sform(GRID_TO_WORLD, code=2)
    nibabel.save(template, os.path.join(out_dir, "template.nii"))
    for n, s in enumerate(read_sets(list_path), start=1):
        chain = numpy.array(zandrel_json(zandrel, ["chain", "--json", s["fmr"], s["ia"], s["fa"], s["acpc"]])["M"])
        fmr = zandrel_json(zandrel, ["inspect", s["fmr"]])
        dims = [fmr[k]["value"] for k in ("ResolutionX", "ResolutionY", "NrOfSlices")]
        roi = zandrel_json(zandrel, ["inspect", s["roi"]])
        mask = numpy.zeros(dims, numpy.uint8)
        for x, y, z in roi["plots"][0]["voxels"]:
            mask[x, y, z] = 1
        # functional index = T(c) M T(-127.5) grid index; the mask's affine is its inverse,
        # followed by the grid's world matrix.
        centre = numpy.eye(4)
        centre[:3, 3] = [(d - 1) / 2 for d in dims]
        uncentre = numpy.eye(4)
        uncentre[:3, 3] = -127.5
        grid_to_functional = centre @ chain @ uncentre
        affine = GRID_TO_WORLD @ numpy.linalg.inv(grid_to_functional)
        image = nibabel.Nifti1Image(mask, affine)
        image.set_qform(affine, code=2)
        image.set_sform(affine, code=2)
        path = os.path.join(out_dir, f"set{n}_mask.nii")
        nibabel.save(image, path)
        print(path)


if __name__ == "__main__":
    main()
