"""The module installed by `cmake --install` into a fresh prefix imports, documents itself
and converts, with nothing of the build tree on its path."""
import os
import pathlib
import subprocess
import sys

import pytest

from conftest import tool

CHECK = """
import io, contextlib, sys, zandrel
assert zandrel.__file__.startswith(sys.argv[1]), zandrel.__file__
text = io.StringIO()
with contextlib.redirect_stdout(text):
    help(zandrel)
assert "convert_set" in text.getvalue() and "RECORDS" in text.getvalue()
voi = zandrel.convert_set(*sys.argv[2:7], tal=sys.argv[7] or None)
sys.stdout.buffer.write(voi.text())
"""


def test_prefix_install_imports_and_converts(study, tmp_path):
    cmake, build = tool("ZANDREL_CMAKE"), tool("ZANDREL_BUILD_DIR")
    site = tool("ZANDREL_PYTHON_INSTALL_DIR")
    prefix = tmp_path / "prefix"
    subprocess.run([cmake, "--install", build, "--prefix", str(prefix), "--component", "python"],
                   check=True, capture_output=True)
    installed = sorted(p.relative_to(prefix).as_posix() for p in prefix.rglob("*") if p.is_file())
    assert all(p.startswith(site + "/zandrel/") for p in installed), installed
    assert any(p.endswith("__init__.py") for p in installed)
    assert any(".so" in p for p in installed)
    s = study.subjects[0]
    environment = {"PATH": "/usr/bin:/bin", "PYTHONPATH": str(prefix / site), "PYTHONNOUSERSITE": "1"}
    result = subprocess.run([sys.executable, "-c", CHECK, str(prefix), *s.paths(), s.tal or ""],
                            cwd="/", env=environment, capture_output=True)
    assert result.returncode == 0, result.stderr.decode()
    assert result.stdout == pathlib.Path(s.voi).read_bytes()
