#!/bin/sh
# Cross-compiles Pixloupe for Windows and runs its tests under Wine.
#   scripts/build-windows.sh [BUILD_FOLDER]     (default: build-win in the repository)
# Environment: PIXLOUPE_JOBS (default 2) parallel compile and test jobs,
# PIXLOUPE_BUILD_TYPE (default RelWithDebInfo), PIXLOUPE_WINEPREFIX (see wine-run.sh),
# PIXLOUPE_REPORT (a native pixloupe-report; default build/pixloupe-report if built).
# Exits non-zero when configuring, building or any test fails.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${1:-$repo/build-win}
jobs=${PIXLOUPE_JOBS:-2}

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "build-windows.sh: the ja_JP.UTF-8 locale is missing; tests that need code page 932 will fail." >&2
    echo "build-windows.sh: run scripts/setup-japanese-locale.sh (as root) first." >&2
fi

# Some window tests compare with the native pixloupe-report: take the one of
# the usual native build folder unless PIXLOUPE_REPORT names another.
if [ -z "${PIXLOUPE_REPORT:-}" ] && [ -x "$repo/build/pixloupe-report" ]; then
    PIXLOUPE_REPORT="$repo/build/pixloupe-report"
fi
# The tests on explicitly: "pixloupe run --window" builds the same folder without them.
set -- -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE="${PIXLOUPE_BUILD_TYPE:-RelWithDebInfo}" -DPIXLOUPE_TESTS=ON
if [ -n "${PIXLOUPE_REPORT:-}" ]; then
    set -- "$@" -DPIXLOUPE_REPORT="$PIXLOUPE_REPORT"
fi
cmake -S "$repo" -B "$build" "$@"
cmake --build "$build" -j "$jobs"

# Programs must need no DLL beyond those of Windows itself.
status=0
for exe in $(find "$build" -name '*.exe' -not -path '*/CMakeFiles/*'); do
    extra=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' |
        grep -viE '^(kernel32|user32|gdi32|gdiplus|ole32|oleaut32|comctl32|comdlg32|shell32|shlwapi|advapi32|msvcrt|version|ws2_32|uxtheme|imm32|winmm|rpcrt4|bcrypt|api-ms-win-.*)\.dll$' || true)
    if [ -n "$extra" ]; then
        echo "build-windows.sh: $exe needs a DLL that Windows does not have: $extra" >&2
        status=1
    fi
done

ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600 || status=1
exit $status
