#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of the reader window's outline of a whole book, on a virtual X display: a book of 100
# chapters, each of 50 pages with an outline entry for every page (opened, three entries below
# it). From the navigation pane's button to the chapters' entries drawn; every chapter's entry
# opened one after another, each chapter's outline read then; how late a 10 ms timer on the
# window's thread comes at worst meanwhile.
# Run by bench/run (see lib.sh for what it is given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

driver=$BENCH_BUILD/bench/quillmoor-bench-outline
book_tool=$BENCH_BUILD/src/quillmoor-book
chapters=100
pages=50 # in each chapter, one outline entry and three below it for each
book=$BENCH_DATA/book.VELM

make_data()
{
    local stamp=$BENCH_DATA/ready-1 number
    [ -e "$stamp" ] && return
    bench_note "writing a book of $chapters outlined chapters in $BENCH_DATA (once)"
    mkdir -p "$BENCH_DATA/chapters"
    QT_QPA_PLATFORM=offscreen "$driver" write-pdf "$BENCH_DATA/outlined.pdf" "$pages" \
        || bench_fail "no chapter written"
    for number in $(seq -w 1 "$chapters"); do
        cp "$BENCH_DATA/outlined.pdf" "$BENCH_DATA/chapters/chapter-$number.pdf"
    done
    "$book_tool" make --name book --out "$BENCH_DATA" "$BENCH_DATA/chapters" >/dev/null
    "$book_tool" check "$book" >/dev/null || bench_fail "the book made for the benchmark does not check"
    rm -rf "$BENCH_DATA/chapters" "$BENCH_DATA/outlined.pdf"
    touch "$stamp"
}

bench_outline()
{
    local shows=() opens=() lates=() round shown
    local entries=$((chapters * (1 + 4 * pages)))
    bench_note "the pane opened, then every chapter: $BENCH_RUNS rounds"
    for round in $(seq 1 "$BENCH_RUNS"); do
        shown=$(bench_gui "$driver" pane "$book")
        [ "$(bench_value chapters "$shown")" = "$chapters.0" ] \
            || bench_fail "the outline lists $(bench_value chapters "$shown") chapters, not $chapters"
        [ "$(bench_value entries "$shown")" = "$entries.0" ] \
            || bench_fail "the outline holds $(bench_value entries "$shown") entries, not $entries"
        shows+=("$(bench_value pane_shown_ms "$shown")")
        opens+=("$(bench_value all_expanded_ms "$shown")")
        lates+=("$(bench_value timer_late_worst_ms "$shown")")
        bench_note "round $round: pane ${shows[-1]} ms, every chapter ${opens[-1]} ms," \
            "timer ${lates[-1]} ms late at worst"
    done
    bench_row "$chapters chapters: the pane's button to their entries drawn" \
        "$(bench_median "${shows[@]}")" - ms "<50"
    bench_row "the same: every chapter opened, $entries entries" \
        "$(bench_median "${opens[@]}")" - ms "<2000"
    bench_row "the same: a 10 ms timer on the window's thread, latest" \
        "$(bench_max "${lates[@]}")" - ms "<50"
}

bench_built "$driver" "$book_tool"
bench_start_display
make_data
bench_outline
