#!/bin/sh
# Whole-process benchmark: a generated 2,000-page report (60 text lines in
# two standard fonts and 40 shapes a page) converted by TALPDF -o, beside the
# same pages drawn with cairo's PDF surface. Prints pages per second of both
# and the peak memory of each run. Then 200 such pages in two embedded faces
# (DejaVu Sans and Serif), with the fonts cut to what prints and whole.
# Usage: bench/pdf/run_pdf_bench.sh [BUILD_DIR]   (default: build)
set -eu
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pages=2000

ninja -C "$build" TALPDF pdf_bench_report pdf_bench_cairo >/dev/null
"$build/bench/pdf/pdf_bench_report" "$work/bench.ndr"

measure() { # name command...
    name=$1; shift
    /usr/bin/time -v "$@" 2>"$work/$name.time" >/dev/null
    secs=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/$name.time" |
        awk -F: '{ if (NF == 3) print $1 * 3600 + $2 * 60 + $3; else print $1 * 60 + $2 }')
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/$name.time")
    echo "$name $secs $kb"
}

talpdf=$(measure talpdf "$build/apps/TALPDF" -q -o "$work/talpdf.pdf" "$work/bench.ndr")
cairo=$(measure cairo "$build/bench/pdf/pdf_bench_cairo" "$work/cairo.pdf")
size=$(stat -c %s "$work/talpdf.pdf")
csize=$(stat -c %s "$work/cairo.pdf")

echo "$talpdf $size" "$cairo $csize" | awk -v pages=$pages '{
    printf "%-8s %10s %12s %14s %14s\n", "writer", "seconds", "pages/s", "peak MB", "output MB"
    printf "%-8s %10.2f %12.0f %14.1f %14.1f\n", $1, $2, pages / $2, $3 / 1024, $4 / 1048576
    printf "%-8s %10.2f %12.0f %14.1f %14.1f\n", $5, $6, pages / $6, $7 / 1024, $8 / 1048576
    printf "speed ratio (TALPDF / cairo): %.1f\n", ($6 / $2)
    printf "memory budget (2.5 x output + 50 MB): %.1f MB\n", 2.5 * $4 / 1048576 + 50
}'

"$build/bench/pdf/pdf_bench_report" "$work/faces.ndr" 200 "DejaVu Sans" "DejaVu Serif"
subset=$(measure subset "$build/apps/TALPDF" -q -o "$work/subset.pdf" "$work/faces.ndr")
whole=$(measure whole "$build/apps/TALPDF" -q --no-subset -o "$work/whole.pdf" "$work/faces.ndr")
ssize=$(stat -c %s "$work/subset.pdf")
wsize=$(stat -c %s "$work/whole.pdf")
echo "$subset $ssize" "$whole $wsize" | awk '{
    printf "\n200 pages in two embedded faces\n"
    printf "%-8s %10s %12s %14s %14s\n", "fonts", "seconds", "pages/s", "peak MB", "output MB"
    printf "%-8s %10.2f %12.0f %14.1f %14.2f\n", $1, $2, 200 / $2, $3 / 1024, $4 / 1048576
    printf "%-8s %10.2f %12.0f %14.1f %14.2f\n", $5, $6, 200 / $6, $7 / 1024, $8 / 1048576
}'
