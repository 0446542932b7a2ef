"""The peer of `zandrel extract` in bench/extract_vs_labels.sh, done the way a label masker
works: load the 4-D image of the run, resample the label image onto the run's grid by
nearest neighbour, and average the samples per label and volume.

    label_means_peer.py RUN.nii LABELS.nii.gz OUT.tsv

OUT.tsv: a header line of the label values found on the run's grid, then one line of means
per volume.
"""
import sys

import nibabel
import numpy
from scipy import ndimage


def main(run_path, labels_path, out_path):
    run = nibabel.load(run_path)
    series = numpy.asanyarray(run.dataobj)  # columns, rows, slices, volumes
    labels_image = nibabel.load(labels_path)
    labels = numpy.asanyarray(labels_image.dataobj)
    # Run voxel -> label voxel, through the world both images share.
    run_to_labels = numpy.linalg.inv(labels_image.affine) @ run.affine
    on_run = ndimage.affine_transform(labels, run_to_labels[:3, :3], offset=run_to_labels[:3, 3],
                                      output_shape=run.shape[:3], order=0, mode="constant", cval=0)
    values = [int(v) for v in numpy.unique(on_run) if v != 0]
    means = numpy.empty((run.shape[3], len(values)))
    for t in range(run.shape[3]):
        means[t] = ndimage.mean(series[..., t], labels=on_run, index=values)
    with open(out_path, "w") as out:
        out.write("\t".join(str(v) for v in values) + "\n")
        for row in means:
            out.write("\t".join(repr(float(v)) for v in row) + "\n")


if __name__ == "__main__":
    main(*sys.argv[1:4])
