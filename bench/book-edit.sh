#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of changing a book in place: two chapters of a 1 GiB book swapped with
# `quillmoor-book move`, beside cat of the book to a new file and sync --data, which is the least
# a rewrite of the whole book costs, and beside the same with the new file renamed over a copy of
# the book: a change in place also frees the old book's blocks, which some file systems do while
# the rename waits (ext4 mounted with `discard`). Run by bench/run (see lib.sh for what it is
# given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

book=$BENCH_BUILD/src/quillmoor-book
chapters=8
chapter_size=$((128 * 1024 * 1024))
edited=$BENCH_DATA/books/edited.VELM
out=$BENCH_DATA/out

make_data()
{
    local stamp=$BENCH_DATA/ready-1 sources=() i
    [ -e "$stamp" ] && return
    bench_note "making the test data in $BENCH_DATA (once)"
    mkdir -p "$BENCH_DATA/sources" "$BENCH_DATA/books" "$out"
    for i in $(seq 1 $chapters); do
        sources+=("$BENCH_DATA/sources/chapter-$i.pdf")
        bench_pdf_like "${sources[-1]}" $chapter_size
    done
    "$book" make --name edited --out "$BENCH_DATA/books" "${sources[@]}" >/dev/null
    # A bookmark file of 1000 lines, every chapter's among them, follows each move.
    for i in $(seq 0 999); do
        printf '{%d}chapter-%d&mark %d\xa3\xdb%d\xa3\xdd\r\n' $((i % chapters)) $((i % chapters + 1)) "$i" $((i % 50 + 1))
    done >"$BENCH_DATA/books/edited.ini"
    touch "$stamp"
}

cat_and_sync()
{
    cat "$edited" >"$out/cat.out"
    sync --data "$out/cat.out"
}

cat_sync_and_replace()
{
    cat_and_sync
    mv "$out/cat.out" "$out/old.out"
}

move_chapters()
{
    XDG_STATE_HOME=$out/state "$book" move "$edited" 1 --to 2
}

# The baselines, each after a fresh copy of the book to replace, made untimed.
baselines()
{
    rm -f "$out/cat.out" && cp "$edited" "$out/old.out" && bench_settle
    bench_time cat_and_sync
    rm -f "$out/cat.out" && bench_settle
    bench_time cat_sync_and_replace
}

bench_move()
{
    local ours=() theirs=() replacing=() round t_ours times
    bench_note "move vs cat + sync --data of the 1 GiB book: $BENCH_RUNS rounds"
    local before
    before=$(md5sum <"$edited")
    for round in $(seq 0 "$BENCH_RUNS"); do
        rm -rf "$out" && mkdir -p "$out" && bench_settle
        if [ $((round % 2)) -eq 0 ]; then
            times=$(baselines); bench_settle
            t_ours=$(bench_time move_chapters)
        else
            t_ours=$(bench_time move_chapters); bench_settle
            times=$(baselines)
        fi
        bench_note "round $round: move ${t_ours}s, cat + sync, and replacing:" $times
        [ "$round" -eq 0 ] && continue
        ours+=("$t_ours")
        theirs+=("$(sed -n 1p <<<"$times")")
        replacing+=("$(sed -n 2p <<<"$times")")
    done
    rm -rf "$out"
    # An even number of swaps leaves the book as it was; an odd one, swapped.
    if [ $(((BENCH_RUNS + 1) % 2)) -eq 0 ] && [ "$(md5sum <"$edited")" != "$before" ]; then
        bench_fail "swapping the chapters back did not give the book again"
    fi
    bench_row "move two chapters of a 1 GiB book (vs cat + sync --data)" \
        "$(bench_median "${ours[@]}")" "$(bench_median "${theirs[@]}")" s "<=1.05"
    bench_row "the same (vs cat + sync --data + mv over a 1 GiB file)" \
        "$(bench_median "${ours[@]}")" "$(bench_median "${replacing[@]}")" s "<=1.05"
}

make_data
bench_move
