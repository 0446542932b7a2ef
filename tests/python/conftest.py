"""Generated studies for the module's tests, converted, projected and extracted by the
command line, so each test compares the module with the program's files.

The build tells where things are through the environment: ZANDREL_EXECUTABLE (the
command line), ZANDREL_MAKE_STUDY (the study generator), ZANDREL_BUILD_DIR and
ZANDREL_SOURCE_DIR; PYTHONPATH names the built package.
"""
import os
import pathlib
import shutil
import subprocess

import pytest


def tool(name):
    value = os.environ.get(name)
    if not value:
        pytest.skip(f"{name} is not set (run the tests through CTest)")
    return value


def run(args, cwd=None, check=True):
    result = subprocess.run([str(a) for a in args], cwd=cwd, capture_output=True, text=True)
    if check and result.returncode != 0:
        raise AssertionError(f"{args} exited with {result.returncode}:\n{result.stdout}\n{result.stderr}")
    return result


class Subject:
    """The files of one set of a list, as absolute paths."""

    def __init__(self, files):
        self.roi = files["roi"]
        self.fmr = files["fmr"]
        self.ia = next(f for f in files["trf"] if f.endswith("IA.trf"))
        self.fa = next(f for f in files["trf"] if f.endswith("FA.trf"))
        self.acpc = next(f for f in files["trf"] if f.endswith("ACPC.trf"))
        self.tal = files.get("tal")
        space = "TAL" if self.tal else "ACPC"
        self.voi = self.roi[: -len(".roi")] + f"_{space}_.voi"

    def paths(self):
        return (self.roi, self.fmr, self.ia, self.fa, self.acpc)

    def run_paths(self):
        return (self.voi, self.fmr, self.ia, self.fa, self.acpc)


def read_list(list_path):
    lines = pathlib.Path(list_path).read_text().splitlines()
    prefix = lines[0]
    subjects, files = [], None
    for line in lines[1:]:
        line = line.strip()
        if not line:
            continue
        path = prefix + line
        if line.endswith("roi"):
            files = {"roi": path, "trf": []}
            subjects.append(files)
        elif line.endswith("fmr"):
            files["fmr"] = path
        elif line.endswith("trf"):
            files["trf"].append(path)
        elif line.endswith("tal"):
            files["tal"] = path
    return [Subject(f) for f in subjects]


class Study:
    """A generated study converted by `zandrel convert --nifti labels`, its .voi files
    projected and extracted by `zandrel project` and `zandrel extract`."""

    STATS = "mean,median,std,min,max,eigen"

    def __init__(self, root, subjects=4, seed=7):
        self.root = pathlib.Path(root)
        self.program = tool("ZANDREL_EXECUTABLE")
        listing = run([tool("ZANDREL_MAKE_STUDY"), self.root / "study", "--small",
                       "--subjects", subjects, "--seed", seed]).stdout.strip()
        self.list_path = listing
        self.subjects = read_list(listing)
        self.convert_output = run([self.program, "convert", listing, "--nifti", "labels"]).stdout
        runs = "\n"
        for s in self.subjects:
            runs += "\n".join(s.run_paths()) + "\n" + (s.tal + "\n" if s.tal else "")
        self.run_list = self.root / "runs.txt"
        self.run_list.write_text(runs)
        run([self.program, "project", self.run_list])
        run([self.program, "extract", self.run_list, "--stat", self.STATS])

    def stem(self, subject):
        fmr = pathlib.Path(subject.fmr)
        return fmr.parent / f"{fmr.stem}_{pathlib.Path(subject.voi).stem}"

    def fresh_copy(self, name):
        """A copy of the study's input files (no outputs) under `name`, and its subjects."""
        target = self.root / name
        shutil.copytree(self.root / "study", target)
        # Outputs of the command line: .voi and NIfTI files, tables, sidecars, projected .roi files.
        for path in target.rglob("*"):
            if path.suffix in (".voi", ".gz", ".tsv", ".json") or (path.suffix == ".roi" and path.stem.endswith("_")):
                path.unlink()
        # Line 1, the prefix, names the copy's folder.
        listing = target / "study.txt"
        lines = listing.read_text().splitlines(keepends=True)
        listing.write_text(str(target) + "/\n" + "".join(lines[1:]))
        subjects = []
        for s in self.subjects:
            moved = Subject({"roi": s.roi, "fmr": s.fmr, "trf": [s.ia, s.fa, s.acpc],
                             **({"tal": s.tal} if s.tal else {})})
            for attr in ("roi", "fmr", "ia", "fa", "acpc", "tal", "voi"):
                value = getattr(moved, attr)
                if value:
                    setattr(moved, attr, str(target / pathlib.Path(value).relative_to(self.root / "study")))
            subjects.append(moved)
        return target, subjects


@pytest.fixture(scope="session")
def study(tmp_path_factory):
    return Study(tmp_path_factory.mktemp("zandrel-study"))


@pytest.fixture(scope="session")
def program():
    return tool("ZANDREL_EXECUTABLE")
