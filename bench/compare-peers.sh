#!/usr/bin/env bash
# Times pixloupe-report against the peer readers exiv2 and exiftool, and
# against the read-to-SOS floor, on the same JPEG files in one run.
#
# usage: bench/compare-peers.sh [--list] [BUILD_DIR] [CORPUS_DIR]
#   --list      print the files measured, one per line, and stop (for
#               profiling the same files: ... --list | xargs -d '\n' ...)
#   BUILD_DIR   a build with -DPIXLOUPE_BENCH=ON (default: build-bench next to
#               this script's folder); needs pixloupe-report and bench/read_to_sos
#   CORPUS_DIR  folder searched at any depth for files that begin with the
#               JPEG start-of-image bytes FF D8 (default: ../shared/corpus)
#   RUNS=N      timed runs of each command over the file list (default 7)
#   EACH_RUNS=N timed runs of each one-process-per-file loop (default 3)
#
# Every command runs once untimed first (warm page cache), then RUNS times;
# the best run counts. Wall time is what the user waits; CPU time
# (user + system, children included) is steadier on a shared machine. All
# output goes to /dev/null, so every reader pays for formatting but not for
# a terminal. Ratios are the other command's time over ours: above 1 means
# we are faster; for the floor, ours over the floor.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
listOnly=0
if [[ ${1:-} == --list ]]; then
    listOnly=1
    shift
fi
build=${1:-$here/build-bench}
corpus=${2:-$here/../shared/corpus}
runs=${RUNS:-7}
eachRuns=${EACH_RUNS:-3}
corpus=$(cd "$corpus" && pwd)
ours=$build/pixloupe-report
floor=$build/bench/read_to_sos

files=()
while IFS= read -r -d '' path; do
    [[ $(head -c 2 "$path" | od -An -tx1 | tr -d ' \n') == ffd8 ]] && files+=("$path")
done < <(find "$corpus" -type f -print0 | sort -z)
(( ${#files[@]} > 0 )) || { echo "no JPEG files under $corpus" >&2; exit 2; }
if (( listOnly )); then
    printf '%s\n' "${files[@]}"
    exit 0
fi

for program in "$ours" "$floor"; do
    [[ -x $program ]] || { echo "missing $program: build with -DPIXLOUPE_BENCH=ON" >&2; exit 2; }
done
for peer in exiv2 exiftool; do
    command -v "$peer" >/dev/null || { echo "missing peer reader $peer" >&2; exit 2; }
done

# One process per file, as a user's loop or a file manager would run it.
EachFile() {
    local path
    for path in "${files[@]}"; do "$@" "$path" || true; done
}
ListOurs()     { "$ours" --pane=all --color=never "${files[@]}" || true; }
ListExiv2()    { exiv2 -pa "${files[@]}" || true; }
ListExiftool() { exiftool "${files[@]}" || true; }
ListFloor()    { "$floor" "${files[@]}" || true; }
EachOurs()     { EachFile "$ours" --pane=all --color=never; }
EachExiv2()    { EachFile exiv2 -pa; }
EachExiftool() { EachFile exiftool; }
EachFloor()    { EachFile "$floor"; }

timing=$(mktemp)
trap 'rm -f "$timing"' EXIT

# Sets bestWall and bestCpu (seconds, as text) for the best of count runs,
# and outputBytes to what the command printed, so a reader that failed
# quickly cannot pass for a fast one.
BestOf() {
    local count=$1 command=$2 i wall user sys cpu
    bestWall="" bestCpu=""
    # Untimed: warms the page cache and the peers' own files.
    outputBytes=$("$command" 2>/dev/null | wc -c)
    local TIMEFORMAT='%3R %3U %3S'
    for (( i = 0; i < count; i++ )); do
        { time "$command" >/dev/null 2>&1; } 2>"$timing"
        read -r wall user sys <"$timing"
        cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
        if [[ -z $bestWall ]] || awk -v a="$wall" -v b="$bestWall" 'BEGIN { exit !(a < b) }'; then bestWall=$wall; fi
        if [[ -z $bestCpu ]] || awk -v a="$cpu" -v b="$bestCpu" 'BEGIN { exit !(a < b) }'; then bestCpu=$cpu; fi
    done
}

Ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", a / b; else printf "-" }'; }

# The figures print as Markdown tables, ready for bench/RESULTS.md.
echo "- files: ${#files[@]} JPEG files under $corpus"
echo "- machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), load at start $(cut -d' ' -f1-3 /proc/loadavg)"
echo "- versions: $("$ours" --version), exiv2 $(exiv2 --version | head -1 | awk '{print $2}'), exiftool $(exiftool -ver)"
echo "- best of $runs runs (one process over the list), best of $eachRuns (one process per file)"

Row() {  # label wall cpu wallRatio cpuRatio outputBytes
    printf '| %-34s | %8s | %8s | %10s | %10s | %12s |\n' "$@"
}

for mode in List Each; do
    count=$runs
    [[ $mode == Each ]] && count=$eachRuns
    declare -A wall=() cpu=() bytes=()
    for reader in Ours Exiv2 Exiftool Floor; do
        BestOf "$count" "$mode$reader"
        wall[$reader]=$bestWall
        cpu[$reader]=$bestCpu
        bytes[$reader]=$outputBytes
    done
    echo
    if [[ $mode == List ]]; then echo "One process over all ${#files[@]} files:"; else echo "One process per file:"; fi
    echo
    Row command "wall s" "cpu s" "wall ratio" "cpu ratio" "output bytes"
    Row "---" "---:" "---:" "---:" "---:" "---:"
    Row "pixloupe-report --pane=all" "${wall[Ours]}" "${cpu[Ours]}" 1.0 1.0 "${bytes[Ours]}"
    Row "exiv2 -pa" "${wall[Exiv2]}" "${cpu[Exiv2]}" \
        "$(Ratio "${wall[Exiv2]}" "${wall[Ours]}")" "$(Ratio "${cpu[Exiv2]}" "${cpu[Ours]}")" "${bytes[Exiv2]}"
    Row "exiftool" "${wall[Exiftool]}" "${cpu[Exiftool]}" \
        "$(Ratio "${wall[Exiftool]}" "${wall[Ours]}")" "$(Ratio "${cpu[Exiftool]}" "${cpu[Ours]}")" "${bytes[Exiftool]}"
    # The floor's ratio is the other way round: how far above it we are.
    Row "read_to_sos (floor; ratio ours/it)" "${wall[Floor]}" "${cpu[Floor]}" \
        "$(Ratio "${wall[Ours]}" "${wall[Floor]}")" "$(Ratio "${cpu[Ours]}" "${cpu[Floor]}")" "${bytes[Floor]}"
    unset wall cpu bytes
done
echo
echo "- load at end $(cut -d' ' -f1-3 /proc/loadavg)"
