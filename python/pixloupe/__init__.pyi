# Types of the package pixloupe.
import datetime
import os
from typing import Any, Iterable, Iterator, overload

__version__: str
PANES: tuple[str, str, str, str]
TIME_LIMIT: float

_Path = str | bytes | os.PathLike[str] | os.PathLike[bytes]

def analyze(path: _Path, timeout: float | None = ...) -> dict[str, Any]: ...
def analyze_json(path: _Path, timeout: float | None = ...) -> str: ...
def analyze_bytes(data: Any, name: str | bytes | os.PathLike[str] = ...,
                  modified: int | float | datetime.datetime | None = ...) -> dict[str, Any]: ...
def panes(path: _Path, timeout: float | None = ...) -> dict[str, str]: ...
@overload
def walk(roots: str | os.PathLike[str] | Iterable[str | os.PathLike[str]],
         extensions: str | Iterable[str] | None = ...) -> Iterator[str]: ...
@overload
def walk(roots: bytes | Iterable[bytes], extensions: str | Iterable[str] | None = ...) -> Iterator[bytes]: ...
