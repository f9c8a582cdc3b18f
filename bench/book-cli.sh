#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of the command line quillmoor-book: making a 1 GiB book, listing, extracting a chapter.
# Run by bench/run (see lib.sh for what it is given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

book=$BENCH_BUILD/src/quillmoor-book
chapters=8
big_chapter=$((128 * 1024 * 1024)) # 8 of them make the 1 GiB book
small_chapter=$((128 * 1024))      # 8 of them make the 1 MiB book
extracted=5                        # the chapter that is cut out

big_sources=()
small_sources=()
for i in $(seq 1 $chapters); do
    big_sources+=("$BENCH_DATA/sources-1g/chapter-$i.pdf")
    small_sources+=("$BENCH_DATA/sources-1m/chapter-$i.pdf")
done
big_book=$BENCH_DATA/books/big.VELM
small_book=$BENCH_DATA/books/small.VELM
out=$BENCH_DATA/out

# The data is made once; the stamp says it was made whole.
make_data()
{
    local stamp=$BENCH_DATA/ready-1
    [ -e "$stamp" ] && return
    bench_note "making the test data in $BENCH_DATA (once)"
    mkdir -p "$BENCH_DATA/sources-1g" "$BENCH_DATA/sources-1m" "$BENCH_DATA/books" "$out"
    for i in $(seq 0 $((chapters - 1))); do
        bench_pdf_like "${big_sources[$i]}" $big_chapter
        bench_pdf_like "${small_sources[$i]}" $small_chapter
    done
    "$book" make --name big --out "$BENCH_DATA/books" "${big_sources[@]}" >/dev/null
    "$book" make --name small --out "$BENCH_DATA/books" "${small_sources[@]}" >/dev/null
    if ! "$book" check "$big_book" >/dev/null || ! "$book" check "$small_book" >/dev/null; then
        bench_fail "the books made for the benchmark do not check"
    fi
    touch "$stamp"
}

clear_out()
{
    rm -rf "$out"
    mkdir -p "$out"
    bench_settle
}

cat_and_sync()
{
    cat "${big_sources[@]}" >"$out/cat.out"
    sync --data "$out/cat.out"
}

make_book()
{
    /usr/bin/time -f %M -o "$out/peak-kib" "$book" make --name made --out "$out" "${big_sources[@]}"
}

# Making the book against cat + sync of the same sources, warm, in alternating order; the first
# round only warms the caches.
bench_make()
{
    local ours=() theirs=() peaks=() round
    bench_note "make vs cat + sync --data: $BENCH_RUNS rounds of 1 GiB each"
    for round in $(seq 0 "$BENCH_RUNS"); do
        local t_ours t_theirs peak
        if [ $((round % 2)) -eq 0 ]; then
            clear_out; t_theirs=$(bench_time cat_and_sync)
            clear_out; t_ours=$(bench_time make_book); peak=$(cat "$out/peak-kib")
        else
            clear_out; t_ours=$(bench_time make_book); peak=$(cat "$out/peak-kib")
            clear_out; t_theirs=$(bench_time cat_and_sync)
        fi
        peaks+=("$peak")
        bench_note "round $round: make ${t_ours}s, cat + sync ${t_theirs}s"
        [ "$round" -eq 0 ] && continue
        ours+=("$t_ours")
        theirs+=("$t_theirs")
    done
    clear_out
    bench_row "make a 1 GiB book (vs cat + sync --data)" "$(bench_median "${ours[@]}")" \
        "$(bench_median "${theirs[@]}")" s "<=1.2"
    local peak_mib
    peak_mib=$(awk -v k="$(bench_max "${peaks[@]}")" 'BEGIN { print k / 1024 }')
    bench_row "make: peak memory" "$peak_mib" - MiB "<64"
}

# The index is read from the end: a book's size must not matter.
bench_list()
{
    local big=() small=()
    bench_note "list a 1 GiB and a 1 MiB book of $chapters chapters: $BENCH_REPS times each"
    bench_time "$book" list "$big_book" >/dev/null
    bench_time "$book" list "$small_book" >/dev/null
    for _ in $(seq 1 "$BENCH_REPS"); do
        big+=("$(bench_time "$book" list "$big_book")")
        small+=("$(bench_time "$book" list "$small_book")")
    done
    bench_row "list a 1 GiB book (vs a 1 MiB book)" \
        "$(awk -v s="$(bench_median "${big[@]}")" 'BEGIN { print s * 1000 }')" \
        "$(awk -v s="$(bench_median "${small[@]}")" 'BEGIN { print s * 1000 }')" ms "<=1.1"
}

extract_new()
{
    (cd "$out" && "$book" extract "$big_book" $extracted)
}

extract_out()
{
    "$book" extract "$big_book" $extracted --out "$out/replaced.pdf"
}

dd_range()
{
    dd if="$big_book" of="$out/dd.pdf" iflag=skip_bytes,count_bytes skip="$1" count="$2" bs=128K \
        conv=fdatasync status=none
}

# Extracting a chapter, to a new file and with --out, against dd of the same byte range.
bench_extract()
{
    local line start length news=() outs=() dds=() round
    line=$("$book" list "$big_book" | sed -n "${extracted}p")
    start=$(cut -f2 <<<"$line")
    length=$(cut -f3 <<<"$line")
    local size_mib=$((length / 1024 / 1024))
    bench_note "extract a $size_mib MiB chapter vs dd conv=fdatasync: $BENCH_RUNS rounds"
    clear_out
    extract_new >/dev/null && extract_out >/dev/null && dd_range $((start - 1)) "$length"
    if ! cmp -s "$out/dd.pdf" "$out/chapter-$extracted.pdf" \
        || ! cmp -s "$out/dd.pdf" "$out/replaced.pdf"; then
        bench_fail "the extracted chapter differs from its bytes in the book"
    fi
    for round in $(seq 1 "$BENCH_RUNS"); do
        clear_out; dds+=("$(bench_time dd_range $((start - 1)) "$length")")
        clear_out; news+=("$(bench_time extract_new)")
        clear_out; outs+=("$(bench_time extract_out)")
    done
    clear_out
    local dd_median
    dd_median=$(bench_median "${dds[@]}")
    bench_row "extract a $size_mib MiB chapter (vs dd)" \
        "$(bench_median "${news[@]}")" "$dd_median" s "<=1.2"
    bench_row "extract a $size_mib MiB chapter --out (vs dd)" \
        "$(bench_median "${outs[@]}")" "$dd_median" s "<=1.2"
}

[ -x "$book" ] || bench_fail "$book is not built"
make_data
bench_make
bench_list
bench_extract
