#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of the PDF view's page layouts and reading colours, on a virtual X display:
#   - the memory taken while paging with PgDn from the first to the last page of a 500-page PDF
#     (the one gui-startup draws) in "双页" at "适合页面", each view's pages drawn before the next
#     key: the peak resident memory (VmHWM) above the idle window's (VmRSS);
#   - page 12 of Debian's libtasn1 manual drawn at 100% in night colours beside the same page
#     drawn normally, from the request to the page renderer to the image it hands back.
# Run by bench/run (see lib.sh for what it is given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

driver=$BENCH_BUILD/bench/quillmoor-bench-modes
pdf_writer=$BENCH_BUILD/bench/quillmoor-bench-gui
pages=500
pdf=$BENCH_DATA/book-$pages.pdf
manual_package=libtasn1-doc
manual_page=12

make_data()
{
    local stamp=$BENCH_DATA/ready-1
    [ -e "$stamp" ] && return
    bench_note "drawing a $pages-page PDF in $BENCH_DATA (once)"
    QT_QPA_PLATFORM=offscreen "$pdf_writer" write-pdf "$pdf" $pages || bench_fail "no PDF written"
    touch "$stamp"
}

# Prints the path of the libtasn1 manual, installing its package the first time.
manual()
{
    if ! dpkg-query -W -f '${Status}' "$manual_package" 2>/dev/null | grep -q 'ok installed'; then
        bench_note "installing $manual_package (once)"
        apt-get install -y --no-install-recommends "$manual_package" >/dev/null \
            || bench_fail "$manual_package could not be installed"
    fi
    local path
    path=$(dpkg -L "$manual_package" | grep -m 1 '\.pdf$') \
        || bench_fail "$manual_package holds no PDF"
    echo "$path"
}

bench_spread_memory()
{
    local peaks=() round shown
    bench_note "paging through $pages pages in two-page spreads: $BENCH_RUNS rounds"
    for round in $(seq 1 "$BENCH_RUNS"); do
        shown=$(bench_gui "$driver" spread-memory "$pdf") || bench_fail "paging failed"
        peaks+=("$(bench_value peak_rise_mib "$shown")")
        bench_note "round $round: $(bench_value views "$shown") views," \
            "peak ${peaks[-1]} MiB above the idle window"
    done
    bench_row "$pages-page PDF paged in spreads, memory above idle" \
        "$(bench_max "${peaks[@]}")" - MiB "<150"
}

bench_night_time()
{
    local path normals=() nights=() round shown
    path=$(manual)
    bench_note "$path page $manual_page, night beside normal: $BENCH_RUNS runs of" \
        "$BENCH_REPS rounds"
    for round in $(seq 1 "$BENCH_RUNS"); do
        shown=$(bench_gui "$driver" night-time "$path" $manual_page "$BENCH_REPS") \
            || bench_fail "drawing page $manual_page failed"
        normals+=("$(bench_value normal_ms "$shown")")
        nights+=("$(bench_value night_ms "$shown")")
        bench_note "run $round: night ${nights[-1]} ms, normal ${normals[-1]} ms"
    done
    bench_row "libtasn1 manual p. $manual_page at 100%: night (vs normal) drawn" \
        "$(bench_median "${nights[@]}")" "$(bench_median "${normals[@]}")" ms "<=1.1"
}

bench_built "$driver" "$pdf_writer"
bench_start_display
make_data
bench_spread_memory
bench_night_time
