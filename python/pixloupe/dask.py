"""An archive as Dask collections: a DataFrame of the summaries, one row a
file, and a bag of the whole objects.

    import pixloupe.dask
    frame = pixloupe.dask.read_archive("/srv/photos")   # dask.dataframe.DataFrame
    frame[frame.ok].groupby("Model").size().compute()
    objects = pixloupe.dask.to_bag(["/srv/photos", "/srv/scans"])

The files are those pixloupe-report -r takes, walked here, on the client;
each partition's files are analysed by one task with the interpreter lock
released, on whatever scheduler computes the collection.
"""

import json
import os

import dask
import dask.bag
import dask.dataframe
import pandas

from . import _limit, _pixloupe, _roots

__all__ = ["read_archive", "to_bag", "summary_meta", "COLUMN_TYPES"]

PARTITION_SIZE = 500

_CLIENTS = []

# The dtype of a summary fact's column by the type of the fact in the
# facts table, and so how a JSON value becomes a cell of it. A type not
# listed (one new in the table) gets a string column until it is added.
# Dates are ISO 8601 texts: those with an offset or Z are read as the
# instant they name, those without (a camera's clock, zone unknown) as if
# they were UTC, so that one column holds both.
COLUMN_TYPES = {
    "text": "string",
    "list": "string",  # the items joined by ';', as in pixloupe-report --csv
    "integer": "Int64",
    "number": "float64",
    "boolean": "boolean",
    "date": "datetime64[ns, UTC]",
}

# Columns before the facts: from the object's SourceFile, ok and File.
LEADING_COLUMNS = (
    ("SourceFile", "string"),
    ("ok", "boolean"),
    ("File.type", "string"),
    ("File.size", "Int64"),
    ("File.modified", "datetime64[ns, UTC]"),
)


def _cell(value):
    """A JSON value as one cell: a list as its items joined by ';'."""
    if isinstance(value, list):
        return ";".join("" if item is None else str(item) for item in value)
    return value


def _number(value):
    # A number the file cannot give as one (an infinite distance) is text.
    if isinstance(value, str):
        try:
            return float(value)
        except ValueError:
            return float("nan")
    return float("nan") if value is None else float(value)


def _column(values, dtype):
    if dtype == "float64":
        return pandas.Series([_number(value) for value in values], dtype=dtype)
    if dtype.startswith("datetime64"):
        # A text that is no date (none should come) is a missing value, not an error in a partition.
        return pandas.Series(pandas.to_datetime(pandas.Series(values, dtype=object), utc=True, errors="coerce"),
                             dtype=dtype)
    if dtype == "string":
        values = [None if value is None else str(_cell(value)) for value in values]
    return pandas.Series(pandas.array(values, dtype=dtype))


def _columns():
    """(name, dtype, where in the object) of every column, in order."""
    columns = [(name, dtype, None) for name, dtype in LEADING_COLUMNS]
    columns += [(key, COLUMN_TYPES.get(kind, "string"), key) for key, kind in _pixloupe.summary_facts()]
    return columns


def summary_meta():
    """The empty DataFrame whose columns and dtypes every partition has."""
    return _frame([])


def _frame(objects):
    """The summary rows of objects (summary-only JSON objects) as a DataFrame."""
    data = {}
    for name, dtype, key in _columns():
        if key is None:
            section, _, field = name.partition(".")
            values = [(item.get(section) or {}).get(field) if field else item.get(section) for item in objects]
        else:
            values = [(item.get("Summary") or {}).get(key) for item in objects]
        data[name] = _column(values, dtype)
    return pandas.DataFrame(data)


def _objects(paths, refused, limit, summary_only):
    """The objects of a partition's files, then of its refused items (a
    FIFO met in a folder, a folder that cannot be read: ok False, as the
    command line writes them)."""
    lines, _ = _pixloupe.json_lines(paths, limit, summary_only)
    lines += b"".join(_pixloupe.failure_line(path, reason, False, code) for path, reason, code in refused)
    return [json.loads(line) for line in lines.splitlines()]


def _summary_partition(paths, refused, limit):
    return _frame(_objects(paths, refused, limit, True))


def _object_partition(paths, refused, limit):
    return _objects(paths, refused, limit, False)


def _partitions(roots, partition_size):
    """The walk's files in lists of partition_size, each with the items
    refused while it was listed."""
    if partition_size < 1:
        raise ValueError("partition_size must be at least 1")
    walk = _pixloupe.Walk([os.path.abspath(root) for root in _roots(roots)])
    while True:
        paths = walk.next(partition_size)
        refused = walk.refused()
        if paths or refused:
            yield paths, refused
        if len(paths) < partition_size:
            return


def _use_scheduler(scheduler):
    """Makes the cluster of scheduler (an address or a distributed Client)
    the one that computes collections from now on; None leaves Dask's
    default."""
    if scheduler is None:
        return
    from dask.distributed import Client, default_client

    if isinstance(scheduler, Client):
        dask.config.set(scheduler=scheduler)
        return
    try:
        if default_client().scheduler.address == scheduler:
            return
    except ValueError:
        pass
    # Dask holds its default client weakly: this module keeps it.
    _CLIENTS.append(Client(scheduler, set_as_default=True))


def read_archive(roots, *, scheduler=None, partition_size=PARTITION_SIZE, timeout=None):
    """A dask.dataframe.DataFrame of the summaries of the files under roots
    (one path, str, bytes or os.PathLike, or a list of them): one row a
    file, with SourceFile, ok, File.type, File.size and File.modified, then
    one column per fact of the summary, named as in pixloupe-report --csv,
    with the dtype of the fact's type (COLUMN_TYPES): the same in every
    partition, whatever facts its files lack. A fact that holds a list is
    a string of its items joined by ';'.

    scheduler: None, for Dask's default when the frame is computed (a
    distributed Client made before, or else threads); or a Client or the
    address of a running scheduler, made the default. timeout: the time
    limit of a file that is not a regular file (a FIFO)."""
    limit = _limit(timeout)
    _use_scheduler(scheduler)
    meta = summary_meta()
    parts = [dask.delayed(_summary_partition, pure=False)(paths, refused, limit)
             for paths, refused in _partitions(roots, partition_size)]
    if not parts:
        return dask.dataframe.from_pandas(meta, npartitions=1)
    return dask.dataframe.from_delayed(parts, meta=meta, verify_meta=False)


def to_bag(roots, *, partition_size=PARTITION_SIZE, timeout=None):
    """A dask.bag.Bag of the whole objects of the files under roots, each
    the dict pixloupe.analyze gives, in the walk's order."""
    limit = _limit(timeout)
    parts = [dask.delayed(_object_partition, pure=False)(paths, refused, limit)
             for paths, refused in _partitions(roots, partition_size)]
    if not parts:
        return dask.bag.from_sequence([], npartitions=1)
    return dask.bag.from_delayed(parts)
