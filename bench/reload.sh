#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of a PDF written again on disk while the reader window shows it, on a virtual X
# display: from the view taking the new file to the page being read drawn again at its place,
# beside opening the same 500-page PDF to its first page drawn (and to page 300); and from a copy renamed over it
# to the page drawn again, the settling of the file (300 ms after its last change) included.
# Run by bench/run (see lib.sh for what it is given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

driver=$BENCH_BUILD/bench/quillmoor-bench-reload
pdf_tool=$BENCH_BUILD/bench/quillmoor-bench-gui
pages=500
pdf=$BENCH_DATA/book-$pages.pdf

make_data()
{
    bench_drawn_pdf "$pdf_tool" "$pdf" $pages
}

bench_reload()
{
    local opens=() at_pages=() reloads=() renames=() round shown
    bench_note "open vs reload at page 300: $BENCH_RUNS rounds"
    for round in $(seq 0 "$BENCH_RUNS"); do
        bench_settle
        shown=$(bench_gui "$driver" measure "$pdf" 300) \
            || bench_fail "the reload driver failed"
        bench_note "round $round: open $(bench_value open_ms "$shown") ms," \
            "reload $(bench_value reload_ms "$shown") ms, renamed $(bench_value renamed_ms "$shown") ms"
        [ "$round" -eq 0 ] && continue # warms the caches
        opens+=("$(bench_value open_ms "$shown")")
        at_pages+=("$(bench_value open_at_page_ms "$shown")")
        reloads+=("$(bench_value reload_ms "$shown")")
        renames+=("$(bench_value renamed_ms "$shown")")
    done
    local open
    open=$(bench_median "${opens[@]}")
    bench_row "$pages-page PDF rewritten: shown again at page 300 (vs opening it)" \
        "$(bench_median "${reloads[@]}")" "$open" ms "<=1.2"
    bench_row "$pages-page PDF renamed over: shown again, settling included (vs opening)" \
        "$(bench_median "${renames[@]}")" "$open" ms -
    bench_row "$pages-page PDF: opened at page 300 (vs opening it)" \
        "$(bench_median "${at_pages[@]}")" "$open" ms -
}

bench_built "$driver" "$pdf_tool"
bench_start_display
make_data
bench_reload
