#!/bin/sh
# Font-size benchmark: a 22-page text report in three installed faces
# (DejaVu Sans, DejaVu Serif and WenQuanYi Micro Hei, whose whole programs
# are nearly all of the document), converted with whole fonts and with
# subsets; prints each document's size, the bytes of its font programs and
# how much the subsets save.
# Usage: bench/fonts/run_font_sizes.sh [BUILD_DIR]
set -eu
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ninja -C "$build" TALPDF pdf_bench_report >/dev/null
"$build/bench/pdf/pdf_bench_report" --text-only "$work/text.ndr" 22 "DejaVu Sans" "DejaVu Serif" "WenQuanYi Micro Hei"
"$build/apps/TALPDF" -q --no-subset -o "$work/whole.pdf" "$work/text.ndr"
"$build/apps/TALPDF" -q -o "$work/subset.pdf" "$work/text.ndr"
font_bytes() { grep -a -o '/Length1 [0-9]*' "$1" | awk '{ n += $2 } END { print n + 0 }'; }
whole=$(stat -c %s "$work/whole.pdf")
subset=$(stat -c %s "$work/subset.pdf")
printf "%-8s %12s %12s\n" fonts "file bytes" "font bytes"
printf "%-8s %12d %12d\n" whole "$whole" "$(font_bytes "$work/whole.pdf")"
printf "%-8s %12d %12d\n" subset "$subset" "$(font_bytes "$work/subset.pdf")"
echo "$whole $subset" | awk '{ printf "the subsets save %.1f %% of the document\n", 100 * (1 - $2 / $1) }'
