#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of `quillmoor-book export`: a book of 100 chapters made from Debian's documentation PDFs
# (the R manuals of r-doc-pdf, fetched once with apt-get download, and any PDFs under
# /usr/share/doc) written out as one PDF, against `qpdf --empty --pages` of the same chapters
# extracted beforehand; and the export's peak memory.
# Run by bench/run (see lib.sh for what it is given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

book=$BENCH_BUILD/src/quillmoor-book
chapters=100
sources_dir=$BENCH_DATA/sources
chapters_dir=$BENCH_DATA/chapters
out=$BENCH_DATA/out
made=$BENCH_DATA/book.VELM

# The R manuals of r-doc-pdf; the package itself is not installed, and only the manuals are kept.
fetch_manuals()
{
    local unpacked=$BENCH_DATA/unpacked
    rm -rf "$unpacked" "$BENCH_DATA"/*.deb
    if ! (cd "$BENCH_DATA" && apt-get download r-doc-pdf >/dev/null 2>&1); then
        bench_note "r-doc-pdf could not be fetched: the PDFs under /usr/share/doc only"
        return
    fi
    dpkg-deb -x "$BENCH_DATA"/r-doc-pdf_*.deb "$unpacked"
    mv "$unpacked"/usr/share/R/doc/manual/R-*.pdf "$sources_dir/"
    rm -rf "$unpacked" "$BENCH_DATA"/*.deb
}

make_data()
{
    local stamp=$BENCH_DATA/ready-1
    [ -e "$stamp" ] && return
    bench_note "making a book of $chapters chapters from documentation PDFs in $BENCH_DATA (once)"
    rm -rf "$sources_dir" "$chapters_dir"
    mkdir -p "$sources_dir" "$chapters_dir" "$out"
    fetch_manuals
    find /usr/share/doc -name '*.pdf' -size +20k -exec cp -t "$sources_dir" {} + 2>/dev/null || true
    local pdfs=("$sources_dir"/*.pdf) list=() i
    [ -e "${pdfs[0]}" ] || bench_fail "no documentation PDF found"
    for i in $(seq 0 $((chapters - 1))); do
        list+=("${pdfs[$((i % ${#pdfs[@]}))]}")
    done
    "$book" make --name book --out "$BENCH_DATA" "${list[@]}" >/dev/null
    rm -rf "$sources_dir" # the book holds them now
    for i in $(seq 1 $chapters); do
        "$book" extract "$made" "$i" --out "$chapters_dir/$i.pdf" >/dev/null
    done
    "$book" export "$made" "$out/check.pdf" >/dev/null || bench_fail "the book does not export"
    qpdf --check "$out/check.pdf" >/dev/null || bench_fail "the export does not pass qpdf --check"
    rm -f "$out/check.pdf"
    touch "$stamp"
}

export_book()
{
    /usr/bin/time -f %M -o "$out/peak-kib" "$book" export "$made" "$out/ours.pdf"
}

qpdf_pages()
{
    local list=() i
    for i in $(seq 1 $chapters); do
        list+=("$chapters_dir/$i.pdf")
    done
    /usr/bin/time -f %M -o "$out/qpdf-peak-kib" qpdf --warning-exit-0 --empty --pages "${list[@]}" \
        -- "$out/qpdf.pdf"
}

# Warm, in alternating order; the first round only warms the caches.
bench_export()
{
    local ours=() theirs=() peaks=() qpdf_peaks=() round t_ours t_theirs
    bench_note "export vs qpdf --empty --pages, $chapters chapters ($(du -m "$made" | cut -f1) MiB):" \
        "$BENCH_RUNS rounds"
    for round in $(seq 0 "$BENCH_RUNS"); do
        if [ $((round % 2)) -eq 0 ]; then
            t_theirs=$(bench_time qpdf_pages)
            t_ours=$(bench_time export_book)
        else
            t_ours=$(bench_time export_book)
            t_theirs=$(bench_time qpdf_pages)
        fi
        rm -f "$out/ours.pdf" "$out/qpdf.pdf"
        bench_settle
        bench_note "round $round: export ${t_ours}s, qpdf ${t_theirs}s"
        [ "$round" -eq 0 ] && continue
        ours+=("$t_ours")
        theirs+=("$t_theirs")
        peaks+=("$(cat "$out/peak-kib")")
        qpdf_peaks+=("$(cat "$out/qpdf-peak-kib")")
    done
    bench_row "export a $chapters-chapter book (vs qpdf --empty --pages)" \
        "$(bench_median "${ours[@]}")" "$(bench_median "${theirs[@]}")" s "<=1.5"
    bench_row "export: peak memory (vs qpdf --empty --pages)" \
        "$(awk -v k="$(bench_max "${peaks[@]}")" 'BEGIN { print k / 1024 }')" \
        "$(awk -v k="$(bench_max "${qpdf_peaks[@]}")" 'BEGIN { print k / 1024 }')" MiB "-"
    bench_row "export: peak memory" \
        "$(awk -v k="$(bench_max "${peaks[@]}")" 'BEGIN { print k / 1024 }')" - MiB "<256"
}

bench_built "$book"
bench_need qpdf apt-get dpkg-deb
make_data
bench_export
