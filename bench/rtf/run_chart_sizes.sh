#!/bin/sh
# Picture-size benchmark: a report of ten 6 x 4 inch charts (enhanced
# metafiles) converted by TALPDF and by TalRTF in each picture setting; prints
# each document's size and its ratio to the PDF's. The RTF is to stay within
# 3 x the PDF.
# Usage: bench/rtf/run_chart_sizes.sh [BUILD_DIR] [KEEP_DIR]
set -eu
build=${1:-build}
work=${2:-}
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
ninja -C "$build" TalRTF TALPDF rtf_chart_report >/dev/null
"$build/bench/rtf/rtf_chart_report" "$work/charts.ndr"
"$build/apps/TALPDF" -q -o "$work/charts.pdf" "$work/charts.ndr"
pdf=$(stat -c %s "$work/charts.pdf")
printf "%-24s %12s %8s\n" document bytes "x PDF"
printf "%-24s %12d %8.2f\n" PDF "$pdf" 1
for output in higher smaller; do
    for encoding in hex binary; do
        out="$work/charts-$output-$encoding.rtf"
        "$build/apps/TalRTF" -q --image-output $output --image-encoding $encoding -o "$out" "$work/charts.ndr"
        size=$(stat -c %s "$out")
        printf "%-24s %12d %8.2f\n" "RTF $output $encoding" "$size" "$(echo "$size / $pdf" | bc -l)"
    done
done
