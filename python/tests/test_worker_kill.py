"""A worker killed in the middle of a scan costs nothing: every file of a
2,000-file tree is written exactly once, as the command line writes it."""

import collections
import io
import json
import os
import signal
import tempfile
import time
import unittest

import psutil
from dask.distributed import Client
from pixloupe import scan
from support import PHOTOS, files_under, report, run_scan

FILES = 2000


class KillOnWrite(io.BytesIO):
    """The scan's output, which kills the busiest worker at the first
    partition written while a worker has tasks in hand."""

    def __init__(self, client):
        super().__init__()
        self.client = client
        self.killed = None  # (the worker's tasks in hand, files written before)

    def write(self, data):
        if self.killed is None:
            address, tasks = max(self.client.processing().items(), key=lambda item: len(item[1]))
            if tasks:
                self.killed = (len(tasks), self.getvalue().count(b"\n"))
                os.kill(self.client.run(os.getpid, workers=[address])[address], signal.SIGKILL)
        return super().write(data)


def left_behind(before):
    """Our processes that were not there before the cluster, but for the
    interpreter's own resource tracker, which ends with it."""
    return [" ".join(child.cmdline()) for child in set(psutil.Process().children(recursive=True)) - before
            if "resource_tracker" not in " ".join(child.cmdline())]


class WorkerDeath(unittest.TestCase):
    def test_killed_worker_loses_and_repeats_nothing(self):
        with tempfile.TemporaryDirectory() as folder:
            photos = files_under(PHOTOS)
            tree = os.path.join(folder, "tree")
            for n in range(FILES):
                os.makedirs(os.path.join(tree, f"{n // 100:02}"), exist_ok=True)
                photo = photos[n % len(photos)]
                os.link(photo, os.path.join(tree, f"{n // 100:02}", f"{n:04}-{os.path.basename(photo)}"))
            expected = collections.Counter(report("-r", "--jsonl", tree).stdout.splitlines())
            self.assertEqual(sum(expected.values()), FILES)
            children_before = set(psutil.Process().children(recursive=True))
            cluster = scan.start_local_cluster(2)
            client = Client(cluster)
            try:
                listening = {conn.laddr.ip for process in [psutil.Process(), *psutil.Process().children(recursive=True)]
                             for conn in process.connections(kind="inet") if conn.status == psutil.CONN_LISTEN}
                self.assertEqual(listening, {"127.0.0.1"})
                started = time.monotonic()
                out = KillOnWrite(client)
                written, not_ok, problems = scan.scan(client, [tree], out, partition_size=20)
                lines = out.getvalue().splitlines()
                self.assertIsNotNone(out.killed, "no worker ever had a task in hand")
                self.assertLess(out.killed[1], FILES // 2)
                self.assertLess(time.monotonic() - started, 120)
                self.assertEqual((written, problems), (FILES, 0))
                self.assertEqual(not_ok, sum(count for line, count in expected.items() if not json.loads(line)["ok"]))
                self.assertEqual(collections.Counter(lines), expected)
                # The command joins the same cluster, now with its new worker.
                out_path = os.path.join(folder, "metadata.jsonl")
                status, errors = run_scan(tree, "--out", out_path, "--scheduler", cluster.scheduler_address)
                self.assertEqual(status, 1, errors)
                with open(out_path, "rb") as file:
                    self.assertEqual(collections.Counter(file.read().splitlines()), expected)
            finally:
                client.close()
                cluster.close()
            deadline = time.monotonic() + 15
            while left_behind(children_before) and time.monotonic() < deadline:
                time.sleep(0.2)
            self.assertEqual(left_behind(children_before), [])


if __name__ == "__main__":
    unittest.main()
