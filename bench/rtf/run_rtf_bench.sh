#!/bin/sh
# Whole-process benchmark: a generated 2,000-page report (60 text lines in
# two standard fonts and 40 shapes a page) converted by TalRTF -o, and by
# TALPDF -o on the same report when it is built, in ROUNDS paired rounds (the
# engines one after the other in each round, so that both meet the same load).
# Prints the minimum and median of the wall-clock and processor seconds,
# pages per second at the median, peak memory and TalRTF's memory budget
# (1.3 x output + 50 MB). Each round ends with the floor: a program that
# only puts a document of TalRTF's size on the disk, as the engines finish
# one (rtf_write_floor). With BASELINE_DIR, the TalRTF and TALPDF found
# there (an older build's programs) run in the same rounds.
# Usage: bench/rtf/run_rtf_bench.sh [BUILD_DIR [BASELINE_DIR]]   (default: build)
#        ROUNDS=n to change the number of rounds (default 5).
set -eu
build=${1:-build}
baseline=${2:-}
rounds=${ROUNDS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pages=2000

ninja -C "$build" TalRTF rtf_bench_report rtf_write_floor >/dev/null
"$build/bench/rtf/rtf_bench_report" "$work/bench.ndr"
engines="TalRTF=$build/apps/TalRTF"
if ninja -C "$build" TALPDF >/dev/null 2>&1; then engines="$engines TALPDF=$build/apps/TALPDF"; fi
if [ -n "$baseline" ]; then
    for program in TalRTF TALPDF; do
        if [ -x "$baseline/$program" ]; then engines="$engines $program-baseline=$baseline/$program"; fi
    done
fi
engines="$engines floor=$build/bench/rtf/rtf_write_floor"

measure() { # name program: one line "name wall cpu kb bytes"
    name=$1; program=$2
    rm -f "$work/out.$name"
    if [ "$name" = floor ]; then
        /usr/bin/time -f "%e %U %S %M" -o "$work/$name.time" "$program" "$work/out.$name" "$(stat -c %s "$work/out.TalRTF")"
    else
        /usr/bin/time -f "%e %U %S %M" -o "$work/$name.time" "$program" -q -o "$work/out.$name" "$work/bench.ndr"
    fi
    read -r wall user sys kb < "$work/$name.time"
    echo "$name $wall $(echo "$user $sys" | awk '{ print $1 + $2 }') $kb $(stat -c %s "$work/out.$name")"
}

round=0
while [ "$round" -lt "$rounds" ]; do
    for engine in $engines; do measure "${engine%%=*}" "${engine#*=}"; done
    round=$((round + 1))
done > "$work/runs"

summary() { # name: "wall-min wall-median cpu-min cpu-median peak-kb bytes"
    grep "^$1 " "$work/runs" | sort -k2 -n | awk '{ w[NR] = $2; k = ($4 > k ? $4 : k); b = $5 } END {
        printf "%s %s %s ", w[1], w[int((NR + 1) / 2)], k; print b }' > "$work/wall"
    grep "^$1 " "$work/runs" | sort -k3 -n | awk '{ c[NR] = $3 } END { print c[1], c[int((NR + 1) / 2)] }' > "$work/cpu"
    read -r wmin wmed kb bytes < "$work/wall"
    read -r cmin cmed < "$work/cpu"
    echo "$wmin $wmed $cmin $cmed $kb $bytes"
}

printf "%-16s %8s %8s %8s %8s %9s %8s %9s %9s\n" engine "wall" "median" "cpu" "median" "pages/s" "peak MB" "output MB" "budget MB"
for engine in $engines; do
    name=${engine%%=*}
    summary "$name" | awk -v name="$name" -v pages=$pages '{
        budget = name ~ /^TalRTF/ ? sprintf("%9.1f", 1.3 * $6 / 1048576 + 50) : "        -"
        printf "%-16s %8.2f %8.2f %8.2f %8.2f %9.0f %8.1f %9.1f %s\n", name, $1, $2, $3, $4, pages / $2, $5 / 1024,
               $6 / 1048576, budget }'
done
echo "($rounds paired rounds; wall and cpu in seconds, min then median; pages/s at the median wall time)"
