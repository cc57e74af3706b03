# Types of pixloupe.dask.
import os
from typing import Any, Iterable

import dask.bag
import dask.dataframe
import pandas

_Roots = str | bytes | os.PathLike[str] | Iterable[str | bytes | os.PathLike[str]]

COLUMN_TYPES: dict[str, str]
PARTITION_SIZE: int

def summary_meta() -> pandas.DataFrame: ...
def read_archive(roots: _Roots, *, scheduler: Any = ..., partition_size: int = ...,
                 timeout: float | None = ...) -> dask.dataframe.DataFrame: ...
def to_bag(roots: _Roots, *, partition_size: int = ..., timeout: float | None = ...) -> dask.bag.Bag: ...
