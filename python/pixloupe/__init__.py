"""Pixloupe: the metadata of JPEG files (EXIF, GPS, thumbnail, Photoshop
IPTC, XMP, comment and a summary), read without decoding the picture.

    import pixloupe
    data = pixloupe.analyze("photo.jpg")       # the object pixloupe-report --json prints
    data["ok"], data["Summary"]
    pixloupe.analyze_bytes(raw, name="photo.jpg", modified=1700000000)
    pixloupe.panes("photo.jpg")["exif"]         # the panes' texts
    for path in pixloupe.walk("photos"): ...    # the files pixloupe-report -r takes

Each analysis runs with the interpreter lock released: threads analyse
files in parallel. A file that is not a readable JPEG gives ok False; only
a path that does not exist (FileNotFoundError) or is a folder
(IsADirectoryError) raises. A FIFO, terminal or device is read as a
stream for at most TIME_LIMIT seconds (or the timeout given): a FIFO no
one writes to gives ok False and a message whose code is "timeout".

For a whole archive on a Dask cluster: python3 -m pixloupe.scan --help;
as a Dask DataFrame or bag: pixloupe.dask.read_archive, pixloupe.dask.to_bag.
"""

import datetime
import errno
import os

try:
    from . import _pixloupe
except ImportError as error:
    # Run from the source folder python/, "import pixloupe" finds the
    # Python files without the extension that the build puts beside them.
    raise ImportError(
        f"pixloupe's extension _pixloupe is not beside {os.path.dirname(__file__)}: import the built package "
        "(PYTHONPATH=build/python) or the installed one, not the source folder python/pixloupe"
    ) from error

__all__ = ["analyze", "analyze_json", "analyze_bytes", "panes", "walk", "PANES", "TIME_LIMIT", "__version__"]

__version__ = _pixloupe.VERSION

# Seconds that the analysis of a path that is not a regular file (a FIFO,
# a device) may take, waiting for its data included.
TIME_LIMIT = 5.0

# The panes in the window's tab order, as pixloupe-report --pane names them.
PANES = ("jpeg", "thumbnail", "exif", "iptc")

# 100 ns ticks from 1601-01-01 to 1970-01-01 (UTC), the file times' origin.
_TICKS_TO_1970 = 116444736000000000
_TICKS_PER_SECOND = 10_000_000


def _path_bytes(path):
    """The path's bytes as the command line would get them."""
    name = os.fsencode(path)
    if b"\0" in name:
        raise ValueError("embedded null byte in path")
    return name


def _raise_for_state(state, path):
    if state == _pixloupe.MISSING:
        raise FileNotFoundError(errno.ENOENT, os.strerror(errno.ENOENT), path)
    if state == _pixloupe.FOLDER:
        raise IsADirectoryError(errno.EISDIR, os.strerror(errno.EISDIR), path)


def _limit(timeout):
    limit = TIME_LIMIT if timeout is None else float(timeout)
    if not limit > 0:
        raise ValueError("timeout must be a positive number of seconds")
    return limit


def analyze(path, timeout=None):
    """The analysis of the file at path as a dict: the object that
    `pixloupe-report --json PATH` prints for it (ok False when the file is
    not a readable JPEG). Raises FileNotFoundError or IsADirectoryError
    when the path is not a file. timeout: seconds for a path that is not a
    regular file (default TIME_LIMIT)."""
    data, state = _pixloupe.analyze_file(_path_bytes(path), _limit(timeout))
    _raise_for_state(state, path)
    return data


def analyze_json(path, timeout=None):
    """The same object as JSON text: the line `pixloupe-report --jsonl PATH`
    prints, without its line end. Cheaper than analyze when the object is
    only written out: the interpreter lock is held only to make the str, so
    threads calling it keep both cores busy even on small files; analyze
    holds the lock only while the interpreter reads its dict from marshal
    data, a sixth of its time on camera files."""
    text, state = _pixloupe.analyze_file_json(_path_bytes(path), _limit(timeout))
    _raise_for_state(state, path)
    return text


def _modified_ticks(modified):
    """None, POSIX seconds (int or float) or a datetime (naive: local time)
    as 100 ns ticks since 1601 (UTC); -1 for None."""
    if modified is None:
        return -1
    if isinstance(modified, datetime.datetime):
        modified = modified.timestamp()
    if isinstance(modified, bool) or not isinstance(modified, (int, float)):
        raise TypeError("modified must be None, a number of seconds or a datetime")
    if isinstance(modified, int):
        ticks = modified * _TICKS_PER_SECOND
    else:
        # Floored like the file system's times: never a later second.
        seconds = int(modified // 1)
        ticks = seconds * _TICKS_PER_SECOND + int((modified - seconds) * _TICKS_PER_SECOND)
    ticks += _TICKS_TO_1970
    if not 0 <= ticks < 2**63:
        raise ValueError("modified is out of range")
    return ticks


def analyze_bytes(data, name="", modified=None):
    """The analysis of a whole JPEG file held in memory, as a dict like
    analyze's. data is any object with the buffer protocol (bytes,
    bytearray, memoryview, mmap, a NumPy array...), read as its bytes in C
    order: a view with a step or a negative stride is copied into one run
    first, a contiguous one is read where it lies. It is shown under name;
    the size is the number of bytes; modified (None, POSIX seconds or a
    datetime) is the file's modification time, left out of the object when
    None."""
    return _pixloupe.analyze_bytes(data, os.fsencode(name), _modified_ticks(modified))


def panes(path, timeout=None):
    """The four panes' texts of the file at path, as a dict keyed by PANES:
    each as `pixloupe-report --pane=NAME --color=never PATH` prints it.

    The panes hold the file's own bytes where it has text (comments, IPTC
    captions in any character set), so the texts are decoded from UTF-8
    with 'surrogateescape': text.encode('utf-8', 'surrogateescape') gives
    back the exact bytes printed. Raises like analyze for a path that is
    not a file; a file that is not a readable JPEG has panes that say why."""
    state, *texts = _pixloupe.pane_texts(_path_bytes(path), _limit(timeout))
    _raise_for_state(state, path)
    return {pane: text.decode("utf-8", "surrogateescape") for pane, text in zip(PANES, texts)}


def _roots(roots):
    """One root or a list of them (str, bytes or os.PathLike), as bytes: a
    plain string is one root, not a list of one-letter roots."""
    if isinstance(roots, (str, bytes, os.PathLike)):
        roots = [roots]
    return [_path_bytes(root) for root in roots]


def walk(roots, extensions=None):
    """The files that `pixloupe-report -r ROOTS` analyses, in its order, as
    paths of the roots' type (str, or bytes for bytes roots): roots is one
    path or a list of them; a root that is a file is taken whatever its
    name; in folders, names ending in one of extensions (any case, default
    .jpg .jpeg .jpe .jfif), links to folders not followed. What is not a
    regular file (a FIFO, a device) and a folder that cannot be read are
    stepped over: the command line writes only a record of them."""
    given = [roots] if isinstance(roots, (str, bytes, os.PathLike)) else list(roots)
    as_bytes = bool(given) and all(isinstance(os.fspath(root), bytes) for root in given)
    endings = [] if extensions is None else [
        os.fsencode(ending).lstrip(b".").lower() for ending in ([extensions] if isinstance(extensions, str) else extensions)]
    listing = _pixloupe.Walk(_roots(given), endings)
    while True:
        paths = listing.next(256)
        listing.refused()  # not files to analyse: the command line writes only a record of them
        for path in paths:
            yield path if as_bytes else os.fsdecode(path)
        if len(paths) < 256:
            return
