"""What the Python tests share: the photographs, the command line to
compare with, and scans that leave no process behind."""

import json
import os
import signal
import subprocess
import sys
import time

import psutil

REPORT = os.environ.get("PIXLOUPE_REPORT", "build/pixloupe-report")
PHOTOS = os.environ.get("PIXLOUPE_PHOTOS_DIR", "tests/photos")
CORPUS = os.environ.get("PIXLOUPE_CORPUS_DIR", "")
SOURCE = os.environ.get("PIXLOUPE_SOURCE_DIR", ".")


def files_under(folder):
    """Every file under folder but the notes and scripts beside the photographs."""
    return sorted(os.path.join(top, name) for top, _, names in os.walk(folder)
                  for name in names if not name.endswith((".md", ".py")))


def test_files():
    return files_under(PHOTOS) + (files_under(CORPUS) if os.path.isdir(CORPUS) else [])


def report(*args):
    return subprocess.run([REPORT, *args], capture_output=True, timeout=300)


def report_objects(*args):
    return [json.loads(line) for line in report("--jsonl", *args).stdout.splitlines()]


def leftovers(find):
    """The processes that find still gives after at most 15 s, killed so
    that no test leaves them behind."""
    deadline = time.monotonic() + 15
    while find() and time.monotonic() < deadline:
        time.sleep(0.2)
    left = find()
    for process in left:
        process.kill()
    return left


def in_session(session):
    def session_of(process):
        try:
            return os.getsid(process.pid)
        except OSError:
            return None
    return [process for process in psutil.process_iter() if session_of(process) == session]


def run_scan(*args, timeout=180):
    """python3 -m pixloupe.scan ARGS in a session of its own: (exit status,
    standard error). A time-out kills the session; a process of it left
    behind fails the test."""
    process = subprocess.Popen([sys.executable, "-m", "pixloupe.scan", *args], stderr=subprocess.PIPE,
                               start_new_session=True)
    try:
        errors = process.communicate(timeout=timeout)[1].decode(errors="replace")
    finally:
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)
            process.communicate()
        left = leftovers(lambda: in_session(process.pid))
    assert not left, f"the scan left {len(left)} processes behind"
    return process.returncode, errors


def make_tree(folder, links):
    """Hard links to photographs under folder: {relative name: photograph}."""
    for name, photo in links.items():
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        os.link(photo, path)
    return folder
