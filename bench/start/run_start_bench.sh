#!/bin/sh
# Start benchmark: one-page conversions by TALPDF -o and TalRTF -o timed as
# whole processes (RUNS runs each after one to warm the page cache), beside
# a tiny cairo program that writes one PDF page and /bin/true. Two reports:
# one page of the RTF benchmark (60 text lines in Arial and Times New Roman,
# 40 shapes) and the same page with shapes only (no face is measured).
# The documents go to a tmpfs folder when there is one (/dev/shm): the
# engines put each document on the disk (fsync) before they finish, which
# on a slow disk alone takes longer than the whole start.
# Prints min and median of the wall-clock and of the processor time.
# With BASELINE_DIR, the TALPDF and TalRTF found there run beside.
# Usage: bench/start/run_start_bench.sh [BUILD_DIR [BASELINE_DIR]]   (default: build)
#        RUNS=n to change the number of runs (default 20).
set -eu
build=${1:-build}
baseline=${2:-}
runs=${RUNS:-20}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then work=$(mktemp -d -p /dev/shm); else work=$(mktemp -d); fi
trap 'rm -rf "$work"' EXIT

ninja -C "$build" TALPDF TalRTF rtf_bench_report start_timer start_cairo_page >/dev/null
"$build/bench/rtf/rtf_bench_report" "$work/text.ndr" 1
"$build/bench/rtf/rtf_bench_report" "$work/shapes.ndr" 1 0
timer="$build/bench/start/start_timer $runs"

$timer "true" /bin/true
$timer "cairo one page" "$build/bench/start/start_cairo_page" "$work/cairo.pdf"
for report in text shapes; do
    for program in TALPDF TalRTF; do
        $timer "$program $report" "$build/apps/$program" -q -o "$work/out" "$work/$report.ndr"
        if [ -n "$baseline" ] && [ -x "$baseline/$program" ]; then
            $timer "$program $report (base)" "$baseline/$program" -q -o "$work/out" "$work/$report.ndr"
        fi
    done
done
