#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of the reader window, on a virtual X display, beside pdftoppm on the same 500-page PDF:
#   - the real program, from launch to its window mapped (the first start, which registers the
#     file types, and later starts);
#   - a driver on the same libraries, from launch to the window drawn, from LoadFile to the first
#     and from setCurrentPage to the last page drawn (beside pdftoppm -r 96 of that page), a
#     search for a text on the last page (beside pdftotext piped into grep), and the memory taken
#     while paging through every page at 200%, in the window and in the largest worker;
#   - the same driver reading in-process (QUILLMOOR_BENCH_IN_PROCESS=1): page 1 drawn and the
#     memory while paging, beside the figures with workers.
# Run by bench/run (see lib.sh for what it is given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

program=$BENCH_BUILD/src/quillmoor
driver=$BENCH_BUILD/bench/quillmoor-bench-gui
pages=500
pdf=$BENCH_DATA/book-$pages.pdf
out=$BENCH_DATA/out
title='PDF电子书制作软件\(Quillmoor\)'

make_data()
{
    bench_drawn_pdf "$driver" "$pdf" $pages
}

# The real program: launch to its window mapped, in milliseconds.
program_start()
{
    local start pid log=$out/program.log
    start=$EPOCHREALTIME
    LC_ALL=C.UTF-8 "$program" >>"$log" 2>&1 & # not a function: $! is the program
    pid=$!
    until bench_gui xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; do
        if ! kill -0 "$pid" 2>/dev/null \
            || awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { exit !(b - a > 30) }'; then
            cat "$log" >&2
            bench_fail "the program did not show its window"
        fi
    done
    bench_ms "$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.6f\n", b - a }')"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

pdftotext_grep()
{
    pdftotext "$pdf" - | grep -c "Chapter $pages" >/dev/null
}

pdftoppm_page()
{
    bench_ms "$(bench_time pdftoppm -r 96 -f "$1" -l "$1" "$pdf" "$out/page")"
    rm -f "$out"/page-*
}

bench_window()
{
    local starts=() drawns=() firsts=() lasts=() ppm_firsts=() ppm_lasts=() round first shown
    local finds=() greps=() memories=() inside_firsts=() inside_memories=() workers=()
    mkdir -p "$out"
    # A fresh home: the first start registers the file types, later starts find them in place.
    first=$(program_start)
    bench_note "first start: window shown after ${first} ms"
    bench_note "start-up and page 1 / page $pages beside pdftoppm: $BENCH_RUNS rounds"
    for round in $(seq 1 "$BENCH_RUNS"); do
        starts+=("$(program_start)")
        shown=$(QUILLMOOR_BENCH_LAUNCH_NS=$(date +%s%N) bench_gui "$driver" startup)
        drawns+=("$(bench_value startup_to_window_drawn_ms "$shown")")
        shown=$(bench_gui "$driver" first-page "$pdf")
        firsts+=("$(bench_value first_page_drawn_ms "$shown")")
        lasts+=("$(bench_value last_page_drawn_ms "$shown")")
        shown=$(QUILLMOOR_BENCH_IN_PROCESS=1 bench_gui "$driver" first-page "$pdf")
        inside_firsts+=("$(bench_value first_page_drawn_ms "$shown")")
        ppm_firsts+=("$(pdftoppm_page 1)")
        ppm_lasts+=("$(pdftoppm_page $pages)")
        shown=$(bench_gui "$driver" find "$pdf" "Chapter $pages")
        finds+=("$(bench_value found_on_last_page_ms "$shown")")
        greps+=("$(bench_ms "$(bench_time pdftotext_grep)")")
        shown=$(bench_gui "$driver" paging-memory "$pdf")
        memories+=("$(bench_value paging_memory_above_idle_mib "$shown")")
        workers+=("$(bench_value worker_peak_mib "$shown")")
        shown=$(QUILLMOOR_BENCH_IN_PROCESS=1 bench_gui "$driver" paging-memory "$pdf")
        inside_memories+=("$(bench_value paging_memory_above_idle_mib "$shown")")
        bench_note "round $round: window ${starts[-1]} ms, page 1 ${firsts[-1]} ms" \
            "(pdftoppm ${ppm_firsts[-1]} ms)"
    done
    local ppm_first
    ppm_first=$(bench_median "${ppm_firsts[@]}")
    bench_row "first start to window shown (vs pdftoppm page 1)" "$first" "$ppm_first" ms -
    bench_row "start to window shown (vs pdftoppm page 1)" \
        "$(bench_median "${starts[@]}")" "$ppm_first" ms -
    bench_row "start to window drawn, driver (vs pdftoppm page 1)" \
        "$(bench_median "${drawns[@]}")" "$ppm_first" ms -
    bench_row "$pages-page PDF: page 1 drawn (vs pdftoppm -r 96 -f 1)" \
        "$(bench_median "${firsts[@]}")" "$ppm_first" ms "<=1.0"
    bench_row "$pages-page PDF: page 1 drawn by a worker (vs in-process)" \
        "$(bench_median "${firsts[@]}")" "$(bench_median "${inside_firsts[@]}")" ms "<=1.1"
    bench_row "$pages-page PDF: page $pages drawn (vs pdftoppm -r 96 -f $pages)" \
        "$(bench_median "${lasts[@]}")" "$(bench_median "${ppm_lasts[@]}")" ms "<=1.0"
    bench_row "$pages-page PDF: a text of page $pages found (vs pdftotext | grep)" \
        "$(bench_median "${finds[@]}")" "$(bench_median "${greps[@]}")" ms "<=1.0"
    bench_row "$pages-page PDF: paging through at 200%, memory above the idle window" \
        "$(bench_max "${memories[@]}")" - MiB "<150"
    bench_row "the same: the window's memory with workers (vs in-process)" \
        "$(bench_max "${memories[@]}")" "$(bench_max "${inside_memories[@]}")" MiB "<=1.0"
    bench_row "the same: the largest worker's memory" "$(bench_max "${workers[@]}")" - MiB "<256"
}

bench_need xdotool pdftoppm
bench_built "$program" "$driver"
bench_start_display
make_data
bench_window
