"""The readers: keyed fields as attributes, None when absent, arrays of the right kind."""
import numpy as np
import pytest

import zandrel


def test_fmr_fields(study):
    s = study.subjects[0]
    fmr = zandrel.read_fmr(s.fmr)
    assert isinstance(fmr, zandrel.FmrHeader) and fmr.path == s.fmr
    assert isinstance(fmr.NrOfSlices, int) and fmr.NrOfSlices > 0
    assert isinstance(fmr.InplaneResolutionX, float)
    assert fmr.time_course_file.endswith(".stc")
    assert "NrOfSlices" in fmr.keys()
    fields = fmr.fields()
    assert fields["NrOfSlices"] == fmr.NrOfSlices
    with pytest.raises(AttributeError):
        fmr.NoSuchKey


def test_a_key_the_file_lacks_is_none(tmp_path):
    trf = tmp_path / "short.trf"
    trf.write_text("FileVersion: 5\nTransformationType: 2\n")
    record = zandrel.read_trf(trf)
    assert record.FileVersion == 5 and record.TransformationType == 2
    assert record.DataFormat is None and record.SourceFile is None
    assert record.fields()["DataFormat"] is None
    np.testing.assert_array_equal(record.matrix, np.eye(4, dtype=np.float32))


def test_roi_and_voi_voxels_are_int32_n_by_3(study):
    s = study.subjects[0]
    roi = zandrel.read_roi(s.roi)
    assert roi.NrOfTCPlots == len(roi.plots)
    for plot in roi.plots:
        assert plot.voxels.dtype == np.int32 and plot.voxels.shape == (plot.NrOfVoxels, 3)
    assert roi.shortfall == ""


def test_trf_matrices_and_tal_landmarks(study):
    s = next(x for x in study.subjects if x.tal)
    trf = zandrel.read_trf(s.ia)
    assert trf.matrix.dtype == np.float32 and trf.matrix.shape == (4, 4)
    assert trf.refusal == ""
    tal = zandrel.read_tal(s.tal)
    assert set(tal.landmarks) == {"AC", "PC", "AP", "PP", "SP", "IP", "RP", "LP"}
    assert tal.landmarks["AC"].dtype == np.int32 and tal.landmarks["AC"].shape == (3,)


def test_read_chooses_by_extension(study):
    s = study.subjects[0]
    kinds = [type(zandrel.read(p)).__name__ for p in (s.roi, s.fmr, s.ia, s.voi)]
    assert kinds == ["RoiFile", "FmrHeader", "TrfRecord", "VoiFile"]


def test_voi_reader_warnings_are_texts(tmp_path, study):
    text = open(study.subjects[0].voi, "rb").read()
    cut = tmp_path / "cut.voi"
    cut.write_bytes(text[: len(text) // 2])
    voi = zandrel.read_voi(cut)
    assert voi.warnings and all(isinstance(w, str) for w in voi.warnings)
