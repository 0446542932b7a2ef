"""Argument checks shared by the package's functions: clear TypeError and ValueError texts."""

import math
import os


def path_text(value, what):
    """The text of a path argument (str or os.PathLike); TypeError for anything else."""
    if isinstance(value, (str, os.PathLike)):
        text = os.fspath(value)
        if isinstance(text, bytes):
            text = os.fsdecode(text)
        if not text:
            raise ValueError(f"{what}: an empty path names no file")
        if "\0" in text:
            raise ValueError(f"{what}: a path cannot hold a NUL character")
        return text
    raise TypeError(f"{what} must be a path (str or os.PathLike), not {type(value).__name__}")


def record_or_path(value, record_type, reader, what):
    """`value` as a record: a record of `record_type` as it is, a path read by `reader`."""
    if isinstance(value, record_type):
        return value
    if isinstance(value, (str, os.PathLike)):
        return reader(value)
    raise TypeError(
        f"{what} must be a path or a {record_type.__name__}, not {type(value).__name__}")


def run_path(value, record_types, what):
    """The path of a run's file: a path as it is, or the path a record was read from."""
    if record_types and isinstance(value, record_types):
        path = value.path
        if not path:
            raise ValueError(f"{what}: the record has no file; save it first")
        return path
    if isinstance(value, (str, os.PathLike)):
        return path_text(value, what)
    names = " or a ".join(["path", *(t.__name__ for t in record_types)])
    raise TypeError(f"{what} must be a {names}, not {type(value).__name__}")


def occupancy(value):
    """A threshold from 0 to 1 as float; NaN and numbers outside are refused."""
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise TypeError(f"min_occupancy must be a number, not {type(value).__name__}")
    value = float(value)
    if math.isnan(value) or not 0.0 <= value <= 1.0:
        raise ValueError(f"min_occupancy must lie from 0 to 1, not {value}")
    return value


def flag(value, what):
    """A bool argument; TypeError for anything else (a truthy text is no answer)."""
    if not isinstance(value, bool):
        raise TypeError(f"{what} must be True or False, not {type(value).__name__}")
    return value
