#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of the search of a whole book from the reader's find field, on a virtual X display: a
# book of 100 chapters and 5,000 pages, one match on every page, beside pdftotext of every
# chapter (extracted beforehand) piped into grep; how late a 10 ms timer on the window's thread
# comes at worst meanwhile; and the peak memory above the idle window's.
# Run by bench/run (see lib.sh for what it is given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

driver=$BENCH_BUILD/bench/quillmoor-bench-find
drawer=$BENCH_BUILD/bench/quillmoor-bench-gui
book_tool=$BENCH_BUILD/src/quillmoor-book
chapters=100
pages=50 # in each chapter
book=$BENCH_DATA/book.VELM
text='line 1 of page'

# The chapters are kept beside the book: they are what pdftotext reads.
make_data()
{
    local stamp=$BENCH_DATA/ready-1 number
    [ -e "$stamp" ] && return
    bench_note "drawing a book of $chapters chapters of $pages pages in $BENCH_DATA (once)"
    mkdir -p "$BENCH_DATA/chapters"
    QT_QPA_PLATFORM=offscreen "$drawer" write-pdf "$BENCH_DATA/drawn.pdf" "$pages"
    for number in $(seq -w 1 "$chapters"); do
        cp "$BENCH_DATA/drawn.pdf" "$BENCH_DATA/chapters/chapter-$number.pdf"
    done
    rm "$BENCH_DATA/drawn.pdf"
    "$book_tool" make --name book --out "$BENCH_DATA" "$BENCH_DATA/chapters" >/dev/null
    "$book_tool" check "$book" >/dev/null || bench_fail "the book made for the benchmark does not check"
    touch "$stamp"
}

pdftotext_grep()
{
    local chapter
    for chapter in "$BENCH_DATA"/chapters/*.pdf; do
        pdftotext "$chapter" -
    done | grep -ci "$text" >/dev/null
}

bench_find()
{
    local finds=() greps=() lates=() memories=() round shown
    bench_note "the whole book searched vs pdftotext | grep: $BENCH_RUNS rounds"
    for round in $(seq 1 "$BENCH_RUNS"); do
        shown=$(bench_gui "$driver" "$book" "$text")
        [ "$(bench_value results "$shown")" = "$((chapters * pages)).0" ] \
            || bench_fail "the search found $(bench_value results "$shown") results, not $((chapters * pages))"
        finds+=("$(bench_value book_found_ms "$shown")")
        lates+=("$(bench_value timer_late_worst_ms "$shown")")
        memories+=("$(bench_value find_memory_above_idle_mib "$shown")")
        greps+=("$(bench_ms "$(bench_time pdftotext_grep)")")
        bench_note "round $round: ${finds[-1]} ms (pdftotext | grep ${greps[-1]} ms)," \
            "timer ${lates[-1]} ms late at worst"
    done
    bench_row "$chapters chapters, $((chapters * pages)) pages: every result (vs pdftotext | grep)" \
        "$(bench_median "${finds[@]}")" "$(bench_median "${greps[@]}")" ms "<=0.6"
    bench_row "the same: a 10 ms timer on the window's thread, latest" \
        "$(bench_max "${lates[@]}")" - ms "<100"
    bench_row "the same: memory above the idle window" "$(bench_max "${memories[@]}")" - MiB "<200"
}

bench_need xdotool pdftotext
bench_built "$driver" "$drawer" "$book_tool"
bench_start_display
make_data
bench_find
