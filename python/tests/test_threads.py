"""Analyses release the interpreter lock: two threads do nearly twice the work."""

import hashlib
import os
import time
import unittest
from concurrent.futures import ThreadPoolExecutor

import pixloupe
from support import PHOTOS, files_under

BLOCK = bytes(1 << 20)


def seconds(call, parts):
    """Wall time of call over each part, one thread per part."""
    with ThreadPoolExecutor(len(parts)) as pool:
        started = time.perf_counter()
        list(pool.map(lambda part: [call(item) for item in part], parts))
        return time.perf_counter() - started


def speedup(call, work):
    return seconds(call, [work]) / seconds(call, [work[0::2], work[1::2]])


@unittest.skipIf((os.cpu_count() or 1) < 2, "needs two cores")
class TwoThreads(unittest.TestCase):
    def test_two_threads_at_least_one_and_a_half_times_faster(self):
        work = files_under(PHOTOS)
        while seconds(pixloupe.analyze_json, [work]) < 0.5:
            work = work * 2
        # The machine's own figure, from hashing that releases the lock: on a
        # machine whose other core is busy no code reaches 1.5, so the tries
        # go on while it is, for a minute at most.
        control = [BLOCK] * 200
        tries = []
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            tries.append((speedup(pixloupe.analyze_json, work), speedup(lambda b: hashlib.sha256(b).digest(), control)))
            if tries[-1][0] >= 1.5:
                break
        print(f"\n{len(work)} analyses, two threads over one (ours, hashing): {tries}; "
              f"analyze (dict) {speedup(pixloupe.analyze, work):.2f}")
        if max(tries)[0] < 1.5 and max(free for _, free in tries) < 1.6:
            self.skipTest("the machine never gave two free cores")
        self.assertGreaterEqual(max(tries)[0], 1.5)


if __name__ == "__main__":
    unittest.main()
