#!/usr/bin/env python3
"""The link check on small Markdown trees: what it must refuse and what it must let pass."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_links.py")


class LinkCheck(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = os.path.join(self.folder.name, "doc")
        os.makedirs(os.path.join(self.root, "docs"))
        self.write("docs/picture.png", "png")
        self.write("docs/guide.md", "# Guide\n\n## Running a list: `convert`\n\n## Running a list: `convert`\n")
        self.write("outside.md", "", root=self.folder.name)

    def tearDown(self):
        self.folder.cleanup()

    def write(self, name, text, root=None):
        path = os.path.join(root or self.root, name)
        with open(path, "w", encoding="utf-8") as stream:
            stream.write(text)
        return path

    def check(self, text):
        readme = self.write("README.md", text)
        run = subprocess.run([sys.executable, CHECKER, self.root, readme, os.path.join(self.root, "docs")],
                             capture_output=True, text=True)
        return run.returncode, run.stdout

    def test_links_that_resolve_pass(self):
        status, output = self.check(
            "# Top\n![shot](docs/picture.png) [guide](docs/guide.md#running-a-list-convert-1)\n"
            "[web](https://example.org/x) [mail](mailto:a@b.c) [self](#top) [ref]\n\n"
            "[ref]: docs/guide.md\n<img src=\"docs/picture.png\">\n")
        self.assertEqual(status, 0, output)

    def test_each_broken_kind_is_named_with_its_line(self):
        status, output = self.check(
            "# Top\n"
            "![shot](docs/missing.png)\n"
            "[up](../outside.md)\n"
            "[abs](/usr/share/doc/x.md)\n"
            "[anchor](docs/guide.md#no-such-part)\n"
            "[self](#nowhere)\n"
            "[ref]: docs/gone.md\n"
            "<a href=\"docs/gone.html\">x</a>\n")
        self.assertEqual(status, 1)
        for expected in ("README.md:2: docs/missing.png: no such file",
                         "README.md:3: ../outside.md: points outside",
                         "README.md:4: /usr/share/doc/x.md: absolute path",
                         "README.md:5: docs/guide.md#no-such-part: no heading",
                         "README.md:6: #nowhere: no heading",
                         "README.md:7: docs/gone.md: no such file",
                         "README.md:8: docs/gone.html: no such file"):
            self.assertIn(expected, output)

    def test_code_is_no_link(self):
        status, output = self.check("# Top\n```sh\n[x](missing.md)\n```\nrun `[x](missing.md)` here\n")
        self.assertEqual(status, 0, output)

    def test_a_link_escaping_through_a_symbolic_link_is_outside(self):
        os.symlink(os.path.join(self.folder.name, "outside.md"), os.path.join(self.root, "docs", "linked.md"))
        status, output = self.check("[linked](docs/linked.md)\n")
        self.assertEqual(status, 1)
        self.assertIn("points outside", output)


if __name__ == "__main__":
    unittest.main()
