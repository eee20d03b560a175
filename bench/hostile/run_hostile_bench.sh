#!/bin/sh
# Resource-budget benchmark: the hostile reports of make_hostile_reports
# converted by TALPDF and TalRTF; prints wall-clock and CPU seconds, peak
# memory, output size and exit status of each run. The target for every report under 1 MB: within
# 20 s and 1 GB. Each run is stopped after 120 s.
# Usage: bench/hostile/run_hostile_bench.sh [BUILD_DIR]   (default: build)
set -eu
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ninja -C "$build" TALPDF TalRTF make_hostile_reports >/dev/null
"$build/bench/hostile/make_hostile_reports" "$work" >/dev/null

printf "%-26s %-7s %8s %8s %9s %10s %5s\n" report engine seconds "cpu s" "peak MB" "output MB" exit
for report in "$work"/*.ndr; do
    name=$(basename "$report" .ndr)
    for engine in TALPDF TalRTF; do
        ext=pdf; [ "$engine" = TalRTF ] && ext=rtf
        out="$work/$name.$ext"
        status=0
        /usr/bin/time -v timeout 120 "$build/apps/$engine" -q -o "$out" "$report" \
            >/dev/null 2>"$work/time.txt" || status=$?
        secs=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt" |
            awk -F: '{ if (NF == 3) print $1 * 3600 + $2 * 60 + $3; else print $1 * 60 + $2 }')
        cpu=$(sed -n 's/.*\(User\|System\) time (seconds): //p' "$work/time.txt" | awk '{ s += $1 } END { print s }')
        kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
        size=$(stat -c %s "$out" 2>/dev/null || echo 0)
        printf "%-26s %-7s %8.2f %8.2f %9.1f %10.1f %5s\n" "$name" "$engine" "$secs" "$cpu" "$((kb / 1024))" \
            "$(echo "$size" | awk '{ print $1 / 1048576 }')" "$status"
        rm -f "$out"
    done
done
