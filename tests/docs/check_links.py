#!/usr/bin/env python3
"""Every relative link of the given Markdown files must resolve to a file under ROOT.

    check_links.py ROOT FILE.md|FOLDER...    (a folder: its *.md files)

A link is an inline link or picture ([text](target), ![alt](target)), a reference
definition ([name]: target) or an HTML href/src. Links with a scheme (https:, mailto:)
are not followed. A relative target must exist and lie inside ROOT once resolved, so a
README installed with the program may only point at files installed beside it. A
fragment (#name) must name a heading of the target Markdown file, spelled as the usual
Markdown renderers spell heading anchors. Text in code blocks and code spans is no link.
Prints every broken link as FILE:LINE: TARGET: reason and exits 1 when there is one.
"""
import os
import re
import sys
import urllib.parse

FENCE = re.compile(r"^\s{0,3}(`{3,}|~{3,})")
CODE_SPAN = re.compile(r"(`+)(.+?)\1")
INLINE = re.compile(r"!?\[(?:[^\[\]]|\[[^\[\]]*\])*\]\(\s*<?([^)\s>]*)>?(?:\s+[\"'(][^)]*)?\)")
REFERENCE = re.compile(r"^\s{0,3}\[[^\]]+\]:\s*<?(\S+?)>?(?:\s.*)?$")
HTML = re.compile(r"""\b(?:href|src)\s*=\s*["']([^"']*)["']""")
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")
HEADING = re.compile(r"^\s{0,3}#{1,6}\s+(.*?)\s*#*\s*$")


def prose_lines(text):
    """(line number, line) of the text outside fenced code blocks, code spans blanked."""
    fence = None
    for number, line in enumerate(text.splitlines(), 1):
        opening = FENCE.match(line)
        if fence is None and opening:
            fence = opening.group(1)[0] * len(opening.group(1))
            continue
        if fence is not None:
            if line.strip().startswith(fence):
                fence = None
            continue
        yield number, CODE_SPAN.sub(lambda m: " " * len(m.group(0)), line)


def slug(heading):
    """The anchor a heading gets: lower case, punctuation dropped, spaces as hyphens."""
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", heading)  # a link's text only
    text = text.lower()
    text = "".join(c for c in text if c.isalnum() or c in " -_")
    return text.replace(" ", "-")


def anchors(path):
    found, seen = set(), {}
    with open(path, encoding="utf-8") as stream:
        text = stream.read()
    fence = None
    for line in text.splitlines():
        opening = FENCE.match(line)
        if fence is None and opening:
            fence = opening.group(1)[0] * len(opening.group(1))
            continue
        if fence is not None:
            if line.strip().startswith(fence):
                fence = None
            continue
        match = HEADING.match(line)
        if not match:
            continue
        base = slug(match.group(1))
        count = seen.get(base, 0)
        seen[base] = count + 1
        found.add(base if count == 0 else f"{base}-{count}")
    return found


def targets(path):
    with open(path, encoding="utf-8") as stream:
        text = stream.read()
    for number, line in prose_lines(text):
        for pattern in (INLINE, HTML):
            for match in pattern.finditer(line):
                yield number, match.group(1)
        reference = REFERENCE.match(line)
        if reference:
            yield number, reference.group(1)


def problem(root, source, target):
    """Why the link target of the file source does not resolve, or None."""
    if target == "":
        return "empty link"
    if SCHEME.match(target) or target.startswith("//"):
        return None
    where, _, fragment = target.partition("#")
    where = urllib.parse.unquote(where)
    if where.startswith("/"):
        return "absolute path: it does not resolve where the file is installed"
    resolved = os.path.realpath(os.path.join(os.path.dirname(source), where)) if where else os.path.realpath(source)
    inside = os.path.realpath(root)
    if os.path.commonpath([resolved, inside]) != inside:
        return f"points outside {root}"
    if not os.path.exists(resolved):
        return "no such file"
    if fragment and resolved.endswith(".md") and os.path.isfile(resolved):
        if urllib.parse.unquote(fragment).lower() not in anchors(resolved):
            return f"no heading with the anchor #{fragment}"
    return None


def main(arguments):
    if len(arguments) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    root, files = arguments[0], []
    for argument in arguments[1:]:
        if os.path.isdir(argument):
            files += sorted(os.path.join(argument, name) for name in os.listdir(argument) if name.endswith(".md"))
        else:
            files.append(argument)
    broken = checked = 0
    for source in files:
        for number, target in targets(source):
            checked += 1
            reason = problem(root, source, target)
            if reason:
                broken += 1
                print(f"{source}:{number}: {target}: {reason}")
    if broken:
        print(f"{broken} of {checked} links do not resolve", file=sys.stderr)
        return 1
    print(f"{checked} links in {len(files)} files resolve")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
