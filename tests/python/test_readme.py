"""The README's Python example runs as written, in a folder holding the bundled example study."""
import os
import pathlib
import re
import shutil
import subprocess
import sys

from conftest import tool


def readme_example(readme):
    text = readme.read_text(encoding="utf-8")
    section = text.split("\n## Python\n", 1)[1]
    section = re.split(r"\n## ", section, maxsplit=1)[0]
    return re.search(r"```python\n(.*?)```", section, re.S).group(1)


def test_readme_python_example_runs_as_written(tmp_path):
    source = pathlib.Path(tool("ZANDREL_SOURCE_DIR"))
    example = readme_example(source / "README.md")
    shutil.copytree(source / "examples" / "study", tmp_path / "study")
    result = subprocess.run([sys.executable, "-c", example], cwd=tmp_path / "study",
                            capture_output=True, text=True, env=dict(os.environ))
    assert result.returncode == 0, f"{example}\n{result.stdout}\n{result.stderr}"
