#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${QUILLMOOR_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DQUILLMOOR_WERROR=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure
