"""Batches of a list file, run as ``zandrel convert`` runs them."""

from . import _zandrel
from ._checks import flag, path_text


class Event:
    """One typed event of a batch, as it happens.

    Attributes:
        kind: the event's name: "SetStarted", "FilesNotLoaded", "SetConverted",
            "SetWouldConvert", "RoiIncomplete", "VoxelsSkipped", "SetFailed",
            "OutputsFailed", "BatchStopped", "SetFinished".
        fields: its values as a dict (also readable as attributes: ``event.roi_path``).
        entries: the log entries it makes, exactly as every log shows them.
    """

    def __init__(self, kind, fields, entries):
        self.kind = kind
        self.fields = dict(fields)
        self.entries = list(entries)

    def __getattr__(self, name):
        try:
            return self.__dict__["fields"][name]
        except KeyError:
            raise AttributeError(f"{self.kind} has no field '{name}'") from None

    def __repr__(self):
        return f"Event({self.kind!r}, {self.fields!r})"


class BatchSummary:
    """What a batch did.

    Attributes:
        sets_found, converted, reported, failed: the sets per outcome (a dry run counts as
            converted what would be converted).
        entries: every log entry, in order, as ``zandrel convert`` prints them.
        summary_line: the command line's last line, "2 converted, 1 failed".
        outputs: (title, complete, message) of each further output asked for.
        ok: True when every set was converted and every output is complete.
    """

    def __init__(self, values):
        self.sets_found = values["sets_found"]
        self.converted = values["converted"]
        self.reported = values["reported"]
        self.failed = values["failed"]
        self.entries = list(values["entries"])
        self.summary_line = values["summary_line"]
        self.outputs = [tuple(o) for o in values["outputs"]]

    @property
    def ok(self):
        return (self.sets_found > 0 and self.reported + self.failed == 0
                and all(complete for _, complete, _ in self.outputs))

    def __repr__(self):
        return f"<BatchSummary {self.summary_line}>"


def convert(list_path, dry_run=False, crlf=False, nifti=None, report=None, on_event=None):
    """Run the batch of a list file as ``zandrel convert LIST`` does.

    Args:
        list_path: the list file (line 1 the path prefix, then the sets).
        dry_run: check every set and say what would be written; write nothing.
        crlf: write .voi files with CR LF line ends.
        nifti: "labels" or "masks": also write the NIfTI files beside each .voi.
        report: a folder for the picture report.
        on_event: a callable given each Event as it happens (in the calling thread). When
            it raises, it is called no more, the batch stops before its next set and the
            exception is raised from convert; so does Ctrl-C.

    Returns:
        BatchSummary: the sets per outcome and every log entry.

    Raises:
        ZandrelError: the list cannot be read, or an output is not built in.

    Example:
        >>> summary = zandrel.convert("study.txt", on_event=lambda e: print(*e.entries))
        >>> summary.converted
        2
    """
    path = path_text(list_path, "list_path")
    flag(dry_run, "dry_run")
    flag(crlf, "crlf")
    if nifti is not None and nifti not in ("labels", "masks"):
        raise ValueError(f"nifti must be 'labels', 'masks' or None, not {nifti!r}")
    report_dir = "" if report is None else path_text(report, "report")
    if on_event is not None and not callable(on_event):
        raise TypeError(f"on_event must be callable, not {type(on_event).__name__}")
    callback = None
    if on_event is not None:
        def callback(kind, fields, entries):
            on_event(Event(kind, fields, entries))
    values = _zandrel._convert(path, dry_run, crlf, nifti or "", report_dir, callback)
    return BatchSummary(values)
