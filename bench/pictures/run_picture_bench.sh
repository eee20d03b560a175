#!/bin/sh
# Whole-process picture benchmark. picture_bench_reports writes three reports
# of 200 pages into a scratch folder: bitmaps.ndr, a different 1000 x 800
# 24-bit bitmap on every page placed by StretchDraw into a 2.5 x 2 inch box
# (750 x 600 pixels at 300 ppi: cairo's smoothing filter reduces it by
# convolution), bitmaps875.ndr, the same bitmaps into a box of 875 x 700
# pixels (reduced by interpolation), and charts.ndr, a
# different chart metafile on every page placed by StretchDraw into a
# 6 x 4 inch box (1800 x 1200 pixels). In ROUNDS paired rounds TALPDF -o
# converts each report and picture_bench_bare does the same picture work with
# the bare libraries (decode, cairo stretch, libjpeg; metafile playback,
# libjpeg), one right after the other so that both meet the same load.
# Prints the minimum and median wall-clock and processor seconds, the
# milliseconds a picture at the median, and the engine / bare ratios (per
# round, then minimum and median). TALPDF --pages 1 on each report (the
# "page1" lines: the program's start, the whole report read into memory and
# one picture) shows what of its time is not the pictures. With
# BASE_TALPDF, an earlier TALPDF runs in the same rounds, and its output is
# compared byte for byte with ours (all but the creation time); the script
# fails when they differ.
# Usage: bench/pictures/run_picture_bench.sh [BUILD_DIR]   (default: build)
#        ROUNDS=n to change the number of rounds (default 5).
set -eu
build=${1:-build}
rounds=${ROUNDS:-5}
base=${BASE_TALPDF:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pictures=200
kinds="bitmaps bitmaps875 charts"

ninja -C "$build" TALPDF picture_bench_reports picture_bench_bare >/dev/null
"$build/bench/pictures/picture_bench_reports" "$work"

measure() { # name command...: one line "name wall cpu"
    name=$1; shift
    /usr/bin/time -f "%e %U %S" -o "$work/$name.time" "$@" >/dev/null
    read -r wall user sys < "$work/$name.time"
    echo "$name $wall $(echo "$user $sys" | awk '{ print $1 + $2 }')"
}

runs() { # kind
    kind=$1
    measure "$kind-TALPDF" "$build/apps/TALPDF" -q -o "$work/$kind.pdf" "$work/$kind.ndr"
    measure "$kind-bare" "$build/bench/pictures/picture_bench_bare" "$kind" "$work/$kind.bin"
    measure "$kind-page1" "$build/apps/TALPDF" -q --pages 1 -o "$work/$kind.page1.pdf" "$work/$kind.ndr"
    if [ -n "$base" ]; then
        measure "$kind-base" "$base" -q -o "$work/$kind.base.pdf" "$work/$kind.ndr"
        # the same bytes but for the time of creation
        grep -av '^/CreationDate' "$work/$kind.pdf" > "$work/a.pdf"
        grep -av '^/CreationDate' "$work/$kind.base.pdf" > "$work/b.pdf"
        if cmp -s "$work/a.pdf" "$work/b.pdf"; then echo "compare $kind same"; else echo "compare $kind DIFFERENT"; fi
    fi
}

round=0
while [ "$round" -lt "$rounds" ]; do
    for kind in $kinds; do runs $kind; done
    round=$((round + 1))
done > "$work/runs"

# min and median of column col of the lines named name
stat() { grep "^$1 " "$work/runs" | sort -k"$2" -g | awk -v c="$2" '{ v[NR] = $c } END { print v[1], v[int((NR + 1) / 2)] }'; }
# per-round ratios of column col, a over b: min and median
ratio() {
    grep "^$1 " "$work/runs" | awk -v c="$3" '{ print $c }' > "$work/a"
    grep "^$2 " "$work/runs" | awk -v c="$3" '{ print $c }' > "$work/b"
    paste "$work/a" "$work/b" | awk '{ print ($2 > 0 ? $1 / $2 : 0) }' | sort -g |
        awk '{ v[NR] = $1 } END { printf "%.2f %.2f", v[1], v[int((NR + 1) / 2)] }'
}

printf "%-16s %8s %8s %8s %8s %12s %12s\n" run wall median cpu median "ms/pic wall" "ms/pic cpu"
names=""
for kind in $kinds; do
    names="$names $kind-TALPDF $kind-bare $kind-page1"
    [ -n "$base" ] && names="$names $kind-base"
done
for name in $names; do
    set -- $(stat "$name" 2) $(stat "$name" 3)
    echo "$name $1 $2 $3 $4" | awk -v n=$pictures '{
        printf "%-16s %8.2f %8.2f %8.2f %8.2f %12.1f %12.1f\n", $1, $2, $3, $4, $5, $3 * 1000 / n, $5 * 1000 / n }'
done
for kind in $kinds; do
    printf "%-16s wall min/median %s   cpu min/median %s\n" "$kind engine/bare" \
        "$(ratio "$kind-TALPDF" "$kind-bare" 2)" "$(ratio "$kind-TALPDF" "$kind-bare" 3)"
    [ -n "$base" ] && printf "%-16s wall min/median %s   cpu min/median %s\n" "$kind base/now" \
        "$(ratio "$kind-base" "$kind-TALPDF" 2)" "$(ratio "$kind-base" "$kind-TALPDF" 3)"
done
if [ -n "$base" ]; then
    echo "outputs the same as BASE_TALPDF's: $(grep -c '^compare .* same' "$work/runs") of $(grep -c '^compare ' "$work/runs")"
    if grep -q '^compare .* DIFFERENT' "$work/runs"; then echo "THE OUTPUTS DIFFER"; exit 1; fi
fi
echo "($rounds paired rounds; seconds, min then median; per picture at the median; $pictures pictures a report)"
