#!/bin/sh
# Runs each fuzz target in turn for the given number of seconds, one process
# at a time at the lowest priority, and reports what it found.
#
# usage: fuzz/run-fuzzers.sh SECONDS_PER_TARGET [TARGET...]
#
#   PIXLOUPE_FUZZ_BUILD  build folder holding the targets (default: build-fuzz)
#   PIXLOUPE_FUZZ_WORK   where the growing corpora, logs and crash files live,
#                        kept between runs (default: $PIXLOUPE_FUZZ_BUILD/fuzz-work)
#   PIXLOUPE_CORPUS      the shared JPEG corpus that more seeds come from, when
#                        present (the project's photographs always give some)
#
# Exit status 0 when no target found anything, 1 otherwise, 2 for bad usage.
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${1:-}
case "$seconds" in
    ''|*[!0-9]*) echo "usage: $0 SECONDS_PER_TARGET [TARGET...]" >&2; exit 2 ;;
esac
shift
targets=${*:-fuzz_whole_file fuzz_tiff_file fuzz_exif_block fuzz_photoshop_block fuzz_xmp_packet fuzz_xmp_properties fuzz_bmff_file fuzz_png_file fuzz_webp_file}
build=${PIXLOUPE_FUZZ_BUILD:-$root/build-fuzz}
work=${PIXLOUPE_FUZZ_WORK:-$build/fuzz-work}
corpus=${PIXLOUPE_CORPUS:-$root/../shared/corpus}

mkdir -p "$work/seeds" "$work/logs"
python3 "$here/make-seeds.py" "$root/tests/photos" "$work/seeds" || exit 2
python3 "$here/make-seeds.py" "$root/tests/xmp/photos" "$work/seeds" || exit 2
if [ -d "$corpus" ]; then
    python3 "$here/make-seeds.py" "$corpus" "$work/seeds" || exit 2
fi

found=0
for t in $targets; do
    exe="$build/fuzz/$t"
    if [ ! -x "$exe" ]; then
        echo "$t: not built ($exe); build with -DPIXLOUPE_FUZZ=ON and make fuzz_targets" >&2
        found=1
        continue
    fi
    case "$t" in
        fuzz_whole_file|fuzz_tiff_file|fuzz_bmff_file|fuzz_png_file|fuzz_webp_file) maxlen=300000 ;;
        *) maxlen=70000 ;;
    esac
    dict=""
    [ -f "$here/$t.dict" ] && dict="-dict=$here/$t.dict"
    mkdir -p "$work/corpus/$t" "$work/artifacts/$t"
    log="$work/logs/$t.log"
    echo "== $t for ${seconds}s (log: $log)"
    : >"$log"
    started=$(date +%s)
    left=$seconds
    total_runs=0
    status=0
    while [ "$left" -gt 0 ]; do
        # Leaks are checked after every input; an input slower than 5 s is a finding.
        nice -n 19 "$exe" -max_total_time="$left" -rss_limit_mb=2048 -timeout=5 -max_len="$maxlen" \
            -print_final_stats=1 -artifact_prefix="$work/artifacts/$t/" $dict \
            "$work/corpus/$t" "$work/seeds/$t" >"$log.part" 2>&1
        status=$?
        cat "$log.part" >>"$log"
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log.part" | tail -1)
        total_runs=$((total_runs + ${runs:-0}))
        [ "$status" -eq 0 ] && break
        # On a machine shared at low priority a starved process can miss the
        # timeout on an input that is in fact quick: an input that passes
        # well within the limit on its own was the machine, not the code.
        unit=$(sed -n 's/.*Test unit written to \(.*timeout-.*\)$/\1/p' "$log.part" | tail -1)
        if [ -n "$unit" ] && [ -f "$unit" ] && timeout 2 "$exe" -runs=1 "$unit" >/dev/null 2>&1; then
            mkdir -p "$work/artifacts/$t/starved"
            mv "$unit" "$work/artifacts/$t/starved/"
            echo "   timeout on a quick input (machine load), resumed: $(basename "$unit")"
            status=0
            left=$((seconds - ($(date +%s) - started)))
            continue
        fi
        break
    done
    rm -f "$log.part"
    size=$(ls "$work/corpus/$t" | wc -l)
    echo "   exit $status, $total_runs executions, corpus $size files"
    if [ "$status" -ne 0 ]; then
        found=1
        grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" | tail -8
    fi
done
exit $found
