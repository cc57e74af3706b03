"""The scan writes what pixloupe-report -r --jsonl writes, over the same roots."""

import collections
import csv
import io
import json
import math
import os
import pathlib
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import pandas
import pixloupe.dask
from dask.distributed import Client
from pixloupe import _pixloupe, scan
from support import CORPUS, PHOTOS, SOURCE, in_session, leftovers, make_tree, report, run_scan


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
            # The JPEG names, e.png (PNG is read too), the link to a file and the dangling link.
            self.assertEqual(sum(os.path.join(tree, "") in line.decode() for line in scanned), 10)

    def test_readme_cluster_serves_dashboards_on_loopback_only(self):
        with open(os.path.join(SOURCE, "README.md"), encoding="utf-8") as file:
            commands = file.read().replace("\\\n", " ").splitlines()
        started = [line for line in commands if line.startswith(("dask scheduler", "PYTHONPATH")) and " dask " in f" {line}"]
        self.assertEqual(len(started), 3)
        for line in started:
            self.assertRegex(line, r"--dashboard-address 127\.0\.0\.1:\d+|--no-dashboard", line)

    def test_bad_usage_exits_2(self):
        for arguments in ([], ["samples", "--out", "x", "--workers", "0"], ["-", "--out", "x"],
                          ["samples", "--out", os.path.join(SOURCE, "no-such-folder", "x.jsonl")]):
            self.assertEqual(run_scan(*arguments, timeout=60)[0], 2, arguments)


DETAILS = ("EXIF", "Photoshop", "IPTC", "XMP")


class ScanFunction(unittest.TestCase):
    """scan.scan on a cluster of threads in this process: any kind of roots, every form."""

    @classmethod
    def setUpClass(cls):
        cls.client = Client(processes=False, n_workers=1, threads_per_worker=2, dashboard_address=None)

    @classmethod
    def tearDownClass(cls):
        cls.client.close()

    def scanned(self, roots, form="jsonl"):
        out = io.BytesIO()
        scan.scan(self.client, roots, out, partition_size=3, form=form)
        return out.getvalue().splitlines()

    def test_roots_of_every_kind_made_absolute_here(self):
        samples = os.path.join(SOURCE, "samples")
        wanted = collections.Counter(report("-r", "--jsonl", samples, PHOTOS).stdout.splitlines())
        before = os.getcwd()
        os.chdir(SOURCE)
        try:
            for roots in ([samples, PHOTOS], [pathlib.Path("samples"), os.fsencode(PHOTOS)]):
                with self.subTest(roots=roots):
                    self.assertEqual(collections.Counter(self.scanned(roots)), wanted)
            self.assertEqual(self.scanned("samples"), report("-r", "--jsonl", samples).stdout.splitlines())
        finally:
            os.chdir(before)

    def test_csv_and_summary_forms(self):
        printed = report("-r", "--csv", PHOTOS).stdout.splitlines()
        self.assertEqual(collections.Counter(self.scanned(PHOTOS, "csv")), collections.Counter(printed[1:]))
        self.assertEqual(_pixloupe.csv_header().splitlines(), printed[:1])
        objects = [json.loads(line) for line in report("-r", "--jsonl", PHOTOS).stdout.splitlines()]
        summaries = [{key: value for key, value in item.items() if key not in DETAILS} for item in objects]
        self.assertEqual(sorted(map(json.loads, self.scanned(PHOTOS, "summary")), key=str), sorted(summaries, key=str))


class ArchiveFrame(unittest.TestCase):
    def test_read_archive_has_fixed_dtypes_and_the_command_lines_rows(self):
        roots = [PHOTOS] + ([CORPUS] if os.path.isdir(CORPUS) else [])
        frame = pixloupe.dask.read_archive(roots, partition_size=25)
        meta = pixloupe.dask.summary_meta()
        parts = [frame.get_partition(n).compute(scheduler="threads") for n in range(frame.npartitions)]
        self.assertGreater(len(parts), 2)
        for part in parts:
            self.assertEqual(part.dtypes.to_dict(), meta.dtypes.to_dict())
        rows = {row["SourceFile"]: row for part in parts for row in part.to_dict("records")}
        facts = dict(_pixloupe.summary_facts())
        # --csv-raw: the text as it is, without the quote that keeps a spreadsheet from taking it as a formula.
        printed = list(csv.DictReader(io.StringIO(report("-r", "--csv", "--csv-raw", *roots).stdout.decode(),
                                                  newline="")))
        self.assertEqual(sorted(rows), sorted(line["SourceFile"] for line in printed))
        for line in printed:
            row = rows[line["SourceFile"]]
            self.assertEqual(str(row["ok"]).lower(), line["ok"])
            for key, kind in facts.items():
                with self.subTest(file=line["SourceFile"], key=key):
                    cell, value = line[key], row[key]
                    if cell == "":  # absent, or an empty text, which CSV cannot tell apart
                        self.assertTrue(pandas.isna(value) or value == "", value)
                    elif kind == "integer":
                        self.assertEqual(int(cell), value)
                    elif kind == "number":
                        self.assertEqual(float(cell), value)
                    elif kind == "date":  # without an offset: read as UTC
                        stamp = pandas.Timestamp(cell)
                        self.assertEqual(stamp if stamp.tz else stamp.tz_localize("UTC"), value)
                    elif kind == "boolean":
                        self.assertEqual(cell, str(bool(value)).lower())
                    else:
                        self.assertEqual(cell, value)
        bag = pixloupe.dask.to_bag(PHOTOS, partition_size=4).compute(scheduler="threads")
        self.assertEqual(bag, [json.loads(line) for line in report("-r", "--jsonl", PHOTOS).stdout.splitlines()])


def one_line(errors):
    """The message of a failure: one line, no traceback."""
    return len(errors.splitlines()) == 1 and "Traceback" not in errors


class CommandFailures(unittest.TestCase):
    def test_failures_keep_the_old_output_and_exit_with_their_status(self):
        with tempfile.TemporaryDirectory() as folder:
            out = os.path.join(folder, "metadata.jsonl")
            samples = os.path.join(SOURCE, "samples")
            no_dask = ("import sys; sys.modules['dask'] = sys.modules['dask.distributed'] = None; "
                       "from pixloupe import scan; sys.exit(scan.main(sys.argv[1:]))")
            for name, command, status in (
                    ("no scheduler there", [sys.executable, "-m", "pixloupe.scan", samples, "--out", out,
                                            "--scheduler", "tcp://127.0.0.1:9"], 2),
                    ("no Dask", [sys.executable, "-c", no_dask, samples, "--out", out], 2),
                    ("a full device", [sys.executable, "-m", "pixloupe.scan", samples, "--out", "/dev/full",
                                       "--workers", "1"], 3),
                    ("a reader gone, as | head", [sys.executable, "-m", "pixloupe.scan", samples, "--out", "-",
                                                  "--workers", "1"], 3)):
                with open(out, "wb") as file:
                    file.write(b"old\n")
                with self.subTest(case=name):
                    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                    process.stdout.close()
                    errors = process.communicate(timeout=120)[1].decode()
                    self.assertEqual(process.returncode, status, errors)
                    self.assertTrue(one_line(errors), errors)
                    self.assertEqual(os.listdir(folder), ["metadata.jsonl"])
                    with open(out, "rb") as file:
                        self.assertEqual(file.read(), b"old\n")

    def test_fifos_walked_and_named_end_within_the_time_limit(self):
        # A FIFO met in the walk is refused at once, as by the command line;
        # one named is read as a stream, up to the time limit.
        with tempfile.TemporaryDirectory() as tree:
            make_tree(tree, {"a.jpg": os.path.join(PHOTOS, "mm-photoshop-iptc.jpg")})
            os.mkfifo(os.path.join(tree, "b.jpg"))
            named = os.path.join(tree, "named.fifo")
            os.mkfifo(named)
            out = os.path.join(tree, "metadata.csv")
            started = time.monotonic()
            status, errors = run_scan(tree, named, "--out", out, "--workers", "1", "--timeout", "1", "--format",
                                      "csv", timeout=120)
            self.assertEqual(status, 1, errors)
            with open(out, newline="", encoding="utf-8") as file:
                rows = list(csv.reader(file))
            printed = list(csv.reader(io.StringIO(report("-r", "--csv", tree).stdout.decode(), newline="")))
            self.assertEqual(rows[0], printed[0])
            self.assertEqual(collections.Counter(map(tuple, rows[1:-1])), collections.Counter(map(tuple, printed[1:])))
            self.assertEqual((rows[-1][:2], rows[-1][-1]), ([named, "false"], "Timed out: no end of data within 1 s"))
            self.assertLess(time.monotonic() - started, 100)

    def test_terminated_scan_cleans_up_and_resumes(self):
        with tempfile.TemporaryDirectory() as tree:
            photos = [path for path in self.photos() if path.endswith(".jpg")]
            make_tree(tree, {f"{n // 100:02}/{n:04}.jpg": photos[n % len(photos)] for n in range(1500)})
            out = os.path.join(tree, "metadata.jsonl")
            with open(out, "wb") as file:
                file.write(b"old\n")
            process = subprocess.Popen([sys.executable, "-m", "pixloupe.scan", tree, "--out", out, "--workers", "2",
                                        "--partition-size", "10"], stderr=subprocess.PIPE, start_new_session=True)
            deadline = time.monotonic() + 90
            while time.monotonic() < deadline and os.path.getsize(out + ".partial") if os.path.exists(
                    out + ".partial") else time.monotonic() < deadline:
                time.sleep(0.1)
            process.send_signal(signal.SIGTERM)
            errors = process.communicate(timeout=60)[1].decode()
            self.assertEqual(process.returncode, 143, errors)
            self.assertEqual(leftovers(lambda: in_session(process.pid)), [])
            self.assertFalse([name for name in os.listdir(tempfile.gettempdir())
                              if name.startswith(f"{scan.SPOOL_PREFIX}{process.pid}-")])
            with open(out, "rb") as file:
                self.assertEqual(file.read(), b"old\n")
            with open(out + ".partial", "ab") as file:
                file.write(b'{"SourceFile":"' + os.fsencode(tree))  # a line cut short by a kill
            status, errors = run_scan(tree, "--out", out, "--workers", "2", "--resume")
            self.assertEqual(status, 0, errors)
            with open(out, "rb") as file:
                self.assertEqual(collections.Counter(file.read().splitlines()),
                                 collections.Counter(report("-r", "--jsonl", tree).stdout.splitlines()))
            self.assertFalse(os.path.exists(out + ".partial"))

    def photos(self):
        return sorted(os.path.join(PHOTOS, name) for name in os.listdir(PHOTOS))


if __name__ == "__main__":
    unittest.main()
