#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of the reader window opening documents whose side lists hold a million lines, on a
# virtual X display: a one-page PDF with a bookmark file of a million entries, and a book whose
# contents index has a million lines. For each, the time from the open to the window drawn with
# its lists filled, and how far the peak resident memory (VmHWM) rose above the idle window's
# (VmRSS). The bookmark file must come out of the open byte for byte as it went in.
# Run by bench/run (see lib.sh for what it is given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

driver=$BENCH_BUILD/bench/quillmoor-bench-lists
lines=1000000
pdf=$BENCH_DATA/marked.pdf
book=$BENCH_DATA/indexed.VELM

make_data()
{
    local stamp=$BENCH_DATA/ready-1
    [ -e "$stamp" ] && return
    bench_note "writing a bookmark file and a book index of $lines lines in $BENCH_DATA (once)"
    QT_QPA_PLATFORM=offscreen "$driver" write-pdf "$pdf" "$lines" || bench_fail "no PDF written"
    QT_QPA_PLATFORM=offscreen "$driver" write-book "$book" "$lines" || bench_fail "no book written"
    touch "$stamp"
}

# bench_open LABEL FILE: the figures of opening FILE.
bench_open()
{
    local label=$1 file=$2 times=() peaks=() round shown before
    before=$(md5sum <"$BENCH_DATA/marked.ini")
    bench_note "$label: $BENCH_RUNS rounds"
    for round in $(seq 1 "$BENCH_RUNS"); do
        shown=$(bench_gui "$driver" open "$file")
        [ "$(bench_value lines "$shown")" = "$lines.0" ] \
            || bench_fail "the list holds $(bench_value lines "$shown") lines, not $lines"
        times+=("$(bench_value open_ms "$shown")")
        peaks+=("$(bench_value peak_rise_mib "$shown")")
        bench_note "round $round: ${times[-1]} ms, peak ${peaks[-1]} MiB above the idle window"
    done
    [ "$(md5sum <"$BENCH_DATA/marked.ini")" = "$before" ] \
        || bench_fail "opening changed the bookmark file"
    bench_row "$label: open to drawn" "$(bench_median "${times[@]}")" - ms "<2000"
    bench_row "$label: peak memory above the idle window" "$(bench_median "${peaks[@]}")" - MiB \
        "<200"
}

bench_built "$driver"
bench_start_display
make_data
bench_open "PDF, bookmark file of $lines lines" "$pdf"
bench_open "book, contents index of $lines lines" "$book"
