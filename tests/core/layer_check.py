"""The rooms of the code, lowest first: a file may include its own room's
headers and those of lower rooms, never a room beside or above its own.
Run with the source folder; prints each include that breaks the rule."""

import pathlib
import re
import sys

# A room's rank: ground, block decoders, containers, the analysis, outputs,
# many files, front ends. Containers sit above the block decoders because
# a container may read its directories with the EXIF value formats.
RANKS = {
    "report": 0,
    "core": 1,
    "thumbnail": 2,
    "exif": 3, "app13": 3, "xmp": 3, "summary": 3,
    "facts": 4,
    "jpeg": 5, "tiff": 5, "bmff": 5, "png": 5, "webp": 5,
    "analyze": 6,
    "export": 7,
    "batch": 8,
    "cli": 9, "python": 9, "app": 9,
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z0-9_]+)/[^"]+"', re.M)


def breaches(top):
    for room, rank in RANKS.items():
        for path in sorted((top / room).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for included in INCLUDE.findall(path.read_text(errors="replace")):
                if included == room or included not in RANKS:
                    continue
                if RANKS[included] >= rank:
                    yield f"{path.relative_to(top)} includes {included}/ (rank {RANKS[included]} >= {rank})"


if __name__ == "__main__":
    found = list(breaches(pathlib.Path(sys.argv[1])))
    print("\n".join(found) if found else "no include runs sideways or upward")
    sys.exit(1 if found else 0)
