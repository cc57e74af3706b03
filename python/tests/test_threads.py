"""Analyses release the interpreter lock: two threads do nearly twice the work."""

import hashlib
import os
import time
import unittest
from concurrent.futures import ThreadPoolExecutor

import pixloupe
from support import CORPUS, PHOTOS, files_under


def speedup(call, work):
    """One thread's time over two threads' time, each thread a share of work."""
    times = []
    for parts in ([work], [work[0::2], work[1::2]]):
        with ThreadPoolExecutor(len(parts)) as pool:
            started = time.perf_counter()
            list(pool.map(lambda part: [call(item) for item in part], parts))
            times.append(time.perf_counter() - started)
    return times[0] / times[1]


def expect_speedup(test, label, call, work):
    """Two threads at least 1.5 times one, tried for a minute at most while
    the machine's own figure (hashing, which releases the lock too) says
    its other core is busy."""
    tries = []
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline and (not tries or tries[-1][0] < 1.5):
        tries.append((speedup(call, work), speedup(hashlib.sha256, [bytes(1 << 20)] * 200)))
    print(f"\ntwo threads over one, {label} (ours, hashing): {tries}")
    if max(tries)[0] < 1.5 and max(free for _, free in tries) < 1.6:
        test.skipTest("the machine never gave two free cores")
    test.assertGreaterEqual(max(tries)[0], 1.5)


@unittest.skipIf((os.cpu_count() or 1) < 2, "needs two cores")
class TwoThreads(unittest.TestCase):
    def test_two_threads_at_least_one_and_a_half_times_faster(self):
        # About a second of work.
        work = files_under(PHOTOS) * 400
        expect_speedup(self, "photographs", pixloupe.analyze_json, work)
        print(f"analyze {speedup(pixloupe.analyze, work):.2f}")

    @unittest.skipUnless(os.path.isdir(os.path.join(CORPUS, "camera")), "needs the corpus's camera files")
    def test_dicts_are_made_mostly_without_the_lock(self):
        # analyze builds a dict of some hundred objects a file: made with
        # the lock held, two threads gained 1.1 times.
        files = files_under(os.path.join(CORPUS, "camera"))
        expect_speedup(self, "camera files", pixloupe.analyze, files * (1500 // len(files) + 1))

if __name__ == "__main__":
    unittest.main()
