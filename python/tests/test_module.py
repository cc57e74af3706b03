"""The module gives what the command line prints, and survives any file."""

import datetime
import os
import random
import tempfile
import unittest

import pixloupe
from support import PHOTOS, report, report_objects, test_files


class SameAsCommandLine(unittest.TestCase):
    def test_objects_of_every_test_file(self):
        files = test_files()
        expected = report_objects(*files)
        self.assertEqual(len(expected), len(files))
        for path, wanted in zip(files, expected):
            with self.subTest(path=path):
                self.assertEqual(pixloupe.analyze(path), wanted)
                self.assertEqual(pixloupe.analyze_json(path), report("--jsonl", path).stdout.decode().rstrip("\n"))
                with open(path, "rb") as file:
                    data = file.read()
                mtime = os.stat(path).st_mtime
                self.assertEqual(pixloupe.analyze_bytes(data, name=path, modified=mtime), wanted)
                as_date = datetime.datetime.fromtimestamp(int(mtime))
                self.assertEqual(pixloupe.analyze_bytes(memoryview(bytearray(data)), path, as_date), wanted)
                # Without a date the object has none; nothing else changes.
                undated = pixloupe.analyze_bytes(data, name=path)
                self.assertNotIn("modified", undated["File"])
                undated["File"]["modified"] = wanted["File"].get("modified")
                self.assertEqual(undated, wanted)

    def test_panes_of_the_photographs(self):
        for path in [p for p in test_files() if p.startswith(PHOTOS)]:
            texts = pixloupe.panes(path)
            for pane in pixloupe.PANES:
                with self.subTest(path=path, pane=pane):
                    printed = report(f"--pane={pane}", "--color=never", path).stdout
                    self.assertEqual(texts[pane].encode("utf-8", "surrogateescape"), printed)


class HostileFiles(unittest.TestCase):
    def test_cut_and_random_files_match_the_command_line(self):
        rng = random.Random(15)
        photos = [p for p in test_files() if p.startswith(PHOTOS)]
        with tempfile.TemporaryDirectory() as folder:
            made = []
            for index, path in enumerate(photos):
                with open(path, "rb") as file:
                    data = file.read()
                for cut in sorted(rng.sample(range(len(data)), 6)) + [0]:
                    made.append((os.path.join(folder, f"{index}-cut-{cut}.jpg"), data[:cut]))
                flipped = bytearray(data)
                for _ in range(20):
                    flipped[rng.randrange(len(data))] = rng.randrange(256)
                made.append((os.path.join(folder, f"{index}-flipped.jpg"), bytes(flipped)))
            made += [(os.path.join(folder, f"random-{n}.jpg"), rng.randbytes(rng.randrange(1, 5000))) for n in range(20)]
            for path, data in made:
                with open(path, "wb") as file:
                    file.write(data)
            expected = report_objects(*[path for path, _ in made])
            for (path, data), wanted in zip(made, expected):
                with self.subTest(path=path):
                    self.assertEqual(pixloupe.analyze(path), wanted)
                    self.assertEqual(pixloupe.analyze_bytes(data, path)["ok"], wanted["ok"])
                    if "random" in path or "-cut-0" in path:
                        self.assertFalse(wanted["ok"])

    def test_paths_that_are_not_files_raise(self):
        with tempfile.TemporaryDirectory() as folder:
            missing = os.path.join(folder, "missing.jpg")
            for call in (pixloupe.analyze, pixloupe.analyze_json, pixloupe.panes):
                with self.subTest(call=call.__name__):
                    with self.assertRaises(FileNotFoundError) as raised:
                        call(missing)
                    self.assertEqual(raised.exception.filename, missing)
                    self.assertRaises(IsADirectoryError, call, folder)
                    self.assertRaises(ValueError, call, "a\0b.jpg")
        self.assertRaises(TypeError, pixloupe.analyze_bytes, b"", "x", "yesterday")
        self.assertRaises(ValueError, pixloupe.analyze_bytes, b"", "x", -1e12)


if __name__ == "__main__":
    unittest.main()
