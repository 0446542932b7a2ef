#!/usr/bin/env python3
"""Checks that every #include of the library follows the layer order.

A folder of src/ may include only itself and the folders before it in LAYERS; plugin and
cli and python are siblings at the top. Headers under "zandrel/" (the generated build header
and the public API) may be included by the shells only, except the generated build header,
which every layer may read. The Python module sits on the public API alone: it includes no
folder of src/ directly. Prints every violation and exits 1 when there is one.
"""
import pathlib
import re
import sys

LAYERS = ["geometry", "io", "formats", "chain", "voi", "runs", "batch", "outputs", "plugin", "cli", "python"]
SHELLS = ("plugin", "cli", "python")
RANK = {name: n for n, name in enumerate(LAYERS)}
for shell in SHELLS:
    RANK[shell] = RANK["plugin"]  # siblings: none includes another
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def main(root: pathlib.Path) -> int:
    problems = []
    for path in sorted((root / "src").rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        layer = path.relative_to(root / "src").parts[0]
        if layer not in RANK:
            problems.append(f"{path}: folder '{layer}' has no place in the layer order")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = match.group(1).split("/")[0]
            if "/" not in match.group(1):
                continue  # a header beside the file
            if target == "zandrel":
                if match.group(1) != "zandrel/build_features.h" and layer not in SHELLS:
                    problems.append(f"{path}:{number}: only the shells include the public API: {match.group(1)}")
                continue
            if target not in RANK:
                continue  # a test or third-party header
            if layer == "python":
                problems.append(f"{path}:{number}: the Python module includes {match.group(1)}, not the public API")
                continue
            if RANK[target] > RANK[layer] or (RANK[target] == RANK[layer] and target != layer):
                problems.append(f"{path}:{number}: {layer} includes {match.group(1)}, which lies above it")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")))
