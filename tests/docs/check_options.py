#!/usr/bin/env python3
"""The user's manual and the program's help agree on every command's options.

    check_options.py ZANDREL README.md COMMAND...

- Every option a command's help lists (`zandrel help COMMAND`) is named in that command's
  section of the manual, the section whose heading starts with "### COMMAND:".
- Every option on an example line of the manual that runs a command ("zandrel COMMAND ...",
  also after a "$ " prompt, in a code block) is one that the command's help lists, so no
  example shows an option the program does not have.
Prints every disagreement and exits 1 when there is one.
"""
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--[a-z][a-z0-9-]*")
HELP_OPTION = re.compile(r"^\s+(?:-\w,)?(--[a-z][a-z0-9-]*)")
EXAMPLE = re.compile(r"^(?:\$\s+)?zandrel\s+([a-z]+)\b(.*)$")


def help_options(program, command):
    run = subprocess.run([program, "help", command], capture_output=True, text=True, timeout=30)
    if run.returncode != 0 or not run.stdout:
        raise SystemExit(f"'{program} help {command}' failed ({run.returncode}): {run.stderr.strip()}")
    return {m.group(1) for line in run.stdout.splitlines() for m in [HELP_OPTION.match(line)] if m}


def sections(text):
    """The text under each "### NAME: ..." heading, up to the next heading of level 2 or 3."""
    found, name, lines = {}, None, []
    for line in text.splitlines():
        heading = re.match(r"^(#{2,3})\s+(.*)$", line)
        if heading:
            if name:
                found[name] = "\n".join(lines)
            command = re.match(r"^([a-z]+):", heading.group(2)) if heading.group(1) == "###" else None
            name, lines = (command.group(1) if command else None), []
        elif name:
            lines.append(line)
    if name:
        found[name] = "\n".join(lines)
    return found


def example_lines(text):
    fence = None
    for number, line in enumerate(text.splitlines(), 1):
        opening = re.match(r"^\s{0,3}(`{3,}|~{3,})", line)
        if fence is None and opening:
            fence = opening.group(1)
        elif fence is not None and line.strip().startswith(fence):
            fence = None
        elif fence is not None:
            match = EXAMPLE.match(line.strip())
            if match:
                yield number, match.group(1), match.group(2).split("#", 1)[0]


def main(arguments):
    if len(arguments) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    program, manual, commands = arguments[0], arguments[1], arguments[2:]
    with open(manual, encoding="utf-8") as stream:
        text = stream.read()
    options = {command: help_options(program, command) | {"--help"} for command in commands}
    by_section = sections(text)
    problems = []
    for command in commands:
        if command not in by_section:
            problems.append(f"{manual}: no section '### {command}: ...'")
            continue
        named = set(OPTION.findall(by_section[command]))
        for option in sorted(options[command] - named - {"--help"}):
            problems.append(f"{manual}: the section of {command} does not name its option {option}")
    for number, command, rest in example_lines(text):
        if command not in options:
            continue
        for option in OPTION.findall(rest):
            if option not in options[command]:
                problems.append(f"{manual}:{number}: zandrel {command} has no option {option}")
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"the options of {', '.join(commands)} agree with {manual}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
