"""What the Python tests share: the photographs, the command line to
compare with, and a local Dask cluster that is always stopped."""

import json
import os
import subprocess

REPORT = os.environ.get("PIXLOUPE_REPORT", "build/pixloupe-report")
PHOTOS = os.environ.get("PIXLOUPE_PHOTOS_DIR", "tests/photos")
CORPUS = os.environ.get("PIXLOUPE_CORPUS_DIR", "")
SOURCE = os.environ.get("PIXLOUPE_SOURCE_DIR", ".")


def files_under(folder):
    """Every file under folder but the notes and scripts beside the photographs."""
    found = []
    for top, _, names in os.walk(folder):
        found += [os.path.join(top, name) for name in names if not name.endswith((".md", ".py"))]
    return sorted(found)


def test_files():
    """The project's photographs, and the corpus's files when it is there."""
    return files_under(PHOTOS) + (files_under(CORPUS) if os.path.isdir(CORPUS) else [])


def report(*args, timeout=300):
    return subprocess.run([REPORT, *args], capture_output=True, timeout=timeout)


def report_objects(*args):
    """The command line's objects for the files or folders named."""
    return [json.loads(line) for line in report("--jsonl", *args).stdout.splitlines()]


def scan_processes(mark):
    """The processes still running with the mark in their environment."""
    import psutil

    left = []
    for process in psutil.process_iter():
        try:
            if process.environ().get("PIXLOUPE_TEST_MARK") == mark:
                left.append(process)
        except psutil.Error:
            pass
    return left


def run_scan(*args, timeout=180):
    """python3 -m pixloupe.scan ARGS in a session of its own: (exit status,
    standard error). On a time-out the whole session is killed; either way
    no process of it may be left after a short grace."""
    import signal
    import sys
    import time
    import uuid

    mark = uuid.uuid4().hex
    environment = dict(os.environ, PIXLOUPE_TEST_MARK=mark)
    command = [sys.executable, "-m", "pixloupe.scan", *args]
    process = subprocess.Popen(command, env=environment, stderr=subprocess.PIPE, start_new_session=True)
    try:
        _, errors = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        raise
    finally:
        deadline = time.monotonic() + 15
        while scan_processes(mark) and time.monotonic() < deadline:
            time.sleep(0.2)
        left = scan_processes(mark)
        for leftover in left:
            leftover.kill()
    if left:
        raise AssertionError(f"the scan left {len(left)} processes behind")
    return process.returncode, errors.decode(errors="replace")
