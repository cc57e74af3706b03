#!/usr/bin/env python3
"""Fails when the core library holds writable data: state at namespace
scope, a function-local static or a thread_local variable. Analyses share
nothing only if there is none. Tables that are constant once relocated
(.data.rel.ro), the compiler's references to its exception personality
(DW.ref.*) and what a sanitizer build adds to every object (__odr_asan.*,
__asan_*) are not state.

usage: writable_data_check.py LIBRARY.a"""
import re
import subprocess
import sys

# objdump -t: address, seven flag characters (the last is the kind, O for
# an object), section, a tab, size, name.
LINE = re.compile(r"^[0-9a-f]+ (.{7}) (\S+)\t[0-9a-f]+ (.*)$")
WRITABLE = re.compile(r"^\.(bss|data|tbss|tdata)(\..*)?$")


def WritableObjects(table):
    for line in table.splitlines():
        match = LINE.match(line)
        if not match:
            continue
        flags, section, name = match.groups()
        words = name.split()
        name = words[-1] if words else ""  # after any visibility word such as .hidden
        if flags[6] != "O" or not WRITABLE.match(section):
            continue
        if section.startswith(".data.rel.ro") or name.startswith(("DW.ref.", "__odr_asan", "__asan_", "__tsan_")):
            continue
        yield f"{section} {name}"


def main():
    table = subprocess.run(["objdump", "-t", sys.argv[1]], capture_output=True, text=True, check=True).stdout
    if not any(LINE.match(line) for line in table.splitlines()):
        print("objdump listed no symbols: nothing was checked", file=sys.stderr)
        return 1
    objects = sorted(set(WritableObjects(table)))
    for found in objects:
        print("writable data in the core:", found)
    return 1 if objects else 0


if __name__ == "__main__":
    sys.exit(main())
