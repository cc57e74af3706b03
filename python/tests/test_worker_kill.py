"""A worker killed in the middle of a scan costs nothing: every file of a
2,000-file tree is written exactly once, as the command line writes it."""

import io
import json
import os
import signal
import tempfile
import unittest
from collections import Counter

import psutil
from dask.distributed import Client
from pixloupe import scan
from support import PHOTOS, files_under, leftovers, report, run_scan

FILES = 2000


class KillOnWrite(io.BytesIO):
    """The scan's output, which kills the busiest worker at the first
    partition written while a worker has tasks in hand."""

    def __init__(self, client):
        super().__init__()
        self.client, self.killed = client, None  # killed: (its tasks in hand, files written before)

    def write(self, data):
        if self.killed is None:
            address, tasks = max(self.client.processing().items(), key=lambda item: len(item[1]))
            if tasks:
                self.killed = (len(tasks), self.getvalue().count(b"\n"))
                os.kill(self.client.run(os.getpid, workers=[address])[address], signal.SIGKILL)
        return super().write(data)


def left_behind(before):
    """Our new processes, but the interpreter's resource tracker, which ends with it."""
    return [child for child in set(psutil.Process().children(recursive=True)) - before
            if "resource_tracker" not in " ".join(child.cmdline())]


class WorkerDeath(unittest.TestCase):
    def test_killed_worker_loses_and_repeats_nothing(self):
        with tempfile.TemporaryDirectory() as tree:
            photos = files_under(PHOTOS)
            for n in range(FILES):
                os.makedirs(os.path.join(tree, f"{n // 100:02}"), exist_ok=True)
                os.link(photos[n % len(photos)], os.path.join(tree, f"{n // 100:02}", f"{n:04}.jpg"))
            expected = Counter(report("-r", "--jsonl", tree).stdout.splitlines())
            before = set(psutil.Process().children(recursive=True))
            cluster = scan.start_local_cluster(2)
            client = Client(cluster)
            try:
                listening = {conn.laddr.ip for process in [psutil.Process(), *psutil.Process().children(recursive=True)]
                             for conn in process.connections(kind="inet") if conn.status == psutil.CONN_LISTEN}
                self.assertEqual(listening, {"127.0.0.1"})
                # Dask's defaults come back when its config is merged: the
                # workers must really start with our thresholds, not its own.
                self.assertEqual(set(client.run(os.environ.get, "MALLOC_TRIM_THRESHOLD_").values()), {"67108864"})
                out = KillOnWrite(client)
                # Handed over through a folder, as a local scan does; the
                # command below joins by address and takes the connections.
                with tempfile.TemporaryDirectory() as spool:
                    written, not_ok, problems = scan.scan(client, [tree], out, partition_size=20, spool=spool)
                self.assertIsNotNone(out.killed, "no worker ever had a task in hand")
                self.assertLess(out.killed[1], FILES // 2)
                self.assertEqual((written, problems, sum(expected.values())), (FILES, 0, FILES))
                self.assertEqual(not_ok, sum(count for line, count in expected.items() if not json.loads(line)["ok"]))
                self.assertEqual(Counter(out.getvalue().splitlines()), expected)
                # A spool the workers cannot write to: the lines come through the connections.
                out = io.BytesIO()
                scan.scan(client, [tree], out, partition_size=500, spool=os.path.join(tree, "no-such-folder"))
                self.assertEqual(Counter(out.getvalue().splitlines()), expected)
                # The command joins the same cluster, now with its new worker.
                status, errors = run_scan(tree, "--out", os.path.join(tree, "out.jsonl"), "--scheduler",
                                          cluster.scheduler_address)
                self.assertEqual(status, 1, errors)
                with open(os.path.join(tree, "out.jsonl"), "rb") as file:
                    self.assertEqual(Counter(file.read().splitlines()), expected)
            finally:
                client.close()
                cluster.close()
            self.assertEqual(leftovers(lambda: left_behind(before)), [])


if __name__ == "__main__":
    unittest.main()
