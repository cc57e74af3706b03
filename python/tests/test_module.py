"""The module gives what the command line prints, and survives any file."""

import datetime
import os
import random
import subprocess
import sys
import tempfile
import unittest

import pixloupe
from support import PHOTOS, files_under, report, report_objects, test_files


class SameAsCommandLine(unittest.TestCase):
    def test_objects_of_every_test_file(self):
        files = test_files()
        for path, wanted in zip(files, report_objects(*files), strict=True):
            with self.subTest(path=path), open(path, "rb") as file:
                data, mtime = file.read(), os.stat(path).st_mtime
                self.assertEqual(pixloupe.analyze(path), wanted)
                self.assertEqual(pixloupe.analyze_json(path) + "\n", report("--jsonl", path).stdout.decode())
                self.assertEqual(pixloupe.analyze_bytes(data, name=path, modified=mtime), wanted)
                as_date = datetime.datetime.fromtimestamp(int(mtime))
                self.assertEqual(pixloupe.analyze_bytes(memoryview(bytearray(data)), path, as_date), wanted)
                undated = pixloupe.analyze_bytes(data, name=path)  # no date made up, nothing else changed
                self.assertNotIn("modified", undated["File"])
                self.assertEqual(dict(undated, File=wanted["File"]), wanted)

    def test_panes_of_the_photographs(self):
        for path in files_under(PHOTOS):
            texts = pixloupe.panes(path)
            for pane in pixloupe.PANES:
                with self.subTest(path=path, pane=pane):
                    printed = report(f"--pane={pane}", "--color=never", path).stdout
                    self.assertEqual(texts[pane].encode("utf-8", "surrogateescape"), printed)


class DataFrames(unittest.TestCase):
    def test_dates_taken_parse_as_datetimes(self):
        import pandas as pd
        summaries = [data.get("Summary", {}) for data in report_objects(*test_files())]
        taken = [summary["dateTaken"] for summary in summaries if "dateTaken" in summary]
        self.assertGreater(len(taken), 20)
        parsed = pd.to_datetime(pd.Series(taken), utc=True)
        self.assertEqual(int(parsed.isna().sum()), 0)
        self.assertEqual(parsed.min().year >= 1990, True)


class BufferLayouts(unittest.TestCase):
    """analyze_bytes reads a buffer's bytes in their logical order, whatever
    their layout in memory."""

    def test_strided_reversed_and_read_only_views(self):
        path = os.path.join(PHOTOS, "mm-camera-gps-south-west.jpg")
        with open(path, "rb") as file:
            data = file.read()
        wanted = pixloupe.analyze_bytes(data, path)
        self.assertTrue(wanted["ok"])
        doubled = bytes(b for byte in data for b in (byte, 0x55))
        backwards = memoryview(data[::-1])
        read_only = memoryview(bytearray(data)).toreadonly()
        for name, view in (("every other byte", memoryview(doubled)[::2]), ("reversed twice", backwards[::-1]),
                           ("read-only", read_only), ("two-dimensional", memoryview(data).cast("B", (1, len(data))))):
            with self.subTest(view=name):
                self.assertEqual(pixloupe.analyze_bytes(view, path), wanted)
        # The step's other bytes are not part of the view: as bytes they are no JPEG.
        self.assertFalse(pixloupe.analyze_bytes(memoryview(doubled)[1::2], path)["ok"])

    def test_reversed_view_ending_at_a_page_without_access(self):
        # A view whose first byte is the last of a page before a page that
        # may not be read, holding SOI and a comment that claims 64 KB: read
        # as a run of bytes from its start, the comment runs into that page.
        script = (
            "import ctypes, mmap, pixloupe\n"
            "page = mmap.PAGESIZE\n"
            "area = mmap.mmap(-1, 2 * page)\n"
            "libc = ctypes.CDLL(None, use_errno=True)\n"
            "address = ctypes.addressof(ctypes.c_char.from_buffer(area))\n"
            "assert libc.mprotect(ctypes.c_void_p(address + page), page, 0) == 0\n"
            "area[page - 6:page] = bytes((0xFF, 0xFF, 0xFE, 0xFF, 0xD8, 0xFF))\n"
            "view = memoryview(area)[page - 1::-1]\n"
            "print(pixloupe.analyze_bytes(view, 'x')['ok'])\n"
        )
        done = subprocess.run([sys.executable, "-c", script], capture_output=True, timeout=60)
        self.assertEqual((done.returncode, done.stdout), (0, b"False\n"), done.stderr)


class HostileFiles(unittest.TestCase):
    def test_cut_flipped_and_random_files_as_the_command_line(self):
        rng = random.Random(15)
        with tempfile.TemporaryDirectory() as folder:
            made = {}
            for index, path in enumerate(files_under(PHOTOS)):
                with open(path, "rb") as file:
                    data = file.read()
                for cut in rng.sample(range(len(data)), 6) + [0]:
                    made[f"{index}-cut-{cut}"] = data[:cut]
                made[f"{index}-flipped"] = bytes(b if rng.random() > 0.01 else rng.randrange(256) for b in data)
            made.update((f"random-{n}", rng.randbytes(rng.randrange(1, 5000))) for n in range(20))
            paths = {os.path.join(folder, name + ".jpg"): data for name, data in made.items()}
            for path, data in paths.items():
                with open(path, "wb") as file:
                    file.write(data)
            for (path, data), wanted in zip(paths.items(), report_objects(*paths), strict=True):
                with self.subTest(path=path):
                    self.assertEqual(pixloupe.analyze(path), wanted)
                    self.assertEqual(pixloupe.analyze_bytes(data, path)["ok"], wanted["ok"])
                    self.assertFalse(wanted["ok"] and ("random" in path or "-cut-0." in path))

    def test_paths_that_are_not_files_raise(self):
        missing = os.path.join(PHOTOS, "missing.jpg")
        for call in (pixloupe.analyze, pixloupe.analyze_json, pixloupe.panes):
            with self.assertRaises(FileNotFoundError) as raised:
                call(missing)
            self.assertEqual(raised.exception.filename, missing)
            self.assertRaises(IsADirectoryError, call, PHOTOS)
            self.assertRaises(ValueError, call, "a\0b.jpg")
        self.assertRaises(TypeError, pixloupe.analyze_bytes, b"", "x", "yesterday")
        self.assertRaises(ValueError, pixloupe.analyze_bytes, b"", "x", -1e12)


if __name__ == "__main__":
    unittest.main()
