"""VOIs on functional runs: footprints (``project``) and time courses (``extract``)."""

from collections.abc import Mapping

from . import _zandrel
from ._checks import flag, occupancy, path_text, run_path

_RUN_RECORDS = (_zandrel.FmrHeader,)
_TRF_RECORDS = (_zandrel.TrfRecord,)


def _run_arguments(voi, fmr, ia, fa, acpc, tal):
    """The VoiFile in memory (or None) and the run set's paths. A VoiFile is placed as it is
    in memory; records of the run stand for the files they were read from."""
    if isinstance(voi, _zandrel.VoiFile):
        file, voi_path = voi, voi.path
    else:
        file, voi_path = None, run_path(voi, (_zandrel.VoiFile,), "voi")
    return (file, voi_path,
            run_path(fmr, _RUN_RECORDS, "fmr"),
            run_path(ia, _TRF_RECORDS, "ia"),
            run_path(fa, _TRF_RECORDS, "fa"),
            run_path(acpc, _TRF_RECORDS, "acpc"),
            "" if tal is None else run_path(tal, (_zandrel.TalRecord,), "tal"))


class VoiProjection:
    """One VOI placed on a run.

    Attributes:
        name: the VOI's name.
        voxels: the selected functional cells, int32 (n, 3): column, row, slice, in the
            order of the .roi file ``zandrel project`` writes.
        occupancy: float64 (n,), the share of each selected cell the VOI fills.
        coverage: dict of the coverage table's figures: voi_voxels, in_run, coverage,
            touched, selected, occupancy_mean (None where the table says n/a).
    """

    def __init__(self, values):
        self.name = values["name"]
        self.voxels = values["voxels"]
        self.occupancy = values["occupancy"]
        self.coverage = dict(values["coverage"])

    def __repr__(self):
        return f"<VoiProjection '{self.name}': {len(self.occupancy)} cells selected>"


def project(voi, fmr, ia, fa, acpc, tal=None, min_occupancy=0.5):
    """Place a .voi file's VOIs on a functional run, as ``zandrel project`` does.

    Args:
        voi: the .voi file: a path, or a VoiFile (read, or converted: placed as it is in
            memory, saved or not).
        fmr, ia, fa, acpc: the run's header and transformations (paths or records).
        tal: the landmark file, for a Talairach .voi; None otherwise.
        min_occupancy: a cell is selected when the VOI fills at least this share (0 to 1).

    Returns:
        list of VoiProjection, one per VOI in file order.

    Raises:
        ZandrelError: a file cannot be read, the chain is refused, or the VOIs do not fit
            the run, with the text ``zandrel project`` logs.

    Example:
        >>> placed = zandrel.project("s1_TAL_.voi", "s1_run1.fmr", "s1_IA.trf",
        ...                          "s1_FA.trf", "s1_ACPC.trf", tal="s1.tal")
        >>> placed[0].voxels.shape[1]
        3
    """
    threshold = occupancy(min_occupancy)
    return [VoiProjection(v) for v in _zandrel._project(*_run_arguments(voi, fmr, ia, fa, acpc, tal), threshold)]


class ExtractResult(Mapping):
    """The time courses of a .voi file's VOIs on one run.

    A mapping from each statistic's name to a float64 array of shape (volumes, VOIs),
    NaN where the tables of ``zandrel extract`` say n/a (a VOI that selects no cell).

    Attributes:
        names: the column names in order (repeated VOI names get "_2", "_3", ...).
        voi_names: the VOIs' own names.
        selected: the cells each VOI selects.
    """

    def __init__(self, values):
        self._tables = dict(values["tables"])
        self.names = list(values["names"])
        self.voi_names = list(values["voi_names"])
        self.selected = list(values["selected"])

    def __getitem__(self, statistic):
        return self._tables[statistic]

    def __iter__(self):
        return iter(self._tables)

    def __len__(self):
        return len(self._tables)

    def as_dataframe(self, statistic="mean"):
        """The table of one statistic as a pandas DataFrame: a column per VOI, a row per volume.

        Raises ImportError naming the Debian package when pandas is not installed.

        Example:
            >>> result.as_dataframe("mean").columns.tolist()
            ['ROI 1', 'ROI 2']
        """
        try:
            import pandas
        except ImportError as error:
            raise ImportError("as_dataframe needs pandas (Debian package python3-pandas)") from error
        frame = pandas.DataFrame(self[statistic], columns=self.names)
        frame.index.name = "volume"
        return frame

    def __repr__(self):
        shape = next(iter(self._tables.values())).shape if self._tables else (0, 0)
        return f"<ExtractResult {list(self._tables)}: {shape[0]} volumes x {shape[1]} VOIs>"


def extract(voi, fmr, ia, fa, acpc, tal=None, stats=("mean",), min_occupancy=0.5, weighted=False):
    """The time courses of a .voi file's VOIs on a run, as ``zandrel extract`` computes them.

    Args:
        voi, fmr, ia, fa, acpc, tal: as for project; the run's time-course data is read
            slice by slice, only the slices a selection needs.
        stats: statistics, in order: "mean", "median", "std", "min", "max", "eigen".
        min_occupancy: the threshold of project (0 to 1).
        weighted: the mean weighted by each cell's occupancy.

    Returns:
        ExtractResult: ``result["mean"]`` is float64 (volumes, VOIs); ``result.names`` the
        column names; ``result.as_dataframe("mean")`` with pandas.

    Raises:
        ZandrelError: as project, and when the time-course data cannot be read.
        ValueError: an unknown statistic, a threshold outside 0 to 1.

    Example:
        >>> result = zandrel.extract("s1_TAL_.voi", "s1_run1.fmr", "s1_IA.trf",
        ...                          "s1_FA.trf", "s1_ACPC.trf", tal="s1.tal",
        ...                          stats=("mean", "max"))
        >>> result["mean"].shape
        (2, 3)
    """
    if isinstance(stats, str):
        stats = (stats,)
    try:
        names = list(stats)
    except TypeError:
        raise TypeError(f"stats must be a sequence of statistic names, not {type(stats).__name__}") from None
    known = _zandrel._statistics()
    for name in names:
        if not isinstance(name, str):
            raise TypeError(f"a statistic is named by a str, not {type(name).__name__}")
        if name not in known:
            raise ValueError(f"unknown statistic {name!r} (one of {', '.join(known)})")
    if not names:
        raise ValueError("stats names no statistic")
    names = list(dict.fromkeys(names))  # each once, in the order first named
    threshold = occupancy(min_occupancy)
    flag(weighted, "weighted")
    values = _zandrel._extract(*_run_arguments(voi, fmr, ia, fa, acpc, tal), names, threshold, weighted)
    return ExtractResult(values)
