"""Regions of interest drawn on functional MR runs, as volumes of interest.

Zandrel converts ROIs drawn slice by slice on functional runs (.roi with the run's .fmr
header, its IA, FA and ACPC transformations and, for Talairach space, its .tal landmarks)
into VOIs on the 256 x 256 x 256 anatomical grid (.voi), and places VOIs back on runs to
read their footprints and time courses. This package is the converter's library for
Python: the same numbers as the ``zandrel`` command line, as numpy arrays and nibabel
images, without writing a file unless asked.

RECORDS
    read_fmr(path), read_roi(path), read_trf(path), read_tal(path), read_voi(path)
    read(path)                    chooses the reader by the file's extension
        Keyed fields are attributes named by their keys (fmr.NrOfSlices), None when the
        file lacks the key; voxel lists are int32 (n, 3) arrays, matrices float32 (4, 4),
        both read-only views of the record (copy them to change them).

GEOMETRY
    chain_matrix(fmr, ia, fa, acpc) -> float32 (4, 4), bit for bit ``zandrel chain``

CONVERSION
    convert_set(roi, fmr, ia, fa, acpc, tal=None) -> VoiFile, in memory
    VoiFile.save(path=None, crlf=None)   the bytes ``zandrel convert`` writes
    VoiFile.to_nifti(mode="labels")      nibabel image(s), as ``--nifti`` writes them
    VoiFile.label_array()                (labels, affine) without nibabel

BATCHES
    convert(list_path, dry_run=False, crlf=False, nifti=None, report=None, on_event=None)
        -> BatchSummary (sets per outcome, every log entry); on_event gets each Event

RUNS
    project(voi, fmr, ia, fa, acpc, tal=None, min_occupancy=0.5) -> [VoiProjection]
    extract(voi, fmr, ia, fa, acpc, tal=None, stats=("mean",), min_occupancy=0.5,
            weighted=False) -> ExtractResult: result["mean"] is float64 (volumes, VOIs)

ERRORS
    ZandrelError (a RuntimeError) carries the system's message text, as the logs word it.
    Wrong argument types raise TypeError, wrong values ValueError.

THREADS
    The interpreter lock is released while the library works: threads convert, project
    and extract different sets in parallel.

EXAMPLE
    >>> import zandrel
    >>> voi = zandrel.convert_set("subject1/s1.roi", "subject1/s1_run1.fmr",
    ...                           "subject1/s1_IA.trf", "subject1/s1_FA.trf",
    ...                           "subject1/s1_ACPC.trf", tal="subject1/s1.tal")
    >>> labels, affine = voi.label_array()
    >>> voi.save()                 # subject1/s1_TAL_.voi, as `zandrel convert` writes it
"""

from . import _zandrel
from ._zandrel import ZandrelError
from ._records import (FmrHeader, RoiFile, RoiPlot, TalRecord, TrfRecord, Voi, VoiFile,
                       chain_matrix, convert_set, read, read_fmr, read_roi, read_tal,
                       read_trf, read_voi)
from . import _nifti  # noqa: F401  (adds VoiFile.to_nifti)
from ._batch import BatchSummary, Event, convert
from ._runs import ExtractResult, VoiProjection, extract, project

__version__ = _zandrel.version
#: "features: nifti report": the optional parts built into this module.
features = _zandrel.features

__all__ = [
    "ZandrelError", "read", "read_fmr", "read_roi", "read_trf", "read_tal", "read_voi",
    "chain_matrix", "convert_set", "convert", "project", "extract",
    "FmrHeader", "RoiFile", "RoiPlot", "TrfRecord", "TalRecord", "VoiFile", "Voi",
    "BatchSummary", "Event", "VoiProjection", "ExtractResult",
]
