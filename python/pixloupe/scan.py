"""python3 -m pixloupe.scan: the metadata of every JPEG file under the
folders named, one JSON object per line (or one CSV row), analysed on a
Dask cluster.

The files are those pixloupe-report -r finds (names ending .jpg, .jpeg,
.jpe or .jfif in any case, links to folders not followed), listed in
partitions as the walk goes; each partition is one task, and the client
writes a partition's lines as soon as it completes, so neither side holds
more than the partitions in flight. A worker that dies loses nothing: the
scheduler runs its tasks again elsewhere, and a partition is written once,
when its task has completed.

The output goes to OUT.partial beside OUT, renamed to OUT at the end: a
failed or interrupted run leaves the old OUT as it was, and its
OUT.partial, from which --resume goes on.
"""

import argparse
import contextlib
import csv
import errno
import io
import json
import os
import shutil
import signal
import sys
import tempfile
import time
import uuid

from . import _pixloupe, _roots, _limit

# Exit statuses, as the command line's: 1 is kept for "a file was not ok".
EXIT_USAGE = 2
EXIT_OUTPUT = 3
EXIT_SIGINT = 130
EXIT_SIGTERM = 143

FORMATS = ("jsonl", "csv")

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


def partition_lines(paths, form="jsonl", limit=None):
    """A partition's task, run on a worker: each file's line, as
    pixloupe-report --jsonl (form "jsonl"; "summary": without the EXIF,
    Photoshop, IPTC and XMP details) or --csv ("csv", without the header)
    prints it, and how many were not ok."""
    limit = _limit(limit)
    if form == "csv":
        return _pixloupe.csv_lines(paths, limit)
    return _pixloupe.json_lines(paths, limit, form == "summary")


def partition_lines_to_spool(paths, spool, form="jsonl", limit=None):
    """A partition's task on a worker of the client's own machine: the
    lines partition_lines makes, written to a new file in the folder spool;
    its name (a str) and how many files were not ok. Every run of a task has
    a file of its own, so a run cut short by its worker's death leaves only
    a file that no one reads. When the file cannot be written (a full disk),
    the lines themselves (bytes) go back through the connections."""
    lines, bad = partition_lines(paths, form, limit)
    name = os.path.join(spool, f"{uuid.uuid4().hex}.lines")
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
        "(the object pixloupe-report --json prints), or as CSV, analysed on a Dask cluster.",
        epilog="The lines come in the order the partitions complete: files of one partition keep the walk's "
        "order, partitions may not; the set of lines is that of pixloupe-report -r --jsonl (--csv) ROOT.... "
        "The output is written to OUT.partial and renamed to OUT at the end. Exit status: 0 when every file "
        "was ok, 1 when one was not (or a folder could not be read), 2 for bad usage or a scan that cannot "
        "start (no Dask, no scheduler at the address), 3 when the output could not be written, 130 and 143 "
        "when interrupted (SIGINT, SIGTERM).",
    )
    parser.add_argument("roots", nargs="+", metavar="ROOT", help="a folder to walk, or a file to take")
    parser.add_argument("--out", required=True, metavar="OUT", help="the file to write ('-': standard output)")
    parser.add_argument("--format", choices=FORMATS, default="jsonl",
                        help="jsonl: one JSON object per line (default); csv: the summary, as pixloupe-report --csv")
    parser.add_argument("--summary-only", action="store_true",
                        help="JSON objects without the EXIF entries, Photoshop resources, IPTC datasets and XMP")
    parser.add_argument("--resume", action="store_true",
                        help="go on from OUT.partial, which an interrupted or failed run left: its files are not "
                        "analysed again")
    parser.add_argument("--timeout", type=_seconds, metavar="SECONDS",
                        help="time limit of a file that is not a regular file, a FIFO say (default: %.0f)" % _limit(None))
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
    if args.resume and args.out == "-":
        parser.error("--resume goes on from a file: not with --out -")
    return args


def _seconds(text):
    value = float(text)
    if not value > 0:
        raise argparse.ArgumentTypeError("must be more than 0")
    return value


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
        return Client(args.scheduler, timeout="10s"), None
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
    # only the partitions in flight, so they keep what they freed instead,
    # as the command line does: blocks up to 32 MB (a file's segments and
    # Extended XMP, a partition's lines) come from the heap and stay there.
    environment = dict(environment)
    environment.update({"MALLOC_TRIM_THRESHOLD_": "67108864", "MALLOC_MMAP_THRESHOLD_": "33554432"})
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


def scan(client, roots, out, partition_size=PARTITION_SIZE, progress=None, spool=None, *, form="jsonl",
         timeout=None, skip=frozenset()):
    """Analyses every file under roots on the client's cluster and writes
    their lines to the binary stream out. Returns (files written, files
    not ok, folders that could not be read).

    roots: one path (str, bytes or os.PathLike: a plain string is one root)
    or a list of them, made absolute here, on the client: the workers run
    in folders of their own. form: "jsonl", "summary" (JSON Lines without
    the details) or "csv" (rows without the header). timeout: the time limit
    of a file that is not a regular file. skip: the SourceFile names of
    files not to analyse, those of a run resumed.

    spool: a folder that the workers and this process share (a local
    cluster's): the workers hand each partition's lines over as a file
    there rather than through the cluster's connections, which here cost a
    quarter of the scan's time (megabytes a task framed, copied and
    passed between event loops); None: through the connections."""
    from dask.distributed import as_completed
    from distributed.scheduler import KilledWorker

    if form not in ("jsonl", "summary", "csv"):
        raise ValueError(f"form must be jsonl, summary or csv, not {form!r}")
    limit = _limit(timeout)
    walk = _pixloupe.Walk([os.path.abspath(root) for root in _roots(roots)])
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

    def write_refused():
        # What the walk does not read (a FIFO, socket or device in a folder,
        # a folder that cannot be read) has its record, as the command line
        # writes it, at once.
        nonlocal written, not_ok
        for path, reason, code in walk.refused():
            if skip and _written_name(path) in skip:
                continue
            out.write(_pixloupe.failure_line(path, reason, form == "csv", code))
            written += 1
            not_ok += 1

    def submit_ahead():
        nonlocal listed, walk_done
        while not walk_done and len(partitions) < ahead:
            paths = walk.next(partition_size)
            report_problems()
            write_refused()
            walk_done = len(paths) < partition_size
            if skip:
                paths = [path for path in paths if _written_name(path) not in skip]
            if paths:
                listed += len(paths)
                if spool is None:
                    future = client.submit(partition_lines, paths, form, limit, pure=False, retries=1)
                else:
                    future = client.submit(partition_lines_to_spool, paths, spool, form, limit, pure=False,
                                           retries=1)
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
            out.write(b"".join(_pixloupe.failure_line(path, KILLED_REASON, form == "csv", "worker-killed")
                               for path in paths))
            bad = len(paths)
        written += len(paths)
        not_ok += bad
        future.release()
        submit_ahead()
        if progress:
            progress.update(written, listed, walk_done)
    return written, not_ok, problems


class _Failure(Exception):
    """A failure told in one line, with the exit status it ends in."""

    def __init__(self, status, message):
        super().__init__(message)
        self.status = status


class _Interrupted(BaseException):
    """SIGTERM, raised where the scan is so that its cleanup runs."""


def _raise_interrupted(signum, frame):
    raise _Interrupted()


# Spool folders are named with the scan's process id: one whose process is
# gone was left by a scan killed with SIGKILL, and the next scan removes it.
SPOOL_PREFIX = "pixloupe-scan-"


def _remove_stale_spools():
    folder = tempfile.gettempdir()
    with contextlib.suppress(OSError):
        for entry in os.scandir(folder):
            parts = entry.name[len(SPOOL_PREFIX):].split("-", 1)
            if not entry.name.startswith(SPOOL_PREFIX) or not parts[0].isdigit() or len(parts) < 2:
                continue
            try:
                if entry.stat(follow_symlinks=False).st_uid != os.getuid() or not entry.is_dir(follow_symlinks=False):
                    continue
                os.kill(int(parts[0]), 0)
            except ProcessLookupError:
                shutil.rmtree(entry.path, ignore_errors=True)
            except OSError:
                continue


def _make_spool(cleanup):
    """A temporary folder removed by cleanup, or None (the connections
    then) when none can be made."""
    _remove_stale_spools()
    try:
        return cleanup.enter_context(tempfile.TemporaryDirectory(prefix=f"{SPOOL_PREFIX}{os.getpid()}-"))
    except OSError:
        return None


def _written_name(path):
    """A walked path (bytes) as its line's SourceFile: the JSON and CSV
    writers take a name's bytes as UTF-8, or as Latin-1 where they are not."""
    try:
        return path.decode("utf-8")
    except UnicodeDecodeError:
        return path.decode("latin-1")


def _done_files(partial, form):
    """The files whose lines the partial output holds, and the length of
    its complete lines: a line cut short by a kill is dropped."""
    with open(partial, "rb") as file:
        data = file.read()
    # CSV rows end with CR LF (a field may hold a lone LF), JSON lines with LF.
    line_end = b"\r\n" if form == "csv" else b"\n"
    end = data.rfind(line_end) + len(line_end) if line_end in data else 0
    done = set()
    if form == "csv":
        rows = csv.reader(io.StringIO(data[:end].decode("utf-8"), newline=""))
        header = next(rows, None)
        if header is not None and header[:1] != ["SourceFile"]:
            raise _Failure(EXIT_USAGE, f"{partial} is not the CSV of an earlier scan: cannot --resume with --format csv")
        done.update(row[0] for row in rows if row)
    else:
        for line in data[:end].splitlines():
            try:
                done.add(json.loads(line)["SourceFile"])
            except (ValueError, KeyError, TypeError):
                raise _Failure(EXIT_USAGE, f"{partial} is not the JSON Lines of an earlier scan: cannot --resume "
                               "with --format jsonl") from None
    return done, end


class _Output:
    """Where the lines go: OUT.partial beside OUT, renamed to OUT at the
    end; or, for '-' and for a target that is not a regular file (a
    device, a FIFO), that target itself, which cannot be renamed over."""

    def __init__(self, target, form, resume):
        self.target = target
        self.done = frozenset()
        self.wrote = False
        self.direct = target == "-" or (os.path.exists(target) and not os.path.isfile(target))
        self.partial = None if self.direct else target + ".partial"
        try:
            if target == "-":
                self.stream = sys.stdout.buffer
            elif self.direct:
                self.stream = open(target, "wb")
            elif resume and os.path.exists(self.partial):
                self.done, end = _done_files(self.partial, form)
                self.stream = open(self.partial, "r+b")
                self.stream.truncate(end)
                self.stream.seek(end)
                self.wrote = end > 0
            else:
                self.stream = open(self.partial, "wb")
        except OSError as error:
            # Checked before the cluster starts: a bad path costs no start.
            raise _Failure(EXIT_USAGE, f"cannot write {error.filename or target}: {error.strerror}") from None
        if form == "csv" and not self.wrote:
            self.write(_pixloupe.csv_header())

    def write(self, data):
        self.wrote = True
        return self.stream.write(data)

    def fileno(self):
        # Asked by _move_lines just before it writes there.
        self.wrote = True
        return self.stream.fileno()

    def flush(self):
        self.stream.flush()

    def finish(self):
        self.stream.flush()
        if self.partial is not None:
            self.stream.close()
            os.replace(self.partial, self.target)

    def abandon(self):
        """After a failure: the partial output is kept for --resume when it
        holds lines, and removed otherwise."""
        if self.stream is sys.stdout.buffer:
            with contextlib.suppress(OSError, ValueError):
                self.stream.flush()
            return
        with contextlib.suppress(OSError):
            self.stream.close()
        if self.partial is not None and not self.wrote:
            with contextlib.suppress(OSError):
                os.unlink(self.partial)


def _import_dask():
    try:
        import dask.distributed  # noqa: F401
    except ImportError as error:
        raise _Failure(EXIT_USAGE, f"Dask is needed (Debian: apt-get install python3-distributed): {error}") from None


def _run(args, progress):
    _import_dask()
    form = "csv" if args.format == "csv" else ("summary" if args.summary_only else "jsonl")
    output = _Output(args.out, form, args.resume)
    try:
        with contextlib.ExitStack() as cleanup:
            try:
                client, cluster = _open_client(args)
            except (OSError, TimeoutError) as error:
                raise _Failure(EXIT_USAGE, f"cannot start the scan's cluster: {error}") from None
            # Closed in the reverse order: the client first, which would
            # otherwise try to reach the cluster's closed scheduler again.
            if cluster is not None:
                cleanup.callback(cluster.close)
            cleanup.callback(client.close)
            # A cluster of our own runs on this machine: its workers hand
            # their lines over through a folder of ours.
            spool = None if cluster is None else _make_spool(cleanup)
            try:
                _, not_ok, problems = scan(client, args.roots, output, args.partition_size, progress, spool,
                                           form=form, timeout=args.timeout, skip=output.done)
                output.finish()
            except OSError as error:
                raise _Failure(EXIT_OUTPUT, f"cannot write {args.out}: {error.strerror or error}") from None
            progress.finish()
    except BaseException:
        output.abandon()
        if output.partial is not None and output.wrote:
            sys.stderr.write(f"pixloupe.scan: the files written so far are in {output.partial} (--resume goes on)\n")
        raise
    return 1 if not_ok or problems else 0


def _quiet_standard_output():
    """After a broken pipe: the interpreter's own flush at exit would fail
    again, with a message of its own."""
    with contextlib.suppress(OSError, ValueError):
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, sys.stdout.fileno())


def main(argv=None):
    args = _parse_arguments(argv)
    progress = _Progress(args.progress)
    previous = signal.signal(signal.SIGTERM, _raise_interrupted)
    try:
        return _run(args, progress)
    except _Failure as failure:
        sys.stderr.write(f"pixloupe.scan: {failure}\n")
        if failure.status == EXIT_OUTPUT and args.out == "-":
            _quiet_standard_output()
        return failure.status
    except KeyboardInterrupt:
        sys.stderr.write("pixloupe.scan: interrupted\n")
        return EXIT_SIGINT
    except _Interrupted:
        sys.stderr.write("pixloupe.scan: terminated\n")
        return EXIT_SIGTERM
    finally:
        signal.signal(signal.SIGTERM, previous)


if __name__ == "__main__":
    sys.exit(main())
