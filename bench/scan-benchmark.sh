#!/usr/bin/env bash
# The cluster scan beside the command line over the same tree of COUNT files:
#   pixloupe-report -r --jsonl -j 2 TREE > /dev/null
#   python3 -m pixloupe.scan TREE --out OUT --workers 2     (a local cluster of 2 workers)
# and the scan over an empty folder, which is only the start and stop of its
# cluster. Best of RUNS, the two commands taking turns so that both see the
# same machine; prints files a second and the scan's share of the command
# line's rate, end to end and without the cluster's start.
#
# usage: bench/scan-benchmark.sh [COUNT] [TREE] [CORPUS_DIR]
#   COUNT default 20000; TREE default /tmp/pixloupe-scan-tree; RUNS default 5
#   BUILD: the build folder with pixloupe-report and python/ (default build,
#   configured with -DPIXLOUPE_PYTHON=ON)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-20000}
tree=${2:-/tmp/pixloupe-scan-tree}
corpus=${3:-$here/../shared/corpus}
build=$(cd "${BUILD:-$here/build}" && pwd)
runs=${RUNS:-5}
python=${PYTHON:-/usr/bin/python3}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# A tree from an earlier run with the same count is used again.
if [ "$(find "$tree" -type f 2>/dev/null | wc -l)" -ne "$count" ]; then
  bash "$here/bench/make-tree.sh" "$count" "$tree" "$corpus"
fi
mkdir -p "$out/empty"
files=$( ("$build/pixloupe-report" -r --jsonl -j 2 "$tree" || true) | wc -l)

# Seconds (with milliseconds) that a command takes; its exit status 1 (a
# broken file in the tree) is not a failure here.
Seconds() {
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null || [ $? -eq 1 ]
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}
Scan() { PYTHONPATH="$build/python" "$python" -m pixloupe.scan "$@" --workers 2 --no-progress; }
Min() { printf '%s\n' "$@" | sort -g | head -1; }

cli=() scan=() start=()
for ((run = 0; run < runs; run++)); do
  cli+=("$(Seconds "$build/pixloupe-report" -r --jsonl -j 2 "$tree")")
  scan+=("$(Seconds Scan "$tree" --out "$out/metadata.jsonl")")
  start+=("$(Seconds Scan "$out/empty" --out "$out/empty.jsonl")")
done
[ "$(wc -l < "$out/metadata.jsonl")" -eq "$files" ] || { echo "the scan wrote a different count of lines" >&2; exit 1; }

best_cli=$(Min "${cli[@]}") best_scan=$(Min "${scan[@]}") best_start=$(Min "${start[@]}")
Calc() { awk "BEGIN { printf \"%.${1}f\", $2 }"; }
Rate() { Calc 0 "$files / $1"; }
echo "files: $files in $tree; best of $runs runs; $(nproc) cores; $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "pixloupe-report -r --jsonl -j 2:        ${best_cli} s  $(Rate "$best_cli") files/s   (runs: ${cli[*]})"
echo "pixloupe.scan --workers 2, end to end:  ${best_scan} s  $(Rate "$best_scan") files/s   (runs: ${scan[*]})"
echo "pixloupe.scan over an empty folder:     ${best_start} s  (cluster start and stop; runs: ${start[*]})"
scan_only=$(Calc 3 "$best_scan - $best_start")
echo "pixloupe.scan without the cluster start: ${scan_only} s  $(Rate "$scan_only") files/s"
echo "scan rate over command line rate: end to end $(Calc 2 "$best_cli / $best_scan")," \
  "without the cluster start $(Calc 2 "$best_cli / $scan_only")"
