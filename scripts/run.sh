#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs what the build needs, builds the reader and starts it. Arguments are passed on: the
# path of a book or a PDF to open. Without one it opens the sample book made by the build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${QUILLMOOR_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target quillmoor sample_book

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    {
        echo "No display to show the window on: \$DISPLAY and \$WAYLAND_DISPLAY are both empty."
        echo "Run it on a virtual X display instead:"
        printf '    xvfb-run -s "-screen 0 1280x800x24" scripts/run.sh'
        [ $# -gt 0 ] && printf ' %q' "$@"
        echo
    } >&2
    exit 1
fi

if [ $# -eq 0 ]; then
    set -- "$build/sample/示例电子书.VELM"
fi
exec "$build/src/quillmoor" "$@"
