#!/bin/sh
# Whole-process benchmark: a generated 2,000-page report (60 text lines in
# two standard fonts and 40 shapes a page) converted by TALPDF -o, plain and
# with --compress, beside the same pages drawn with cairo's PDF surface, in
# ROUNDS paired rounds (default 5): each round runs every writer once, so a
# machine whose load changes weighs on all of them alike. Prints the minimum
# and median of wall-clock seconds, CPU seconds and peak memory of each, the
# speed ratios round by round, and the memory budgets. Then 200 such pages in
# two embedded faces (DejaVu Sans and Serif), with the fonts cut to what
# prints and whole.
# Usage: [ROUNDS=n] [BASE_TALPDF=path] bench/pdf/run_pdf_bench.sh [BUILD_DIR]
#   BUILD_DIR defaults to build; BASE_TALPDF, an earlier TALPDF binary, runs
#   in the same rounds for a before-and-after ratio.
set -eu
build=${1:-build}
rounds=${ROUNDS:-5}
base=${BASE_TALPDF:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pages=2000

ninja -C "$build" TALPDF pdf_bench_report pdf_bench_cairo >/dev/null
"$build/bench/pdf/pdf_bench_report" "$work/bench.ndr"
report=$(stat -c %s "$work/bench.ndr")

run() { # name output command...: one line "name wall cpu peak-kB output-bytes"
    name=$1; output=$2; shift 2
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null
    read -r wall user sys kb <"$work/time"
    echo "$name $wall $(echo "$user $sys" | awk '{ print $1 + $2 }') $kb $(stat -c %s "$output")"
}

: >"$work/runs"
i=0
while [ "$i" -lt "$rounds" ]; do
    i=$((i + 1))
    {
        run TALPDF "$work/t.pdf" "$build/apps/TALPDF" -q -o "$work/t.pdf" "$work/bench.ndr"
        run TALPDF-z "$work/z.pdf" "$build/apps/TALPDF" -q --compress -o "$work/z.pdf" "$work/bench.ndr"
        if [ -n "$base" ]; then
            run base "$work/b.pdf" "$base" -q -o "$work/b.pdf" "$work/bench.ndr"
            run base-z "$work/bz.pdf" "$base" -q --compress -o "$work/bz.pdf" "$work/bench.ndr"
        fi
        run cairo "$work/c.pdf" "$build/bench/pdf/pdf_bench_cairo" "$work/c.pdf"
    } | sed "s/^/$i /" >>"$work/runs"
    if [ -n "$base" ] && ! cmp -s "$work/t.pdf" "$work/b.pdf"; then
        # Only the creation date may differ (a run across a second's turn).
        [ "$(cmp -l "$work/t.pdf" "$work/b.pdf" | wc -l)" -le 14 ] || echo "warning: TALPDF and base differ" >&2
    fi
done

echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg), $rounds paired rounds, report $(echo "$report" | awk '{ printf "%.1f MB", $1 / 1048576 }')"
awk -v pages=$pages -v report="$report" '
function sort(a, n,   i, j, t) { for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t } }
function median(a, n) { sort(a, n); return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
function minimum(a, n) { sort(a, n); return a[1] }
{
    round = $1; name = $2
    if (!(name in count)) order[++writers] = name
    n = ++count[name]
    wall[name, n] = $3; cpu[name, n] = $4; kb[name, n] = $5; size[name] = $6
    w[round, name] = $3; u[round, name] = $4
}
END {
    printf "%-9s %9s %9s %9s %9s %9s %9s %9s\n", "writer", "wall min", "median", "cpu min", "median", "pages/s", "peak MB", "out MB"
    for (k = 1; k <= writers; k++) {
        name = order[k]; n = count[name]
        for (i = 1; i <= n; i++) { a[i] = wall[name, i]; b[i] = cpu[name, i]; c[i] = kb[name, i] }
        mw = median(a, n); minw = minimum(a, n); mc = median(b, n); minc = minimum(b, n); pk = median(c, n)
        medianWall[name] = mw; peak[name] = pk
        printf "%-9s %9.3f %9.3f %9.3f %9.3f %9.0f %9.1f %9.1f\n", name, minw, mw, minc, mc, pages / mw, pk / 1024, size[name] / 1048576
    }
    ratio("cairo", "TALPDF"); ratio("base", "TALPDF"); ratio("base-z", "TALPDF-z")
    printf "memory: TALPDF %.1f MB of a budget %.1f MB (output + report + 30 MB)\n", peak["TALPDF"] / 1024, (size["TALPDF"] + report) / 1048576 + 30
    printf "memory: TALPDF --compress %.1f MB of a budget %.1f MB (output + report + 50 MB)\n", peak["TALPDF-z"] / 1024, (size["TALPDF-z"] + report) / 1048576 + 50
}
function ratio(slow, fast,   i, n, r, m, c) {
    if (!((slow) in count)) return
    n = 0
    for (i = 1; (i, slow) in w; i++) {
        r[++n] = w[i, slow] / (w[i, fast] > 0 ? w[i, fast] : 0.005)
        c[n] = u[i, slow] / (u[i, fast] > 0 ? u[i, fast] : 0.005)
    }
    m = n
    printf "speed %s / %s, paired rounds: wall clock min %.1f median %.1f, cpu time min %.1f median %.1f\n", slow, fast, minimum(r, n), median(r, n), minimum(c, m), median(c, m)
    for (i = 1; i <= n; i++) { r[i] = wall[slow, i]; c[i] = wall[fast, i] }
    printf "  fastest runs: %s %.3f s / %s %.3f s = %.1f\n", slow, minimum(r, n), fast, minimum(c, n), minimum(r, n) / minimum(c, n)
}' "$work/runs"

"$build/bench/pdf/pdf_bench_report" "$work/faces.ndr" 200 "DejaVu Sans" "DejaVu Serif"
{
    run subset "$work/subset.pdf" "$build/apps/TALPDF" -q -o "$work/subset.pdf" "$work/faces.ndr"
    run whole "$work/whole.pdf" "$build/apps/TALPDF" -q --no-subset -o "$work/whole.pdf" "$work/faces.ndr"
} | awk '
BEGIN { printf "\n200 pages in two embedded faces\n%-8s %10s %12s %14s %14s\n", "fonts", "seconds", "pages/s", "peak MB", "output MB" }
{ printf "%-8s %10.2f %12.0f %14.1f %14.2f\n", $1, $2, 200 / ($2 > 0 ? $2 : 0.005), $4 / 1024, $5 / 1048576 }'
