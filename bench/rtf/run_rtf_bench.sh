#!/bin/sh
# Whole-process benchmark: a generated 2,000-page report (60 text lines in
# two standard fonts and 40 shapes a page) converted by TalRTF -o, and by
# TALPDF -o on the same report when it is built. Prints pages per second,
# peak memory and the memory budget (2.5 x output + 50 MB).
# Usage: bench/rtf/run_rtf_bench.sh [BUILD_DIR]   (default: build)
set -eu
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pages=2000

ninja -C "$build" TalRTF rtf_bench_report >/dev/null
"$build/bench/rtf/rtf_bench_report" "$work/bench.ndr"

measure() { # name output command...
    name=$1; output=$2; shift 2
    /usr/bin/time -v "$@" 2>"$work/$name.time" >/dev/null
    secs=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/$name.time" |
        awk -F: '{ if (NF == 3) print $1 * 3600 + $2 * 60 + $3; else print $1 * 60 + $2 }')
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/$name.time")
    echo "$name $secs $kb $(stat -c %s "$output")"
}

{
    measure TalRTF "$work/bench.rtf" "$build/apps/TalRTF" -q -o "$work/bench.rtf" "$work/bench.ndr"
    if ninja -C "$build" TALPDF >/dev/null 2>&1; then
        measure TALPDF "$work/bench.pdf" "$build/apps/TALPDF" -q -o "$work/bench.pdf" "$work/bench.ndr"
    fi
} | awk -v pages=$pages '
    BEGIN { printf "%-8s %10s %10s %10s %10s %12s\n", "engine", "seconds", "pages/s", "peak MB", "output MB", "budget MB" }
    { printf "%-8s %10.2f %10.0f %10.1f %10.1f %12.1f\n", $1, $2, pages / $2, $3 / 1024, $4 / 1048576,
             2.5 * $4 / 1048576 + 50 }'
