#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of the reader window's chapter display, on a virtual X display: from a chapter click to
# its first page drawn, for a 1 MiB and a 200 MiB chapter, beside dd of the same byte range and
# pdftoppm -r 96 of its first page; and how far the peak memory grows while the chapter is copied
# and shown. Reading on from the lead chapter's last page into the chapter, beside the click; and
# how late a 10 ms timer on the window's thread runs while reading places are noted and saved.
# Run by bench/run (see lib.sh for what it is given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

driver=$BENCH_BUILD/bench/quillmoor-bench-chapter
book_tool=$BENCH_BUILD/src/quillmoor-book
sizes=(1 200) # MiB of the chapter shown
out=$BENCH_DATA/out

# Each book holds a one-page lead chapter and then the chapter shown, drawn once.
make_data()
{
    local stamp=$BENCH_DATA/ready-1 size
    [ -e "$stamp" ] && return
    mkdir -p "$BENCH_DATA/sources"
    QT_QPA_PLATFORM=offscreen "$driver" draw "$BENCH_DATA/sources/lead.pdf" 1
    for size in "${sizes[@]}"; do
        bench_note "drawing a book with a $size MiB chapter in $BENCH_DATA (once)"
        QT_QPA_PLATFORM=offscreen "$driver" draw "$BENCH_DATA/sources/big$size.pdf" "$size"
        "$book_tool" make --name "big$size" --out "$BENCH_DATA" "$BENCH_DATA/sources/lead.pdf" \
            "$BENCH_DATA/sources/big$size.pdf" >/dev/null
        "$book_tool" check "$BENCH_DATA/big$size.VELM" >/dev/null \
            || bench_fail "the book made for the benchmark does not check"
    done
    rm -rf "$BENCH_DATA/sources"
    touch "$stamp"
}

dd_range()
{
    dd if="$1" of="$out/dd.pdf" iflag=skip_bytes,count_bytes skip="$2" count="$3" bs=128K \
        status=none
}

kib_to_mib()
{
    awk -v k="$1" 'BEGIN { print k / 1024 }'
}

# The second chapter is clicked, on one side, and dd copies its byte range, on the other.
bench_size()
{
    local size=$1 book=$BENCH_DATA/big$1.VELM start length round shown
    local clicks=() firsts=() dds=() dd_ppms=() growths=() click_growths=() readons=()
    read -r _ start length _ < <("$book_tool" list "$book" | sed -n 2p)
    bench_note "$size MiB chapter: click vs dd of its bytes, $BENCH_RUNS rounds"
    mkdir -p "$out"
    for round in $(seq 0 "$BENCH_RUNS"); do
        bench_settle
        shown=$(bench_gui "$driver" show "$book" 1)
        bench_settle
        readons+=("$(bench_value readon_ms "$(bench_gui "$driver" readon "$book")")")
        bench_settle
        local t_dd t_ppm
        t_dd=$(bench_ms "$(bench_time dd_range "$book" $((start - 1)) "$length")")
        t_ppm=$(bench_ms "$(bench_time pdftoppm -r 96 -f 1 -l 1 "$out/dd.pdf" "$out/page")")
        rm -f "$out/dd.pdf" "$out"/page-*
        bench_note "round $round: first page $(bench_value first_page_ms "$shown") ms, dd $t_dd ms"
        [ "$round" -eq 0 ] && continue # warms the caches
        clicks+=("$(bench_value click_ms "$shown")")
        firsts+=("$(bench_value first_page_ms "$shown")")
        growths+=("$(bench_value peak_rss_growth_kib "$shown")")
        click_growths+=("$(bench_value peak_rss_growth_in_click_kib "$shown")")
        dds+=("$t_dd")
        dd_ppms+=("$(awk -v a="$t_dd" -v b="$t_ppm" 'BEGIN { print a + b }')")
    done
    local dd_median
    dd_median=$(bench_median "${dds[@]}")
    bench_row "$size MiB chapter: click to chapter loaded (vs dd)" \
        "$(bench_median "${clicks[@]}")" "$dd_median" ms -
    bench_row "$size MiB chapter: click to page 1 drawn (vs dd + pdftoppm -r 96 -f 1)" \
        "$(bench_median "${firsts[@]}")" "$(bench_median "${dd_ppms[@]}")" ms "<=1.2"
    bench_row "$size MiB chapter: read on into it, to page 1 drawn (vs click)" \
        "$(bench_median "${readons[@]:1}")" "$(bench_median "${firsts[@]}")" ms "<=1.05"
    bench_row "$size MiB chapter: memory growth in ShowChapter" \
        "$(kib_to_mib "$(bench_max "${click_growths[@]}")")" - MiB "<64"
    bench_row "$size MiB chapter: memory growth to page 1 drawn" \
        "$(kib_to_mib "$(bench_max "${growths[@]}")")" - MiB -
}

bench_need dd pdftoppm
bench_built "$driver" "$book_tool"
bench_start_display
make_data
for size in "${sizes[@]}"; do
    bench_size "$size"
done
rm -rf "$BENCH_DATA/places"
bench_row "saving reading places: lateness of a 10 ms timer (max)" \
    "$(bench_value timer_late_max_ms "$(bench_gui "$driver" places "$BENCH_DATA/places")")" - ms "<20"
