"""Prepares the peer's inputs in bench/extract_vs_labels.sh (not timed): the run's
time-course data as an uncompressed 4-D NIfTI image whose affine places the functional grid
in the world of the exported label images (anatomical grid indices (i, j, k) at
(128 - k, 128 - i, 128 - j) mm), through the inverse of the run's map from grid indices to
functional positions.

    extract_bench_prepare.py RUN.stc COLUMNS ROWS SLICES VOLUMES GRID_TO_FUNCTIONAL.txt OUT.nii
"""
import sys

import nibabel
import numpy


def main(stc, columns, rows, slices, volumes, matrix_path, out_path):
    columns, rows, slices, volumes = int(columns), int(rows), int(slices), int(volumes)
    samples = numpy.fromfile(stc, dtype="<i2").reshape(slices, volumes, rows, columns)
    series = numpy.ascontiguousarray(samples.transpose(3, 2, 0, 1)).astype("<i2")  # columns, rows, slices, volumes
    grid_to_functional = numpy.loadtxt(matrix_path)
    grid_to_world = numpy.array([[0, 0, -1, 128], [-1, 0, 0, 128], [0, -1, 0, 128], [0, 0, 0, 1]], dtype=float)
    affine = grid_to_world @ numpy.linalg.inv(grid_to_functional)
    image = nibabel.Nifti1Image(series, affine)
    image.set_sform(affine, code=2)
    image.set_qform(affine, code=2)
    nibabel.save(image, out_path)


def correlate(zandrel_tsv, peer_tsv):
    """Prints, per VOI, the correlation of zandrel's mean series with the peer's."""
    with open(zandrel_tsv) as f:
        names = f.readline().rstrip("\n").split("\t")
    ours = numpy.genfromtxt(zandrel_tsv, delimiter="\t", skip_header=1, missing_values="n/a", ndmin=2)
    with open(peer_tsv) as f:
        labels = [int(v) for v in f.readline().split()]
    theirs = numpy.loadtxt(peer_tsv, skiprows=1, ndmin=2)
    for index, name in enumerate(names):
        if index + 1 not in labels or numpy.isnan(ours[:, index]).any():
            print(f"{name}: not on the run for one of the two")
            continue
        r = numpy.corrcoef(ours[:, index], theirs[:, labels.index(index + 1)])[0, 1]
        print(f"{name}: r = {r:.4f}")


if __name__ == "__main__":
    if sys.argv[1] == "--correlate":
        correlate(*sys.argv[2:4])
    else:
        main(*sys.argv[1:8])
