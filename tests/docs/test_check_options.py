#!/usr/bin/env python3
"""The option check on a small manual and a stand-in program: what it must refuse."""
import os
import stat
import subprocess
import sys
import tempfile
import textwrap
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_options.py")
PROGRAM = textwrap.dedent("""\
    #!/bin/sh
    [ "$1" = help ] && [ "$2" = convert ] || exit 2
    cat <<'TEXT'
    Usage: zandrel convert [OPTIONS] LIST

    Options:
      --prefix DIR          put DIR in front of every name
      --dry-run             writes nothing
      -h,--help             show this text

    Line 1 of the list is a path prefix (see --prefix).
    TEXT
    """)


class OptionCheck(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.program = os.path.join(self.folder.name, "zandrel")
        with open(self.program, "w") as stream:
            stream.write(PROGRAM)
        os.chmod(self.program, stat.S_IRWXU)

    def tearDown(self):
        self.folder.cleanup()

    def check(self, manual):
        path = os.path.join(self.folder.name, "README.md")
        with open(path, "w", encoding="utf-8") as stream:
            stream.write(textwrap.dedent(manual))
        run = subprocess.run([sys.executable, CHECKER, self.program, path, "convert"], capture_output=True, text=True)
        return run.returncode, run.stdout

    def test_a_manual_that_agrees_passes(self):
        status, output = self.check("""\
            ### convert: the batch conversion

            ```sh
            zandrel convert study.txt --prefix @list --dry-run   # --nowhere in a comment is no option
            $ zandrel convert study.txt --help
            ```
            `--prefix DIR` and `--dry-run`; apt-get --no-install-recommends is not ours.
            ## Next
            """)
        self.assertEqual(status, 0, output)

    def test_an_undocumented_option_and_an_example_of_a_missing_one_are_named(self):
        status, output = self.check("""\
            ### convert: the batch conversion

            ```sh
            zandrel convert study.txt --output-dir out
            ```
            `--prefix DIR` only.
            ### inspect: elsewhere
            --dry-run named in another command's section does not count.
            """)
        self.assertEqual(status, 1)
        self.assertIn("the section of convert does not name its option --dry-run", output)
        self.assertIn("README.md:4: zandrel convert has no option --output-dir", output)

    def test_a_command_without_a_section_is_named(self):
        status, output = self.check("## Commands\n\nzandrel convert is described nowhere.\n")
        self.assertEqual(status, 1)
        self.assertIn("no section '### convert: ...'", output)


if __name__ == "__main__":
    unittest.main()
