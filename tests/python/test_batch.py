"""convert(): the batch as `zandrel convert` runs it, its events and its summary."""
import pathlib

import pytest

import zandrel

from conftest import run


def test_convert_writes_and_logs_as_the_command_line(study):
    target, subjects = study.fresh_copy("batch")
    events = []
    summary = zandrel.convert(str(target / "study.txt"), on_event=events.append)
    assert summary.sets_found == len(subjects) == summary.converted
    assert summary.reported == summary.failed == 0 and summary.ok
    # The log entries are the lines the command line prints for the same study.
    cli = run([study.program, "convert", str(target / "study.txt")]).stdout.splitlines()
    assert summary.entries == cli
    for s in subjects:
        original = next(o for o in study.subjects if pathlib.Path(o.voi).name == pathlib.Path(s.voi).name)
        assert pathlib.Path(s.voi).read_bytes() == pathlib.Path(original.voi).read_bytes()
    kinds = [e.kind for e in events]
    assert kinds.count("SetStarted") == kinds.count("SetFinished") == len(subjects)
    converted = [e for e in events if e.kind == "SetConverted"]
    assert [e.output_path for e in converted] == [s.voi for s in subjects]
    assert all(e.entries for e in converted)
    assert [e.outcome for e in events if e.kind == "SetFinished"] == ["converted"] * len(subjects)


def test_dry_run_writes_nothing_and_a_failed_set_is_counted(study):
    target, subjects = study.fresh_copy("dry")
    pathlib.Path(subjects[1].fa).unlink()
    summary = zandrel.convert(target / "study.txt", dry_run=True)
    assert summary.reported == 1 and summary.converted == len(subjects) - 1
    assert not summary.ok
    assert not any(pathlib.Path(s.voi).exists() for s in subjects)
    assert any("could not be loaded" in entry for entry in summary.entries)


def test_an_exception_in_on_event_stops_the_batch_and_is_raised(study):
    target, subjects = study.fresh_copy("stopped")

    class Enough(Exception):
        pass

    seen = []

    def on_event(event):
        seen.append(event.kind)
        if event.kind == "SetConverted":
            raise Enough("stop here")

    with pytest.raises(Enough):
        zandrel.convert(target / "study.txt", on_event=on_event)
    assert seen.count("SetConverted") == 1  # never called again
    written = [s for s in subjects if pathlib.Path(s.voi).exists()]
    assert len(written) == 1  # the batch did not start another set


def test_an_unreadable_list_raises(tmp_path):
    with pytest.raises(zandrel.ZandrelError, match="Can not read this text file"):
        zandrel.convert(tmp_path / "missing.txt")
