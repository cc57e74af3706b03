#!/bin/sh
# Takes the screenshots of docs/screenshots under Wine, in a display of its
# own, with the Japanese locale (code page 932) and the IPA Gothic fonts:
#   tabbed.png  the Jpeg pane of a GPS photo of the corpus, tabbed mode
#   split.png   the same photo in split mode, thumbnail included
#   about.png   the about box over the window
#   menu.png    the context menu of the tab strip
#   scripts/take-screenshots.sh [BUILD_FOLDER]   (default: build-win)
# BUILD_FOLDER is a Windows build (scripts/build-windows.sh) holding
# app/pixloupe.exe and app/pixloupe-shot-driver.exe. The Wine prefix is
# $PIXLOUPE_SHOT_WINEPREFIX (default: BUILD_FOLDER/screenshot-wine).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=$(cd "${1:-$repo/build-win}" && pwd)
shots="$repo/docs/screenshots"
photo=$(cd "$repo/../shared/corpus/camera/gps" && pwd)/DSCN0010.jpg

for tool in Xvfb xwd convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "take-screenshots.sh: $tool is missing" >&2; exit 1; }
done
for exe in pixloupe pixloupe-shot-driver; do
    [ -f "$build/app/$exe.exe" ] || { echo "take-screenshots.sh: no $build/app/$exe.exe" >&2; exit 1; }
done

export WINEPREFIX="${PIXLOUPE_SHOT_WINEPREFIX:-$build/screenshot-wine}"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 TZ=UTC
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=wineserver

# A display of our own, so that nothing else shows in the pictures.
numberFile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 </dev/null &
xvfb=$!
program=
cleanUp() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    "$wineserver" -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -f "$numberFile"
}
trap cleanUp EXIT
tries=0
while [ ! -s "$numberFile" ] && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
export DISPLAY=":$(head -n 1 "$numberFile")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
    "$wineserver" -w
fi

# The window opens at the top-left corner; the pictures keep its 800 x 600.
# Wine draws a message box into a window that a capture of the root leaves
# black, so each other top-level window of the program is captured on its
# own and laid over the root picture at its place.
shoot() {
    sleep "$2"
    work=$(mktemp -d)
    xwd -root -display "$DISPLAY" | convert xwd:- "$work/root.png"
    xwininfo -root -tree -display "$DISPLAY" |
        grep '("pixloupe.exe"' | grep -v '"Pixloupe":' | grep -v '"Default IME":' |
        while read -r id rest; do
            place=$(echo "$rest" | awk '{print $NF}')
            xwd -id "$id" -display "$DISPLAY" | convert xwd:- -alpha off "$work/top.png"
            convert "$work/root.png" "$work/top.png" -geometry "$place" -composite "$work/root.png"
        done
    convert "$work/root.png" -crop 800x600+0+0 +repage -colors 64 "PNG8:$shots/$1.png"
    rm -rf "$work"
    echo "take-screenshots.sh: $shots/$1.png"
}

mkdir -p "$shots"
windowsPhoto="Z:$(echo "$photo" | tr / '\\')"

# Starts the program on the photo, with nothing else running.
startProgram() {
    if [ -n "$program" ]; then
        kill "$program" 2>/dev/null || true
        "$wineserver" -w 2>/dev/null || true
    fi
    "$wine" "$build/app/pixloupe.exe" "$windowsPhoto" >/dev/null 2>&1 &
    program=$!
}

startProgram
shoot tabbed 8
"$wine" "$build/app/pixloupe-shot-driver.exe" split
shoot split 3
# Menus and the about box are modal: each gets a run of its own.
startProgram
sleep 6
"$wine" "$build/app/pixloupe-shot-driver.exe" menu
shoot menu 4
startProgram
sleep 6
"$wine" "$build/app/pixloupe-shot-driver.exe" about
shoot about 8
