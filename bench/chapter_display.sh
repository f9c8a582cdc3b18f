#!/usr/bin/env bash
# From a chapter click to its first page drawn, for a 1 MiB and a 200 MiB chapter, on a virtual
# X display, beside dd of the same byte range; and how far the peak memory grows while the chapter
# is copied and shown. Each time is the median of RUNS runs (default 5). Prints "name value" lines.
# Usage: bench/chapter_display.sh   (env: RUNS, BENCH_BUILD_DIR, BENCH_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-5}
build=${BENCH_BUILD_DIR:-build-bench-chapter}
data=${BENCH_DIR:-/var/tmp/quillmoor-bench}/chapter_display
xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT

for tool in Xvfb cmake dd; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh" >&2; exit 1; }
done

cmake -S bench/chapter_display -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quillmoor-bench-chapter quillmoor-book >/dev/null
driver="$build/quillmoor-bench-chapter"
booktool="$build/quillmoor/src/quillmoor-book"

mkdir -p "$data"
for size in 1 200; do
    [ -f "$data/big$size.VELM" ] && continue
    echo "making a book with a ${size} MiB chapter in $data" >&2
    QT_QPA_PLATFORM=offscreen "$driver" draw "$data/lead.pdf" 1
    QT_QPA_PLATFORM=offscreen "$driver" draw "$data/big$size.pdf" "$size"
    "$booktool" make --name "big$size" --out "$data" "$data/lead.pdf" "$data/big$size.pdf" >/dev/null
    rm -f "$data/big$size.pdf"
done

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

for size in 1 200; do
    book="$data/big$size.VELM"
    # The second chapter's start and length, from the book's own index.
    read -r _ start length _ < <("$booktool" list "$book" | sed -n 2p)
    work_clicks=$(mktemp)
    firsts=$(mktemp); dds=$(mktemp); peaks=$(mktemp)
    for _ in $(seq "$runs"); do
        out=$(DISPLAY=$display "$driver" show "$book" 1)
        echo "$out" | awk '/^click_ms/ {print $2}' >>"$work_clicks"
        echo "$out" | awk '/^first_page_ms/ {print $2}' >>"$firsts"
        echo "$out" | awk '/^peak_rss_growth_kib/ {print $2}' >>"$peaks"
        t0=$(date +%s%N)
        dd if="$book" of="$data/dd.pdf" bs=128K iflag=skip_bytes,count_bytes \
            skip=$((start - 1)) count="$length" status=none
        t1=$(date +%s%N)
        rm -f "$data/dd.pdf"
        echo "scale=1; ($t1 - $t0) / 1000000" | bc >>"$dds"
    done
    echo "chapter_${size}MiB_bytes $length"
    echo "chapter_${size}MiB_click_to_loaded_ms $(median <"$work_clicks")"
    echo "chapter_${size}MiB_click_to_first_page_ms $(median <"$firsts")"
    echo "chapter_${size}MiB_dd_same_range_ms $(median <"$dds")"
    echo "chapter_${size}MiB_peak_rss_growth_kib_max $(sort -n "$peaks" | tail -1)"
    rm -f "$work_clicks" "$firsts" "$dds" "$peaks"
done
