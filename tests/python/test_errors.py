"""Errors as Python sees them, and threads converting at once."""
import pathlib
import shutil
import threading

import numpy as np
import pytest

import zandrel

ZERO_FA = """
FileVersion:        5

DataFormat:         Matrix

    0 0 0 0
    0 0 0 0
    0 0 0 0
    0 0 0 1

TransformationType: 2
"""


def test_zandrel_error_is_a_runtime_error():
    assert issubclass(zandrel.ZandrelError, RuntimeError)


def test_a_missing_file_names_itself(study, tmp_path):
    missing = tmp_path / "nowhere.fmr"
    with pytest.raises(zandrel.ZandrelError, match="Failed opening for reading: .*nowhere.fmr"):
        zandrel.read_fmr(missing)
    s = study.subjects[0]
    with pytest.raises(zandrel.ZandrelError) as caught:
        zandrel.convert_set(s.roi, missing, s.ia, s.fa, s.acpc)
    assert "nowhere.fmr" in str(caught.value)
    with pytest.raises(zandrel.ZandrelError, match="nowhere.fmr"):
        zandrel.extract(s.voi, missing, s.ia, s.fa, s.acpc, tal=s.tal)


def test_a_folder_is_refused_not_read(tmp_path):
    with pytest.raises(zandrel.ZandrelError):
        zandrel.read_roi(tmp_path)


def test_a_refused_chain_raises_the_verdict(study, tmp_path, program):
    s = study.subjects[0]
    fa = tmp_path / "zero_FA.trf"
    fa.write_text(ZERO_FA)
    with pytest.raises(zandrel.ZandrelError) as by_chain:
        zandrel.chain_matrix(s.fmr, s.ia, fa, s.acpc)
    from conftest import run
    printed = run([program, "chain", s.fmr, s.ia, str(fa), s.acpc], check=False)
    assert printed.returncode == 1
    assert printed.stderr.strip() == f"zandrel chain: {by_chain.value}"
    with pytest.raises(zandrel.ZandrelError) as by_conversion:
        zandrel.convert_set(s.roi, s.fmr, s.ia, fa, s.acpc, tal=s.tal)
    assert str(by_conversion.value) == str(by_chain.value)


def test_wrong_argument_types_and_values(study):
    s = study.subjects[0]
    with pytest.raises(TypeError, match="path"):
        zandrel.read_fmr(42)
    with pytest.raises(TypeError, match="fmr"):
        zandrel.convert_set(s.roi, 3.5, s.ia, s.fa, s.acpc)
    with pytest.raises(TypeError, match="FmrHeader"):
        zandrel.chain_matrix(zandrel.read_trf(s.ia), s.ia, s.fa, s.acpc)
    with pytest.raises(ValueError, match="extension|reader"):
        zandrel.read("notes.txt")
    with pytest.raises(ValueError, match="min_occupancy"):
        zandrel.project(*s.run_paths(), min_occupancy=float("nan"))
    with pytest.raises(ValueError, match="min_occupancy"):
        zandrel.project(*s.run_paths(), min_occupancy=1.5)
    with pytest.raises(ValueError, match="statistic"):
        zandrel.extract(*s.run_paths(), stats=("average",))
    with pytest.raises(TypeError):
        zandrel.convert(study.list_path, dry_run="yes")
    with pytest.raises(ValueError, match="nifti"):
        zandrel.convert(study.list_path, nifti="rgb")
    with pytest.raises(ValueError):
        zandrel.read_fmr("")


def test_four_threads_give_what_one_after_another_gives(study):
    subjects = study.subjects[:4]
    alone = [zandrel.convert_set(*s.paths(), tal=s.tal).text() for s in subjects]
    results, errors = [None] * len(subjects), []
    start = threading.Barrier(len(subjects))

    def work(n):
        try:
            start.wait()
            for _ in range(3):
                text = zandrel.convert_set(*subjects[n].paths(), tal=subjects[n].tal).text()
                assert results[n] is None or results[n] == text
                results[n] = text
        except BaseException as error:  # reported in the main thread
            errors.append(error)

    threads = [threading.Thread(target=work, args=(n,)) for n in range(len(subjects))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert errors == []
    assert results == alone


def test_threads_extract_in_parallel(study):
    subjects = study.subjects[:4]
    alone = [zandrel.extract(*s.run_paths(), tal=s.tal)["mean"] for s in subjects]
    results = [None] * len(subjects)

    def work(n):
        results[n] = zandrel.extract(*subjects[n].run_paths(), tal=subjects[n].tal)["mean"]

    threads = [threading.Thread(target=work, args=(n,)) for n in range(len(subjects))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for mine, theirs in zip(results, alone):
        np.testing.assert_array_equal(mine, theirs)
