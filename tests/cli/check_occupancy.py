"""Checks an occupancy image written by `zandrel project` with an independent reader (nibabel).

Usage: check_occupancy.py IMAGE FACTS

FACTS, written by the test from the library's footprint: a line "columns rows slices vois";
lines "cell v x y z K N" for every touched cell; lines "point i j k fx fy fz" giving the exact
functional position of anatomical grid point (i, j, k). The image must be float32 of that
shape, hold float32(K / N) in every touched cell and 0 elsewhere, carry sform and qform code 2,
and its affine must take each functional position to (128 - k, 128 - i, 128 - j) mm.
Exit status 1 on any fault.
"""
import sys

import nibabel
import numpy


def main(image_path, facts_path):
    lines = [line.split() for line in open(facts_path)]
    shape = tuple(int(v) for v in lines[0])
    expected = numpy.zeros(shape, dtype=numpy.float32)
    points = []
    for words in lines[1:]:
        if words[0] == "cell":
            v, x, y, z, k, n = (int(w) for w in words[1:])
            expected[x, y, z, v] = numpy.float32(k / n)
        elif words[0] == "point":
            points.append(([int(w) for w in words[1:4]], [float(w) for w in words[4:7]]))
    image = nibabel.load(image_path)
    faults = []
    if image.shape != shape:
        faults.append("shape %s, expected %s" % (image.shape, shape))
    if image.get_data_dtype() != numpy.float32:
        faults.append("data type %s" % image.get_data_dtype())
    data = numpy.asarray(image.dataobj)
    if not faults and not numpy.array_equal(data, expected):
        differ = numpy.argwhere(data != expected)
        faults.append("%d values differ, first at %s: %r instead of %r" % (
            len(differ), tuple(differ[0]), data[tuple(differ[0])], expected[tuple(differ[0])]))
    header = image.header
    if int(header["sform_code"]) != 2 or int(header["qform_code"]) != 2:
        faults.append("xform codes %d %d" % (header["sform_code"], header["qform_code"]))
    for name, affine in (("sform", image.get_sform()), ("qform", image.get_qform())):
        for (i, j, k), functional in points:
            world = affine @ numpy.array(functional + [1.0])
            want = numpy.array([128 - k, 128 - i, 128 - j, 1.0])
            if numpy.max(numpy.abs(world - want)) > 1e-3:
                faults.append("%s takes grid point %s to %s, not %s" % (name, (i, j, k), world[:3], want[:3]))
                break
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
