#!/usr/bin/env python3
"""Checks that the window shows, for every file of a folder, exactly what the
native command line reports: the three text panes word for word and the
thumbnail's pixel size.

  check-window-panes.py PIXLOUPE_REPORT PANE_DUMP_EXE FOLDER [EMULATOR...]

PIXLOUPE_REPORT is the native pixloupe-report (empty: taken from the
environment variable of that name). PANE_DUMP_EXE is pixloupe-pane-dump.exe,
run through EMULATOR (default: scripts/wine-run.sh). Exit status 0 when every
pane of every file matches, 1 otherwise, 77 (skipped) when FOLDER does not
exist. Notes (*.md) and scripts (*.py) in FOLDER are left out.

How the two sides are made comparable, and why nothing else is needed:
- The window reads the panes with WM_GETTEXT, which gives each paragraph end
  as CR LF. The rich edit turns every CR, LF or CR LF it is given into one
  paragraph end, so the dump writes each as one LF; here every CR that the
  command line leaves (it drops only those before an LF) becomes an LF too.
- The window's text goes in through EM_REPLACESEL, which takes NUL-terminated
  strings: the window leaves NUL bytes out, and so does this comparison.
- The window names a file by its Windows path (drive Z: is the Unix root);
  that path is put back to the Unix one before comparing.
- Both sides run with TZ=UTC, so the file date in the summary agrees.
"""
import os
import subprocess
import sys
import tempfile

PANES = ["jpeg", "exif", "iptc", "thumbnail"]


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def native_pane(report, path, pane):
    result = subprocess.run([report, "--pane=" + pane, "--color=never", path],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            env=dict(os.environ, TZ="UTC"), timeout=60)
    return result.stdout.replace(b"\r", b"\n").replace(b"\0", b"")


def window_pane(folder, index, pane, path):
    with open(os.path.join(folder, "%d.%s" % (index, pane)), "rb") as f:
        text = f.read()
    # The window's own charset is code page 932; the path is ASCII here or
    # the same bytes on both sides.
    return text.replace(windows_path(path).encode("latin-1"), path.encode("latin-1"))


def first_difference(a, b):
    lines_a = a.split(b"\n")
    lines_b = b.split(b"\n")
    for n, (x, y) in enumerate(zip(lines_a, lines_b)):
        if x != y:
            return "line %d: native %r, window %r" % (n + 1, x, y)
    return "native has %d lines, window %d" % (len(lines_a), len(lines_b))


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    report = argv[1] or os.environ.get("PIXLOUPE_REPORT", "")
    dump = argv[2]
    folder = os.path.realpath(argv[3])
    emulator = argv[4:] or [os.path.join(os.path.dirname(os.path.realpath(__file__)), "wine-run.sh")]
    if not report or not os.access(report, os.X_OK):
        sys.stderr.write("check-window-panes: no native pixloupe-report: pass its path or set PIXLOUPE_REPORT\n")
        return 1
    if not os.path.isdir(folder):
        print("check-window-panes: no folder %s (set PIXLOUPE_CORPUS): skipped" % folder)
        return 77
    files = sorted(os.path.join(root, name)
                   for root, _, names in os.walk(folder) for name in names
                   if not name.endswith((".md", ".py")))
    if not files:
        sys.stderr.write("check-window-panes: no files in %s\n" % folder)
        return 1
    with tempfile.TemporaryDirectory(prefix="pixloupe-panes-") as work:
        work = os.path.realpath(work)
        out = os.path.join(work, "out")
        os.mkdir(out)
        listing = os.path.join(work, "list.txt")
        with open(listing, "wb") as f:
            for path in files:
                f.write(windows_path(path).encode("latin-1") + b"\r\n")
        run = subprocess.run(emulator + [dump, windows_path(out), windows_path(listing)],
                             env=dict(os.environ, TZ="UTC"), timeout=1800)
        if run.returncode != 0:
            sys.stderr.write("check-window-panes: the pane dump failed (%d)\n" % run.returncode)
            return 1
        failures = 0
        for index, path in enumerate(files):
            for pane in PANES:
                native = native_pane(report, path, pane)
                window = window_pane(out, index, pane, path)
                if native != window:
                    failures += 1
                    print("MISMATCH %s [%s] %s" % (os.path.relpath(path, folder), pane,
                                                   first_difference(native, window)))
        print("%d files, %d panes compared, %d differ" % (len(files), len(files) * len(PANES), failures))
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
