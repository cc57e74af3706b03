#!/bin/sh
# Runs a Windows program under Wine; CTest uses this as the cross-compiling
# emulator: wine-run.sh PROGRAM.exe [ARGUMENTS...]
#
# - One fixed Wine prefix, $PIXLOUPE_WINEPREFIX or ~/.pixloupe-wine, made on
#   first use with "wineboot -i" (under a lock, so parallel tests make it once).
# - No Mono/Gecko install dialog (mscoree and mshtml disabled), no debug noise.
# - ja_JP.UTF-8 as locale when it is installed, so the ANSI code page is 932
#   (scripts/setup-japanese-locale.sh installs it).
# - Without a DISPLAY, one shared Xvfb server per prefix is started and reused
#   by later runs (the Wine server of the prefix outlives a single program, so
#   every program of the prefix must see the same display).
#   "wine-run.sh --stop" ends that Xvfb server and the prefix's Wine server.
# The exit status is the program's. When the output is not a terminal it is
# passed on once the program has ended (see the end of this script).
set -eu

prefix=${PIXLOUPE_WINEPREFIX:-$HOME/.pixloupe-wine}
export WINEPREFIX="$prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if command -v wine64 >/dev/null 2>&1; then
    wine=wine64
elif [ -x /usr/lib/wine/wine64 ]; then
    wine=/usr/lib/wine/wine64
else
    wine=wine
fi
if command -v wineserver >/dev/null 2>&1; then
    wineserver=wineserver
else
    wineserver=/usr/lib/wine/wineserver64
fi

xvfbState="$prefix.xvfb"

stopShared() {
    if [ -d "$prefix" ]; then
        "$wineserver" -k 2>/dev/null || true
    fi
    if [ -f "$xvfbState" ]; then
        read -r _ pid < "$xvfbState" || true
        if [ -n "${pid:-}" ]; then kill "$pid" 2>/dev/null || true; fi
        rm -f "$xvfbState"
    fi
}

if [ "${1:-}" = "--stop" ]; then
    stopShared
    exit 0
fi
if [ $# -lt 1 ]; then
    echo "usage: wine-run.sh PROGRAM.exe [ARGUMENTS...] | --stop" >&2
    exit 2
fi

# Japanese locale when available: Wine takes the ANSI code page from LANG.
if locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
fi

mkdir -p "$(dirname "$prefix")"
lock="$prefix.lock"

# Makes the prefix on first use. A half-made prefix (wineboot interrupted)
# lacks the marker and is made again.
ensurePrefix() {
    if [ -f "$prefix/.pixloupe-ready" ]; then return 0; fi
    rm -rf "$prefix"
    "$wine" wineboot -i 9>&- >/dev/null 2>&1 || true
    "$wineserver" -w 9>&-
    if [ ! -f "$prefix/system.reg" ]; then
        echo "wine-run.sh: could not create the Wine prefix $prefix" >&2
        return 1
    fi
    touch "$prefix/.pixloupe-ready"
}

# True when the recorded Xvfb still serves its display. A server that was
# killed may linger as a zombie, so the process state and the display's
# socket are checked, not only the process id.
displayAlive() {
    [ -n "${pid:-}" ] && [ -n "${number:-}" ] || return 1
    state=$(ps -o stat= -p "$pid" 2>/dev/null) || return 1
    case "$state" in Z*|"") return 1 ;; esac
    [ -S "/tmp/.X11-unix/X$number" ]
}

# Starts (or finds) the shared Xvfb server and prints its display number.
ensureDisplay() {
    if [ -f "$xvfbState" ]; then
        read -r number pid < "$xvfbState" || true
        if displayAlive; then
            echo "$number"
            return 0
        fi
        rm -f "$xvfbState"
        # The prefix's Wine server and desktop still belong to the display
        # that is gone: end them, so the next program starts afresh.
        if [ -d "$prefix" ]; then "$wineserver" -k 9>&- >/dev/null 2>&1 || true; fi
    fi
    numberFile=$(mktemp)
    # -displayfd picks a free display number and writes it once the server
    # accepts connections, so there is no race on the number nor on readiness.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$numberFile" 9>&- >/dev/null 2>&1 < /dev/null &
    pid=$!
    tries=0
    while [ ! -s "$numberFile" ] && [ $tries -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    number=$(head -n 1 "$numberFile")
    rm -f "$numberFile"
    if [ -z "$number" ]; then
        kill "$pid" 2>/dev/null || true
        echo "wine-run.sh: Xvfb did not start" >&2
        return 1
    fi
    echo "$number $pid" > "$xvfbState"
    echo "$number"
}

# One run at a time sets up the prefix and the display.
exec 9>"$lock"
flock 9
if [ -z "${DISPLAY:-}" ]; then
    number=$(ensureDisplay)
    export DISPLAY=":$number"
fi
ensurePrefix
# Keep the prefix's Wine server up for a minute after the last program, so a
# run of many test programs does not pay for its start each time (a no-op
# when it is already running).
"$wineserver" -p60 9>&- >/dev/null 2>&1 || true
flock -u 9
exec 9>&-

# Wine starts its background services from the first program of a session,
# and they inherit that program's output. Into a terminal that is harmless,
# but a reader of a pipe (CTest) would wait for them to end as well, a minute
# or more after the program itself. So when the output is not a terminal the
# program writes to files that are copied out once it has ended.
if [ -t 1 ] && [ -t 2 ]; then
    exec "$wine" "$@"
fi
outputs=$(mktemp -d)
trap 'rm -rf "$outputs"' EXIT
status=0
"$wine" "$@" >"$outputs/stdout" 2>"$outputs/stderr" </dev/null || status=$?
cat "$outputs/stdout"
cat "$outputs/stderr" >&2
exit $status
