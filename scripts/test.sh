#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Sets up a fresh Debian 12 machine, then builds and runs every test four ways: a short fuzz pass
# over the parsers of untrusted files, the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the tests of what runs on threads under ThreadSanitizer, and the
# whole suite in the ordinary build with warnings as errors, which is the Debian package's build
# (build-deb/): the suite runs on the programs the package ships, and it is compiled once.
# Each step says how long it took.
#   QUILLMOOR_QUICK=1  only the ordinary build, in build/, without the soak (for a quick local run)
#   FUZZ_SECONDS=N     seconds per fuzz target (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."

step() {
    local started=$SECONDS
    "$@"
    echo "== $((SECONDS - started)) s: $*" >&2
}

step bash scripts/install-deps.sh

if [ "${QUILLMOOR_QUICK:-0}" != 1 ]; then
    FUZZ_SECONDS=${FUZZ_SECONDS:-30} step bash scripts/fuzz.sh

    step cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMOOR_SANITIZE=ON \
        -DQUILLMOOR_WERROR=ON
    step cmake --build build-asan
    # The slow unwinder gives whole allocation stacks through libraries built without frame
    # pointers, so that a leak suppression can name the library function that allocates. The
    # tests give their PDF workers the fast one (tests/CMakeLists.txt).
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0 \
    LSAN_OPTIONS=suppressions=$PWD/sanitizers/lsan.supp:print_suppressions=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        step ctest --test-dir build-asan --output-on-failure

    # Debian's Qt is not built for ThreadSanitizer: the suppressions name the Qt functions that
    # wake a window from a worker, never our code (sanitizers/tsan.supp).
    step cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMOOR_TSAN=ON \
        -DQUILLMOOR_GUI=OFF -DQUILLMOOR_WERROR=ON
    step cmake --build build-tsan --target tst_pdf tst_search tst_state
    # The tests start qpdf to lock a PDF while their threads run; its child only executes qpdf,
    # so the sanitizer may let a forked child go on (die_after_fork=0).
    TSAN_OPTIONS="suppressions=$PWD/sanitizers/tsan.supp halt_on_error=1 second_deadlock_stack=1 die_after_fork=0" \
        step ctest --test-dir build-tsan -L threads --output-on-failure

    step bash scripts/package.sh build-deb
else
    step cmake -S . -B build -G Ninja -DQUILLMOOR_WERROR=ON -DQUILLMOOR_GUI=ON -DQUILLMOOR_TESTS=ON
    step cmake --build build
    step ctest --test-dir build --output-on-failure -LE soak
fi
