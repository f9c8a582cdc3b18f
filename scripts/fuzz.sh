#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the fuzz targets with clang and runs each for a bounded time.
#   FUZZ_SECONDS  seconds per target (default 30)
# New corpus entries stay in build-fuzz/corpus; a crash leaves its input in build-fuzz/artifacts
# and fails the script: fix it, then copy the input to fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build=build-fuzz

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLMOOR_FUZZ=ON -DQUILLMOOR_GUI=OFF -DQUILLMOOR_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_book fuzz_bookmarks fuzz_numbertext fuzz_protocol

export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/sanitizers/lsan.supp:print_suppressions=0
for target in fuzz_book fuzz_bookmarks fuzz_numbertext fuzz_protocol; do
    corpus=$build/corpus/$target
    artifacts=$build/artifacts/$target/
    mkdir -p "$corpus" "$artifacts"
    cp -n fuzz/corpus/$target/* "$corpus"/ 2>/dev/null || true
    echo "== $target: $seconds s"
    log=$build/$target.log
    status=0
    "$build/fuzz/$target" -max_total_time="$seconds" -malloc_limit_mb=64 -rss_limit_mb=2048 \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts" \
        "$corpus" fuzz/regressions/$target >"$log" 2>&1 || status=$?
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log" >&2
        echo "fuzz: $target found a problem; its input is in $artifacts" >&2
        exit 1
    fi
done
