"""Records, the chain matrix and the conversion of one set in memory."""

import os

from . import _zandrel
from ._checks import flag, path_text, record_or_path

FmrHeader = _zandrel.FmrHeader
RoiFile = _zandrel.RoiFile
RoiPlot = _zandrel.RoiPlot
TrfRecord = _zandrel.TrfRecord
TalRecord = _zandrel.TalRecord
VoiFile = _zandrel.VoiFile
Voi = _zandrel.Voi


def read_fmr(path):
    """Read a functional project header (.fmr).

    Args:
        path: the .fmr file (str or os.PathLike).

    Returns:
        FmrHeader: keyed fields as attributes named by their keys (``fmr.NrOfSlices``),
        None for a key the file lacks; ``path``, ``time_course_file``,
        ``slice_timing_table`` (float32); ``keys()`` and ``fields()`` list them all.
        The time-course samples are not read.

    Raises:
        ZandrelError: the file cannot be read, with the system's text
        ("Failed opening for reading: ...").

    Example:
        >>> fmr = zandrel.read_fmr("subject1/s1_run1.fmr")
        >>> fmr.NrOfSlices, fmr.ResolutionX
        (30, 64)
    """
    return _zandrel._read_fmr(path_text(path, "path"))


def read_roi(path):
    """Read a ROI file (.roi).

    Args:
        path: the .roi file.

    Returns:
        RoiFile: header fields as attributes (``roi.NrOfTCPlots``), ``plots`` (each with
        its keyed fields and ``voxels``, int32 (n, 3): column, row, slice, read-only) and
        ``shortfall``, the log's text when the file holds less than it announces.

    Example:
        >>> roi = zandrel.read_roi("subject1/s1.roi")
        >>> roi.plots[0].voxels.shape
        (412, 3)
    """
    return _zandrel._read_roi(path_text(path, "path"))


def read_trf(path):
    """Read a transformation file (.trf: IA, FA or ACPC).

    Returns:
        TrfRecord: keyed fields as attributes (``trf.TransformationType``), ``matrix`` and
        ``extra_matrix`` as float32 (4, 4) (the identity when the file has none) and
        ``refusal``, the text a conversion refuses the file with (empty when it does not).

    Example:
        >>> zandrel.read_trf("subject1/s1_IA.trf").matrix.dtype
        dtype('float32')
    """
    return _zandrel._read_trf(path_text(path, "path"))


def read_tal(path):
    """Read a landmark file (.tal).

    Returns:
        TalRecord: keyed fields as attributes (``tal.Project``), ``landmarks`` (a dict
        AC, PC, AP, PP, SP, IP, RP, LP -> int32 (3,), None when missing) and ``refusal``.

    Example:
        >>> zandrel.read_tal("subject1/s1.tal").landmarks["AC"]
        array([128, 128, 128], dtype=int32)
    """
    return _zandrel._read_tal(path_text(path, "path"))


def read_voi(path):
    """Read a .voi file of any producer.

    Returns:
        VoiFile: header fields as attributes (``voi.ReferenceSpace``), ``vois`` (each with
        ``name``, ``colour`` and ``voxels`` int32 (n, 3)) and ``warnings``, one text per
        defect the reader found (a list cut short, a count that differs).

    Example:
        >>> voi = zandrel.read_voi("subject1/s1_TAL_.voi")
        >>> [v.name for v in voi.vois]
        ['ROI 1', 'ROI 2', 'ROI 3']
    """
    return _zandrel._read_voi(path_text(path, "path"))


_READERS = {".fmr": read_fmr, ".roi": read_roi, ".trf": read_trf, ".tal": read_tal, ".voi": read_voi}


def read(path):
    """Read any record, choosing the reader by the file's extension (in any letter case).

    .fmr, .roi, .trf, .tal and .voi; ValueError for any other extension.

    Example:
        >>> type(zandrel.read("subject1/s1_ACPC.trf")).__name__
        'TrfRecord'
    """
    text = path_text(path, "path")
    extension = os.path.splitext(text)[1].lower()
    reader = _READERS.get(extension)
    if reader is None:
        raise ValueError(f"read: no reader for '{extension or text}' (one of {', '.join(_READERS)})")
    return reader(text)


def chain_matrix(fmr, ia, fa, acpc):
    """The chain matrix of a set: anatomical grid (centred) to functional grid (centred).

    Args:
        fmr, ia, fa, acpc: paths, or the records read_fmr and read_trf return.

    Returns:
        numpy.ndarray: float32 (4, 4), bit for bit the matrix ``zandrel chain`` prints.

    Raises:
        ZandrelError: a file cannot be read, a transformation's matrix is incomplete, or
        the conversion refuses the chain (its reason as the text).

    Example:
        >>> m = zandrel.chain_matrix("s1_run1.fmr", "s1_IA.trf", "s1_FA.trf", "s1_ACPC.trf")
    """
    return _zandrel._chain_matrix(
        record_or_path(fmr, FmrHeader, read_fmr, "fmr"),
        record_or_path(ia, TrfRecord, read_trf, "ia"),
        record_or_path(fa, TrfRecord, read_trf, "fa"),
        record_or_path(acpc, TrfRecord, read_trf, "acpc"))


def convert_set(roi, fmr, ia, fa, acpc, tal=None, crlf=False):
    """Convert one set in memory; nothing is written.

    Args:
        roi, fmr, ia, fa, acpc: paths, or records (read_roi, read_fmr, read_trf).
        tal: the landmark file or TalRecord; None converts to ACPC space.
        crlf: the VoiFile's lines end in CR LF when saved.

    Returns:
        VoiFile: the VOIs (``vois[k].name``, ``.colour``, ``.voxels`` int32 (n, 3)), the
        header fields as attributes, ``path`` (where ``zandrel convert`` writes it),
        ``warnings`` (the entries a batch logs: a ROI file cut short, voxels skipped).
        ``save()`` writes the bytes ``zandrel convert`` writes.

    Raises:
        ZandrelError: with the text a batch logs for the set.

    Example:
        >>> voi = zandrel.convert_set("s1.roi", "s1_run1.fmr", "s1_IA.trf", "s1_FA.trf",
        ...                           "s1_ACPC.trf", tal="s1.tal")
        >>> voi.save("s1_TAL_.voi")
    """
    flag(crlf, "crlf")
    arguments = (roi, fmr, ia, fa, acpc)
    if all(isinstance(a, (str, os.PathLike)) for a in arguments) and (
            tal is None or isinstance(tal, (str, os.PathLike))):
        names = ("roi", "fmr", "ia", "fa", "acpc")
        paths = [path_text(a, n) for a, n in zip(arguments, names)]
        tal_path = "" if tal is None else path_text(tal, "tal")
        return _zandrel._convert_paths(*paths, tal_path, crlf)
    return _zandrel._convert_records(
        record_or_path(roi, RoiFile, read_roi, "roi"),
        record_or_path(fmr, FmrHeader, read_fmr, "fmr"),
        record_or_path(ia, TrfRecord, read_trf, "ia"),
        record_or_path(fa, TrfRecord, read_trf, "fa"),
        record_or_path(acpc, TrfRecord, read_trf, "acpc"),
        None if tal is None else record_or_path(tal, TalRecord, read_tal, "tal"),
        crlf)


def _save(self, path=None, crlf=None):
    """Write the file through the safe write (a temporary file renamed when complete).

    Args:
        path: where to write; None: ``self.path``.
        crlf: CR LF line ends; None keeps the file's own (False for a conversion).

    Raises:
        ZandrelError: "Cannot Create file: ..." when the file cannot be written; the
        previous file, if any, stays as it was.

    Example:
        >>> voi.save("out/s1_TAL_.voi", crlf=True)
    """
    target = self.path if path is None else path_text(path, "path")
    if not target:
        raise ValueError("save: the file has no path; give one")
    line_ends = self.crlf if crlf is None else flag(crlf, "crlf")
    self._save(target, line_ends)


def _label_array(self):
    """The label image of the VOIs on their grid, without nibabel.

    Returns:
        (numpy.ndarray, numpy.ndarray): the labels, shape (256, 256, 256) on the usual grid,
        0 outside every VOI and k inside VOI k (from 1; a cell in several VOIs keeps the
        lowest k), uint8 for up to 255 VOIs, uint16 beyond; and the grid-to-world affine,
        float64 (4, 4), millimetres right, anterior, superior.

    Example:
        >>> labels, affine = voi.label_array()
        >>> int(labels.max()) == len(voi.vois)
        True
    """
    return self._label_array()


VoiFile.save = _save
VoiFile.label_array = _label_array
VoiFile.__repr__ = lambda self: (
    f"<VoiFile {self.path or '(unnamed)'}: {len(self)} VOIs, {self.ReferenceSpace}>")
