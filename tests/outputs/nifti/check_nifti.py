"""Checks NIfTI images written for a .voi file with an independent reader (nibabel).

Usage: check_nifti.py VOI_FILE labels|masks XFORM_CODE IMAGE...

The .voi is parsed here on its own: header words, then per VOI its "NrOfVoxels:" count and
that many triples. Millimetre files (TAL, MNI) hold world triples; grid files hold indices
(i, j, k) whose world position is (s_k (c - k), s_i (c - i), s_j (c - j)), c = cube / 2.
Every voxel labelled k must be exactly one of VOI k's world positions (in labels mode those
not taken by a lower k), and every one of them must be labelled. Exit status 1 on any fault.
"""
import sys

import nibabel
import numpy


def parse_voi(path):
    words = open(path, "rb").read().decode("latin-1").split()
    header = {}
    vois = []
    n = 0
    while n < len(words):
        word = words[n]
        if word in ("ReferenceSpace:", "OriginalVMRResolutionX:", "OriginalVMRResolutionY:",
                    "OriginalVMRResolutionZ:", "OriginalVMRFramingCubeDim:"):
            header[word[:-1]] = words[n + 1]
            n += 2
        elif word == "NrOfVoxels:":
            count = int(words[n + 1])
            values = [int(v) for v in words[n + 2:n + 2 + 3 * count]]
            vois.append([tuple(values[3 * m:3 * m + 3]) for m in range(count)])
            n += 2 + 3 * count
        else:
            n += 1
    return header, vois


def world_sets(header, vois):
    space = header.get("ReferenceSpace", "")
    if space in ("TAL", "MNI"):
        return [set(v) for v in vois]
    cube = int(header.get("OriginalVMRFramingCubeDim", "256"))
    si, sj, sk = (int(header.get("OriginalVMRResolution" + a, "1")) for a in "XYZ")
    c = cube // 2
    return [set((sk * (c - k), si * (c - i), sj * (c - j)) for (i, j, k) in v) for v in vois]


def world_of(image, ijk):
    """World positions of grid indices, in their order, as integer triples."""
    if len(ijk) == 0:
        return []
    xyz = numpy.c_[ijk, numpy.ones(len(ijk))] @ image.affine.T
    return [tuple(int(round(v)) for v in row[:3]) for row in xyz]


def check_header(image, path, code, cube, dtype, faults):
    header = image.header
    if image.shape != (cube, cube, cube):
        faults.append(f"{path}: shape {image.shape}")
    if header.get_data_dtype() != numpy.dtype(dtype):
        faults.append(f"{path}: datatype {header.get_data_dtype()}, expected {dtype}")
    sform, scode = header.get_sform(coded=True)
    qform, qcode = header.get_qform(coded=True)
    if int(scode) != code or int(qcode) != code:
        faults.append(f"{path}: sform code {scode}, qform code {qcode}, expected {code}")
    if not numpy.array_equal(sform, qform):
        faults.append(f"{path}: qform\n{qform}\ndiffers from sform\n{sform}")
    if not numpy.array_equal(sform, numpy.round(sform)):
        faults.append(f"{path}: sform not integral\n{sform}")


def main():
    voi_path, mode, code = sys.argv[1], sys.argv[2], int(sys.argv[3])
    images = sys.argv[4:]
    header, vois = parse_voi(voi_path)
    expected = world_sets(header, vois)
    cube = int(header.get("OriginalVMRFramingCubeDim", "256")) if header.get("ReferenceSpace") not in ("TAL", "MNI") else 256
    faults = []
    if mode == "labels":
        image = nibabel.load(images[0])
        check_header(image, images[0], code, cube, numpy.uint8 if len(vois) <= 255 else numpy.uint16, faults)
        data = numpy.asanyarray(image.dataobj)
        labelled = {}
        ijk = numpy.argwhere(data != 0)
        for point, label in zip(world_of(image, ijk), data[tuple(ijk.T)].tolist()):
            labelled.setdefault(int(label), set()).add(point)
        taken = set()
        for k, points in enumerate(expected, start=1):
            want = points - taken
            got = labelled.pop(k, set())
            if got != want:
                faults.append(f"label {k}: {len(got)} voxels, expected {len(want)}; "
                              f"missing {sorted(want - got)[:5]} extra {sorted(got - want)[:5]}")
            taken |= points
        if labelled:
            faults.append(f"labels {sorted(labelled)[:5]} beyond the {len(vois)} VOIs")
    else:
        if len(images) != len(vois):
            faults.append(f"{len(images)} masks for {len(vois)} VOIs")
        for path, points in zip(images, expected):
            image = nibabel.load(path)
            check_header(image, path, code, cube, numpy.uint8, faults)
            data = numpy.asanyarray(image.dataobj)
            if not set(numpy.unique(data).tolist()) <= {0, 1}:
                faults.append(f"{path}: values other than 0 and 1")
            got = set(world_of(image, numpy.argwhere(data == 1)))
            if got != points:
                faults.append(f"{path}: {len(got)} voxels, expected {len(points)}")
    for fault in faults:
        print(fault)
    print(f"{len(images)} image(s), {len(vois)} VOI(s), {len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
