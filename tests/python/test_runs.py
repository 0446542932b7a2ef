"""project and extract against the .roi, coverage and time-series files of the command line."""
import math
import pathlib

import numpy as np
import pytest

import zandrel


def roi_plots(path):
    """The voxel lists of a .roi file, plot by plot."""
    plots, words = [], pathlib.Path(path).read_text().split()
    n = 0
    while n < len(words):
        if words[n] == "NrOfVoxels:":
            count = int(words[n + 1])
            values = [int(w) for w in words[n + 2: n + 2 + 3 * count]]
            plots.append(np.array(values, dtype=np.int32).reshape(count, 3))
            n += 2 + 3 * count
        else:
            n += 1
    return plots


def table(path):
    lines = pathlib.Path(path).read_text().splitlines()
    return lines[0].split("\t"), [line.split("\t") for line in lines[1:]]


def number(text):
    return math.nan if text == "n/a" else float(text)


def same_number(mine, text):
    """Equal as the table writes it: shortest round-trip text, n/a for none and NaN."""
    if text == "n/a":
        return mine is None or (isinstance(mine, float) and math.isnan(mine))
    return mine is not None and float(text) == mine


def test_project_equals_the_roi_and_coverage_files(study):
    for s in study.subjects:
        placed = zandrel.project(*s.run_paths(), tal=s.tal)
        stem = study.stem(s)
        plots = roi_plots(f"{stem}.roi")
        assert len(placed) == len(plots)
        for voi, plot in zip(placed, plots):
            assert voi.voxels.dtype == np.int32 and voi.occupancy.dtype == np.float64
            np.testing.assert_array_equal(voi.voxels, plot)
            assert ((voi.occupancy >= 0.5) & (voi.occupancy <= 1.0)).all()
        header, rows = table(f"{stem}_coverage.tsv")
        assert header == ["name", "voi_voxels", "in_run", "coverage", "touched", "selected", "occupancy_mean"]
        for voi, row in zip(placed, rows):
            assert row[0] == voi.name
            figures = voi.coverage
            for key, text in zip(header[1:], row[1:]):
                assert same_number(figures[key], text), (stem, voi.name, key, figures[key], text)
            assert figures["selected"] == len(voi.occupancy)


def test_project_threshold_changes_the_selection(study):
    s = study.subjects[0]
    everything = zandrel.project(*s.run_paths(), tal=s.tal, min_occupancy=0.0)
    full = zandrel.project(*s.run_paths(), tal=s.tal, min_occupancy=1.0)
    for loose, strict in zip(everything, full):
        assert len(loose.occupancy) >= len(strict.occupancy)
        assert (strict.occupancy == 1.0).all()


def test_extract_equals_the_time_series_tables(study):
    stats = study.STATS.split(",")
    for s in study.subjects:
        result = zandrel.extract(*s.run_paths(), tal=s.tal, stats=stats)
        assert list(result) == stats
        stem = study.stem(s)
        for statistic in stats:
            header, rows = table(f"{stem}_stat-{statistic}_timeseries.tsv")
            assert result.names == header
            values = result[statistic]
            assert values.dtype == np.float64 and values.shape == (len(rows), len(header))
            expected = np.array([[number(t) for t in row] for row in rows], dtype=np.float64)
            # Bit for bit: the tables hold shortest round-trip texts of these doubles.
            np.testing.assert_array_equal(values, expected, err_msg=f"{stem} {statistic}")


def test_extract_weighted_on_another_run(study):
    # The first subject's VOIs on the third subject's run (both Talairach) fill some cells
    # only partly: at a threshold of 0 the weighted mean differs from the plain one.
    voi, run = study.subjects[0], study.subjects[2]
    paths = (voi.voi, run.fmr, run.ia, run.fa, run.acpc)
    plain = zandrel.extract(*paths, tal=run.tal, min_occupancy=0.0)
    weighted = zandrel.extract(*paths, tal=run.tal, min_occupancy=0.0, weighted=True)
    assert plain["mean"].shape == weighted["mean"].shape
    assert not np.array_equal(plain["mean"], weighted["mean"])
    placed = zandrel.project(*paths, tal=run.tal, min_occupancy=0.0)
    assert any((p.occupancy < 1.0).any() for p in placed)


def test_extract_result_as_dataframe(study):
    s = study.subjects[0]
    result = zandrel.extract(*s.run_paths(), tal=s.tal, stats="max")
    frame = result.as_dataframe("max")
    assert list(frame.columns) == result.names
    np.testing.assert_array_equal(frame.to_numpy(), result["max"])
    with pytest.raises(KeyError):
        result["mean"]


def test_records_name_their_files(study):
    s = study.subjects[0]
    voi = zandrel.read_voi(s.voi)
    by_path = zandrel.project(*s.run_paths(), tal=s.tal)
    by_record = zandrel.project(voi, zandrel.read_fmr(s.fmr), s.ia, s.fa, s.acpc,
                                tal=zandrel.read_tal(s.tal) if s.tal else None)
    for a, b in zip(by_path, by_record):
        np.testing.assert_array_equal(a.voxels, b.voxels)


def test_a_converted_file_is_placed_as_it_is_in_memory(study, tmp_path):
    # The conversion names the file where `zandrel convert` wrote it; a different file lies
    # there now. What is placed must be the conversion, not that file.
    target, subjects = study.fresh_copy("in-memory")
    s, other = subjects[0], subjects[2]
    voi = zandrel.convert_set(*s.paths(), tal=s.tal)
    pathlib.Path(voi.path).write_bytes(zandrel.convert_set(*other.paths(), tal=other.tal).text())
    run = (s.fmr, s.ia, s.fa, s.acpc)
    in_memory = zandrel.project(voi, *run, tal=s.tal)
    expected = zandrel.project(*study.subjects[0].run_paths(), tal=study.subjects[0].tal)
    assert [p.name for p in in_memory] == [p.name for p in expected]
    for mine, theirs in zip(in_memory, expected):
        np.testing.assert_array_equal(mine.voxels, theirs.voxels)
    series = zandrel.extract(voi, *run, tal=s.tal)
    original = zandrel.extract(*study.subjects[0].run_paths(), tal=study.subjects[0].tal)
    np.testing.assert_array_equal(series["mean"], original["mean"])
