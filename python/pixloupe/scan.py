"""python3 -m pixloupe.scan: the metadata of every JPEG file under the
folders named, one JSON object per line, analysed on a Dask cluster.

The files are those pixloupe-report -r finds (names ending .jpg, .jpeg,
.jpe or .jfif in any case, links to folders not followed), listed in
partitions as the walk goes; each partition is one task, and the client
writes a partition's lines as soon as it completes, so neither side holds
more than the partitions in flight. A worker that dies loses nothing: the
scheduler runs its tasks again elsewhere, and a partition is written once,
when its task has completed.
"""

import argparse
import contextlib
import os
import shutil
import sys
import tempfile
import time
import uuid

from . import _pixloupe

# Files per task: large enough that a task's overhead (about 5 ms of
# scheduling and transfer here) is small beside its analysis (about 25 ms
# a hundred files), small enough that a lost worker costs little and the
# progress moves. Over 20,000 files on 2 workers, 500 was 8 % faster than
# 250 and 1,000 no faster.
PARTITION_SIZE = 500

# Partitions submitted ahead of those written, per worker thread: enough
# to keep every worker busy, few enough to bound what is held.
AHEAD_PER_THREAD = 4

KILLED_REASON = "the analysis ended its worker process every time it ran"


def json_lines(paths):
    """A partition's task, run on a worker: each file's object as
    pixloupe-report --jsonl prints it, and how many were not ok."""
    return _pixloupe.json_lines(paths)


def json_lines_to_spool(paths, spool):
    """A partition's task on a worker of the client's own machine: the
    lines json_lines makes, written to a new file in the folder spool; its
    name (a str) and how many files were not ok. Every run of a task has a
    file of its own, so a run cut short by its worker's death leaves only a
    file that no one reads. When the file cannot be written (a full disk),
    the lines themselves (bytes) go back through the connections."""
    lines, bad = _pixloupe.json_lines(paths)
    name = os.path.join(spool, f"{uuid.uuid4().hex}.jsonl")
    try:
        with open(name, "wb") as file:
            file.write(lines)
    except OSError:
        with contextlib.suppress(OSError):
            os.unlink(name)
        return lines, bad
    return name, bad


def _parse_arguments(argv):
    parser = argparse.ArgumentParser(
        prog="python3 -m pixloupe.scan",
        description="Write the metadata of every JPEG file under ROOT... as JSON Lines, one object per file "
        "(the object pixloupe-report --json prints), analysed on a Dask cluster.",
        epilog="The lines come in the order the partitions complete: files of one partition keep the walk's "
        "order, partitions may not; the set of objects is that of pixloupe-report -r --jsonl ROOT.... "
        "Exit status: 0 when every file was ok, 1 when one was not (or a folder could not be read), 2 for "
        "bad usage.",
    )
    parser.add_argument("roots", nargs="+", metavar="ROOT", help="a folder to walk, or a file to take")
    parser.add_argument("--out", required=True, metavar="FILE", help="the JSON Lines file to write ('-': standard output)")
    parser.add_argument(
        "--scheduler",
        metavar="ADDRESS",
        help="join the running cluster of this scheduler (tcp://HOST:8786), whose workers see the files at the "
        "same paths (relative roots are made absolute); without it a local cluster is started on 127.0.0.1",
    )
    parser.add_argument("--workers", type=_positive, metavar="N", help="worker processes of the local cluster (default: one per core)")
    parser.add_argument("--partition-size", type=_positive, default=PARTITION_SIZE, metavar="N", help="files per task (default: %(default)s)")
    parser.add_argument("--no-progress", dest="progress", action="store_false", help="no progress line on a terminal")
    args = parser.parse_args(argv)
    if "-" in args.roots:
        parser.error("standard input cannot be scanned: name files or folders")
    if args.scheduler and args.workers:
        parser.error("--workers starts a local cluster: the cluster of --scheduler has its own workers")
    return args


def _positive(text):
    value = int(text)
    if value < 1:
        raise argparse.ArgumentTypeError("must be at least 1")
    return value


class _Progress:
    """One line on standard error, on a terminal and outside CI only."""

    def __init__(self, shown):
        self.shown = shown and sys.stderr.isatty() and not os.environ.get("CI")
        self.started = time.monotonic()

    def update(self, written, listed, walk_done):
        if not self.shown:
            return
        rate = written / max(time.monotonic() - self.started, 1e-6)
        total = f" of {listed}" if walk_done else f" ({listed} listed)"
        sys.stderr.write(f"\r{written} files{total}, {rate:.0f} a second ")
        sys.stderr.flush()

    def finish(self):
        if self.shown:
            sys.stderr.write("\n")


def _open_client(args):
    """The client, and the local cluster it made (None when joining one)."""
    from dask.distributed import Client

    if args.scheduler:
        return Client(args.scheduler, timeout="30s"), None
    cluster = start_local_cluster(args.workers or os.cpu_count() or 1)
    return Client(cluster), cluster


def start_local_cluster(workers):
    """A cluster of worker processes, one thread each, that listens on the
    loopback address only: its HTTP servers too, which otherwise listen on
    every address even without a dashboard."""
    import dask
    from dask.distributed import LocalCluster

    with dask.config.set(_local_worker_config(dask.config.get("distributed.nanny.pre-spawn-environ"))):
        return LocalCluster(
            n_workers=workers,
            threads_per_worker=1,
            processes=True,
            host="127.0.0.1",
            dashboard_address="127.0.0.1:0",
            worker_dashboard_address="127.0.0.1:0",
        )


def _local_worker_config(environment):
    """What the workers of a local cluster are started with, beside Dask's
    defaults."""
    # Dask starts workers with MALLOC_TRIM_THRESHOLD_ set, so that they give
    # freed memory back to the system at once; a fixed threshold also makes
    # malloc map every block over 128 KB afresh. A partition's lines are a
    # few megabytes made, sent and freed once a task, so each task would
    # fault them in again: a fifth of the scan's time here. Our workers hold
    # only the partitions in flight, so they keep what they freed instead.
    environment = {name: value for name, value in environment.items() if name != "MALLOC_TRIM_THRESHOLD_"}
    return {
        "distributed.nanny.pre-spawn-environ": environment,
        # A task is one call that analyses hundreds of files with the lock
        # released: sampling its stack every 10 ms, checking the event loop
        # every 20 ms and rebalancing every 100 ms only take the two cores
        # from it.
        "distributed.worker.profile.interval": "1s",
        "distributed.worker.profile.cycle": "10s",
        "distributed.admin.tick.interval": "1s",
        "distributed.scheduler.work-stealing": False,
    }


def _move_lines(name, out):
    """Appends the file name to the binary stream out and removes it. The
    kernel copies it when out is a file or pipe of its own."""
    with open(name, "rb") as source:
        try:
            target = out.fileno()
        except (AttributeError, OSError):
            target = None
        size = os.fstat(source.fileno()).st_size
        copied = 0
        if target is not None:
            out.flush()
            try:
                while copied < size:
                    sent = os.sendfile(target, source.fileno(), copied, size - copied)
                    if sent == 0:
                        break
                    copied += sent
            except OSError:
                if copied:
                    raise
        if copied < size:
            # Streams without a descriptor of their own (and systems whose
            # sendfile refuses the output) take it through Python.
            source.seek(copied)
            shutil.copyfileobj(source, out, 1 << 20)
    os.unlink(name)


def scan(client, roots, out, partition_size=PARTITION_SIZE, progress=None, spool=None):
    """Analyses every file under roots on the client's cluster and writes
    their lines to the binary stream out. Returns (files written, files
    not ok, folders that could not be read).

    spool: a folder that the workers and this process share (a local
    cluster's): the workers hand each partition's lines over as a file
    there rather than through the cluster's connections, which here cost a
    quarter of the scan's time (megabytes a task framed, copied and
    passed between event loops); None: through the connections."""
    from dask.distributed import as_completed
    from distributed.scheduler import KilledWorker

    walk = _pixloupe.Walk([os.fsencode(root) for root in roots])
    threads = sum(client.nthreads().values()) or 1
    ahead = max(2, AHEAD_PER_THREAD * threads)
    partitions = {}  # future -> its paths, until written
    completed = as_completed()
    listed = written = not_ok = problems = 0
    walk_done = False

    def report_problems():
        nonlocal problems
        for problem in walk.problems():
            problems += 1
            sys.stderr.write(f"pixloupe.scan: {os.fsdecode(problem)}\n")

    def submit_ahead():
        nonlocal listed, walk_done
        while not walk_done and len(partitions) < ahead:
            paths = walk.next(partition_size)
            report_problems()
            walk_done = len(paths) < partition_size
            if paths:
                listed += len(paths)
                if spool is None:
                    future = client.submit(json_lines, paths, pure=False, retries=1)
                else:
                    future = client.submit(json_lines_to_spool, paths, spool, pure=False, retries=1)
                partitions[future] = paths
                completed.add(future)

    submit_ahead()
    for future in completed:
        paths = partitions.pop(future)
        try:
            # The lines, or the name of the spool file that holds them.
            handed, bad = future.result()
            if isinstance(handed, str):
                _move_lines(handed, out)
            else:
                out.write(handed)
        except KilledWorker:
            # Only a file that ends the process each time gets here: its
            # partition's files are told as not analysed, once each.
            sys.stderr.write(f"pixloupe.scan: {KILLED_REASON}: the {len(paths)} files from {os.fsdecode(paths[0])}\n")
            out.write(b"".join(_pixloupe.failure_json(path, KILLED_REASON) + b"\n" for path in paths))
            bad = len(paths)
        written += len(paths)
        not_ok += bad
        future.release()
        submit_ahead()
        if progress:
            progress.update(written, listed, walk_done)
    return written, not_ok, problems


def _make_spool(cleanup):
    """A temporary folder removed by cleanup, or None (the connections
    then) when none can be made."""
    try:
        return cleanup.enter_context(tempfile.TemporaryDirectory(prefix="pixloupe-scan-"))
    except OSError:
        return None


def main(argv=None):
    args = _parse_arguments(argv)
    roots = args.roots
    if args.scheduler:
        # The workers run elsewhere, in folders of their own.
        roots = [os.path.abspath(root) for root in roots]
    progress = _Progress(args.progress)
    try:
        # Opened before the cluster starts: a bad path costs no start.
        out = contextlib.nullcontext(sys.stdout.buffer) if args.out == "-" else open(args.out, "wb")
    except OSError as error:
        sys.stderr.write(f"pixloupe.scan: {error}\n")
        return 2
    with out as stream, contextlib.ExitStack() as cleanup:
        client, cluster = _open_client(args)
        # A cluster of our own runs on this machine: its workers hand their
        # lines over through a folder of ours.
        spool = None if cluster is None else _make_spool(cleanup)
        try:
            _, not_ok, problems = scan(client, roots, stream, args.partition_size, progress, spool)
            stream.flush()
            progress.finish()
        finally:
            client.close()
            if cluster is not None:
                cluster.close()
    return 1 if not_ok or problems else 0


if __name__ == "__main__":
    sys.exit(main())
