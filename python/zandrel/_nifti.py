"""VoiFile.to_nifti: the label image or the masks as nibabel images, whose header is the one
nibabel loads from the command line's NIfTI files, byte for byte; nibabel is imported only
here, when called."""

import numpy as np

from ._zandrel import VoiFile

_INTENT_LABEL = 1002
_UNITS_MM = 2


def _nibabel():
    try:
        import nibabel
    except ImportError as error:
        raise ImportError(
            "VoiFile.to_nifti needs nibabel (Debian package python3-nibabel); "
            "label_array() gives the labels and the affine without it") from error
    return nibabel


def _image(nibabel, data, geometry, label):
    image = nibabel.Nifti1Image(data, geometry["affine"])
    # The image's own header, filled as the NIfTI C library fills the files' headers.
    header = image.header
    header.set_data_dtype(data.dtype)
    header["regular"] = b"r"
    header["dim"] = [3, *data.shape, 0, 0, 0, 0]
    size = [float(s) for s in geometry["voxel_size"]]
    header["pixdim"] = [geometry["qfac"], *size, 0.0, 0.0, 0.0, 0.0]
    header.set_xyzt_units(_UNITS_MM, 0)
    # No scaling (the stored integers are the values): nibabel shows the files' zero
    # slope as NaN, which is what the image's header holds already.
    if label:
        header["intent_code"] = _INTENT_LABEL
    code = geometry["xform_code"]
    # Exactly the numbers the NIfTI files hold: nothing recomputed from the affine.
    header["qform_code"] = code
    header["quatern_b"], header["quatern_c"], header["quatern_d"] = geometry["quaternion"]
    header["qoffset_x"], header["qoffset_y"], header["qoffset_z"] = geometry["qoffset"]
    affine = geometry["affine"]
    header["sform_code"] = code
    header["srow_x"], header["srow_y"], header["srow_z"] = affine[0], affine[1], affine[2]
    header["descrip"] = b"VOI labels" if label else b"VOI mask"
    return image


def _to_nifti(self, mode="labels"):
    """The VOIs as nibabel images, in memory: what ``--nifti`` writes, without a file.

    Args:
        mode: "labels", one label image (0 outside, k inside VOI k, uint8 up to 255 VOIs,
            else uint16); or "masks", one uint8 mask (0 or 1) per VOI, in file order.

    Returns:
        nibabel.Nifti1Image for "labels", a list of them for "masks": data, affine, sform
        and qform (codes 3 Talairach, 4 MNI, 2 ACPC and native), units, intent and
        description as in the command line's .nii.gz files.

    Raises:
        ImportError: nibabel is not installed (Debian package python3-nibabel).
        ValueError: another mode.
        ZandrelError: the file's ReferenceSpace or a voxel cannot be placed on a grid.

    Example:
        >>> image = voi.to_nifti()
        >>> image.header.get_intent()[0]
        'label'
    """
    if mode not in ("labels", "masks"):
        raise ValueError(f"to_nifti: mode must be 'labels' or 'masks', not {mode!r}")
    nibabel = _nibabel()
    geometry = self._geometry()
    if mode == "labels":
        labels, _ = self._label_array()
        return _image(nibabel, labels, geometry, True)
    return [_image(nibabel, mask, geometry, False) for mask in self._mask_arrays()]


VoiFile.to_nifti = _to_nifti
