"""The scan writes what pixloupe-report -r --jsonl writes, over the same roots."""

import collections
import os
import tempfile
import unittest

from support import CORPUS, PHOTOS, SOURCE, report, run_scan


def lines_of(path):
    with open(path, "rb") as file:
        return file.read().splitlines()


class SameSetAsCommandLine(unittest.TestCase):
    def assert_same_as_report(self, roots, *options):
        with tempfile.TemporaryDirectory() as folder:
            out = os.path.join(folder, "metadata.jsonl")
            status, errors = run_scan(*roots, "--out", out, *options)
            printed = report("-r", "--jsonl", "-j", "2", *roots)
            self.assertEqual(status, printed.returncode, errors)
            scanned = lines_of(out)
            self.assertEqual(collections.Counter(scanned), collections.Counter(printed.stdout.splitlines()))
            return scanned

    def test_readme_command_on_the_sample_folder(self):
        self.assertEqual(len(self.assert_same_as_report([os.path.join(SOURCE, "samples")])), 1)

    def test_walk_rules_photographs_and_corpus(self):
        with tempfile.TemporaryDirectory() as tree:
            photo = os.path.join(PHOTOS, "mm-photoshop-iptc.jpg")
            os.makedirs(os.path.join(tree, "b", "deeper"))
            os.makedirs(os.path.join(tree, "A"))
            for name in ("B.JPG", "a.jpeg", "c.Jpe", "d.JFIF", "e.png", "f.jpg.txt", ".jpg", "noending",
                         "b/x.jpg", "b/deeper/y.jpg", "A/z.jpg"):
                os.link(photo, os.path.join(tree, name))
            os.symlink(os.path.join(tree, "b"), os.path.join(tree, "link-to-folder"))
            os.symlink(photo, os.path.join(tree, "link-to-file.jpg"))
            os.symlink(os.path.join(tree, "gone"), os.path.join(tree, "dangling.jpg"))
            roots = [tree, PHOTOS] + ([CORPUS] if os.path.isdir(CORPUS) else [])
            scanned = self.assert_same_as_report(roots, "--workers", "2", "--partition-size", "7")
            self.assertEqual(sum(os.path.join(tree, "") in line.decode() for line in scanned), 9)

    def test_bad_usage_exits_2(self):
        for arguments in ([], ["samples", "--out", "x", "--workers", "0"], ["-", "--out", "x"],
                          ["samples", "--out", os.path.join(SOURCE, "no-such-folder", "x.jsonl")]):
            self.assertEqual(run_scan(*arguments, timeout=60)[0], 2, arguments)


if __name__ == "__main__":
    unittest.main()
