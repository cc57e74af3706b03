"""Pixloupe: the metadata of JPEG files (EXIF, GPS, thumbnail, Photoshop
IPTC, XMP, comment and a summary), read without decoding the picture.

    import pixloupe
    data = pixloupe.analyze("photo.jpg")       # the object pixloupe-report --json prints
    data["ok"], data["Summary"]
    pixloupe.analyze_bytes(raw, name="photo.jpg", modified=1700000000)
    pixloupe.panes("photo.jpg")["exif"]         # the panes' texts

Each analysis runs with the interpreter lock released: threads analyse
files in parallel. A file that is not a readable JPEG gives ok False; only
a path that does not exist (FileNotFoundError) or is a folder
(IsADirectoryError) raises.

For a whole archive on a Dask cluster: python3 -m pixloupe.scan --help.
"""

import datetime
import errno
import os

from . import _pixloupe

__all__ = ["analyze", "analyze_json", "analyze_bytes", "panes", "PANES"]

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


def analyze(path):
    """The analysis of the file at path as a dict: the object that
    `pixloupe-report --json PATH` prints for it (ok False when the file is
    not a readable JPEG). Raises FileNotFoundError or IsADirectoryError
    when the path is not a file."""
    data, state = _pixloupe.analyze_file(_path_bytes(path))
    _raise_for_state(state, path)
    return data


def analyze_json(path):
    """The same object as JSON text: the line `pixloupe-report --jsonl PATH`
    prints, without its line end. Cheaper than analyze when the object is
    only written out: the interpreter lock is held only to make the str, so
    threads calling it keep both cores busy even on small files, where
    building analyze's dict takes about a third of the time."""
    text, state = _pixloupe.analyze_file_json(_path_bytes(path))
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


def panes(path):
    """The four panes' texts of the file at path, as a dict keyed by PANES:
    each as `pixloupe-report --pane=NAME --color=never PATH` prints it.

    The panes hold the file's own bytes where it has text (comments, IPTC
    captions in any character set), so the texts are decoded from UTF-8
    with 'surrogateescape': text.encode('utf-8', 'surrogateescape') gives
    back the exact bytes printed. Raises like analyze for a path that is
    not a file; a file that is not a readable JPEG has panes that say why."""
    state, *texts = _pixloupe.pane_texts(_path_bytes(path))
    _raise_for_state(state, path)
    return {pane: text.decode("utf-8", "surrogateescape") for pane, text in zip(PANES, texts)}
