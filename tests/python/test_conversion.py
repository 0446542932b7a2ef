"""convert_set, save, to_nifti, label_array and chain_matrix against the command line's files."""
import json
import pathlib

import nibabel
import numpy as np
import pytest

import zandrel

from conftest import run


@pytest.fixture(scope="module")
def converted(study):
    return [zandrel.convert_set(*s.paths(), tal=s.tal) for s in study.subjects]


def test_save_writes_the_bytes_of_zandrel_convert(study, converted, tmp_path):
    for subject, voi in zip(study.subjects, converted):
        assert voi.path == subject.voi
        target = tmp_path / pathlib.Path(subject.voi).name
        voi.save(target)
        assert target.read_bytes() == pathlib.Path(subject.voi).read_bytes(), subject.voi
        assert voi.text() == target.read_bytes()


def test_records_convert_as_paths_do(study, converted):
    s = study.subjects[0]
    records = [zandrel.read(p) for p in s.paths()]
    tal = zandrel.read_tal(s.tal) if s.tal else None
    voi = zandrel.convert_set(*records, tal=tal)
    assert voi.text() == converted[0].text()
    assert voi.path == converted[0].path


def test_crlf_save_matches_convert_crlf(study, tmp_path):
    target, subjects = study.fresh_copy("crlf")
    run([study.program, "convert", str(target / "study.txt"), "--crlf"])
    s = subjects[1]
    voi = zandrel.convert_set(*s.paths(), tal=s.tal, crlf=True)
    assert voi.crlf
    out = tmp_path / "crlf.voi"
    voi.save(out)
    assert out.read_bytes() == pathlib.Path(s.voi).read_bytes()


def test_voi_file_fields_and_voxels(study, converted):
    voi = converted[0]
    read_back = zandrel.read_voi(study.subjects[0].voi)
    assert voi.NrOfVOIs == len(voi.vois) == read_back.NrOfVOIs
    assert voi.ReferenceSpace == read_back.ReferenceSpace
    assert voi.fields() == read_back.fields()
    for mine, theirs in zip(voi.vois, read_back.vois):
        assert mine.name == theirs.name and mine.colour == theirs.colour
        assert mine.voxels.dtype == np.int32 and mine.voxels.shape == (len(mine), 3)
        np.testing.assert_array_equal(mine.voxels, theirs.voxels)
    assert read_back.warnings == []
    with pytest.raises(AttributeError):
        voi.NoSuchKey


def test_voxels_are_read_only_views_that_keep_their_file_alive(study):
    voxels = zandrel.read_voi(study.subjects[0].voi).vois[0].voxels
    assert not voxels.flags.writeable
    assert voxels.base is not None  # a view of the record, not a copy
    with pytest.raises(ValueError):
        voxels[0, 0] = 1
    # The file object is gone; the view still holds it.
    assert voxels.sum() == zandrel.read_voi(study.subjects[0].voi).vois[0].voxels.sum()


def load_cli_labels(subject):
    stem = subject.voi[: -len(".voi")]
    return nibabel.load(stem + ".nii.gz")


def test_to_nifti_equals_what_nibabel_loads_from_the_command_lines_file(study, converted):
    for subject, voi in zip(study.subjects, converted):
        mine = voi.to_nifti()
        theirs = load_cli_labels(subject)
        data = np.asanyarray(theirs.dataobj)
        assert mine.get_data_dtype() == theirs.get_data_dtype()
        assert mine.dataobj.dtype == data.dtype
        np.testing.assert_array_equal(np.asanyarray(mine.dataobj), data)
        np.testing.assert_array_equal(mine.affine, theirs.affine)
        for field in ("sform_code", "qform_code", "quatern_b", "quatern_c", "quatern_d", "qoffset_x",
                      "qoffset_y", "qoffset_z", "pixdim", "srow_x", "srow_y", "srow_z", "intent_code",
                      "xyzt_units", "datatype", "bitpix", "dim", "descrip", "regular"):
            np.testing.assert_array_equal(mine.header[field], theirs.header[field], err_msg=field)
        np.testing.assert_array_equal(mine.header.get_qform(), theirs.header.get_qform())
        assert mine.header.binaryblock == theirs.header.binaryblock


def test_label_array_without_nibabel(converted, study):
    labels, affine = converted[0].label_array()
    theirs = load_cli_labels(study.subjects[0])
    assert labels.shape == (256, 256, 256) and labels.dtype == np.uint8
    np.testing.assert_array_equal(labels, np.asanyarray(theirs.dataobj))
    np.testing.assert_array_equal(affine, theirs.affine)
    assert int(labels.max()) == len(converted[0].vois)


def test_masks_equal_the_command_lines_masks(study, tmp_path):
    target, subjects = study.fresh_copy("masks")
    run([study.program, "convert", str(target / "study.txt"), "--nifti", "masks"])
    s = subjects[0]
    voi = zandrel.convert_set(*s.paths(), tal=s.tal)
    masks = voi.to_nifti("masks")
    stem = s.voi[: -len(".voi")]
    files = [pathlib.Path(f"{stem}VOI{k}.nii.gz") for k in range(1, len(voi.vois) + 1)]
    assert len(masks) == len(voi.vois) and all(f.exists() for f in files)
    for mine, path in zip(masks, files):
        theirs = nibabel.load(str(path))
        np.testing.assert_array_equal(np.asanyarray(mine.dataobj), np.asanyarray(theirs.dataobj))
        assert mine.header["descrip"] == theirs.header["descrip"]
        assert mine.header["intent_code"] == theirs.header["intent_code"]
    with pytest.raises(ValueError, match="labels"):
        voi.to_nifti("probabilities")


def test_chain_matrix_is_bit_identical_to_zandrel_chain_json(study):
    for s in study.subjects:
        printed = json.loads(run([study.program, "chain", s.fmr, s.ia, s.fa, s.acpc, "--json"]).stdout)
        # Shortest round-trip texts: each reads back to exactly the float printed.
        expected = np.array(printed["M"], dtype=np.float32)
        matrix = zandrel.chain_matrix(s.fmr, s.ia, s.fa, s.acpc)
        assert matrix.dtype == np.float32 and matrix.shape == (4, 4)
        assert matrix.tobytes() == expected.tobytes(), f"{s.fmr}:\n{matrix}\n{expected}"
        records = zandrel.chain_matrix(zandrel.read_fmr(s.fmr), zandrel.read_trf(s.ia),
                                       zandrel.read_trf(s.fa), zandrel.read_trf(s.acpc))
        assert records.tobytes() == matrix.tobytes()
