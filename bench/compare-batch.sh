#!/usr/bin/env bash
# Times pixloupe-report over trees of many files: one job against two, JSON
# Lines against the panes' text, exiftool's JSON over 2,000 of the files,
# and the peak memory of a run over 100,000 files.
#
# usage: bench/compare-batch.sh [BUILD_DIR] [CORPUS_DIR]
#   BUILD_DIR   a build holding pixloupe-report (default: build-bench)
#   CORPUS_DIR  the JPEG files the trees are made of (default: ../shared/corpus)
#   RUNS=N      timed runs of each command (default 5); the best counts
# The trees (hard links, no disk space) are made under BUILD_DIR.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build-bench}" && pwd)
corpus=${2:-$here/../shared/corpus}
runs=${RUNS:-5}
ours=$build/pixloupe-report
[[ -x $ours ]] || { echo "missing $ours" >&2; exit 2; }

"$here/bench/make-tree.sh" 20000 "$build/tree-20k" "$corpus"
"$here/bench/make-tree.sh" 2000 "$build/tree-2k" "$corpus"
"$here/bench/make-tree.sh" 100000 "$build/tree-100k" "$corpus"

# Best wall time of RUNS runs (after one untimed run), output to /dev/null.
# Exit status 1 (a file of the corpus is no JPEG) is expected.
Best() {
    local best= start end elapsed
    "$@" > /dev/null 2>&1 || true
    for ((i = 0; i < runs; i++)); do
        start=$(date +%s%N)
        "$@" > /dev/null 2>&1 || true
        end=$(date +%s%N)
        elapsed=$(( (end - start) / 1000000 ))
        if [[ -z $best || $elapsed -lt $best ]]; then best=$elapsed; fi
    done
    echo "$best"
}

Rate() { awk -v files="$1" -v ms="$2" 'BEGIN { printf "%.0f", files / (ms / 1000) }'; }
Ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# The machine's own ceiling for two jobs: two -j 1 processes at once, each
# over half of the tree's folders (nothing shared but the machine).
folders=("$build"/tree-20k/copy-*)
half=$(( ${#folders[@]} / 2 ))
TwoProcesses() {
    "$ours" --jsonl -j 1 -r "${folders[@]:0:half}" > /dev/null 2>&1 &
    "$ours" --jsonl -j 1 -r "${folders[@]:half}" > /dev/null 2>&1 || true
    wait || true
}

echo "== 20,000 files, $(nproc) cores, best of $runs"
text1=$(Best "$ours" --color=never -j 1 -r "$build/tree-20k")
json1=$(Best "$ours" --jsonl -j 1 -r "$build/tree-20k")
json2=$(Best "$ours" --jsonl -j 2 -r "$build/tree-20k")
csv2=$(Best "$ours" --csv -j 2 -r "$build/tree-20k")
two=$(Best TwoProcesses)
printf '%-34s %8s ms %8s files/s\n' "panes' text, -j 1" "$text1" "$(Rate 20000 "$text1")"
printf '%-34s %8s ms %8s files/s\n' "--jsonl -j 1" "$json1" "$(Rate 20000 "$json1")"
printf '%-34s %8s ms %8s files/s\n' "--jsonl -j 2" "$json2" "$(Rate 20000 "$json2")"
printf '%-34s %8s ms %8s files/s\n' "--csv -j 2" "$csv2" "$(Rate 20000 "$csv2")"
printf '%-34s %8s ms %8s files/s\n' "two -j 1 processes, half each" "$two" "$(Rate 20000 "$two")"
echo "-j 2 over -j 1 (JSON Lines): $(Ratio "$json1" "$json2") times faster"
echo "two processes over -j 1 (the machine's ceiling): $(Ratio "$json1" "$two") times faster"
echo "JSON Lines over the panes' text (-j 1): $(Ratio "$json1" "$text1") times the time"

if command -v exiftool > /dev/null; then
    echo "== 2,000 files"
    ours2k=$(Best "$ours" --jsonl -j 2 -r "$build/tree-2k")
    # exiftool takes tens of seconds here: one timed run.
    saved=$runs
    runs=1
    peer=$(Best exiftool -r -json -n "$build/tree-2k")
    runs=$saved
    printf '%-34s %8s ms\n' "pixloupe-report --jsonl -j 2" "$ours2k" "exiftool -r -json -n" "$peer"
    echo "exiftool takes $(Ratio "$peer" "$ours2k") times as long"
fi

echo "== 100,000 files, peak memory"
for form in --jsonl --json --csv --color=never; do
    /usr/bin/time -f "$form -j 2: %e s, %M KB peak" "$ours" $form -j 2 -r "$build/tree-100k" > /dev/null 2> "$build/time.txt" || true
    tail -n 1 "$build/time.txt"
done
