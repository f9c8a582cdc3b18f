#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The README's first command as a new user runs it: a fresh clone of this tree builds and starts
# the reader with scripts/run.sh on a virtual display, opening a chapter of the sample book the
# build makes. Fails unless the page area of a screenshot shows a drawn page within the time
# allowed: a reader whose page area stays one colour shows no page at all.
#   FIRST_RUN_SECONDS=N  how long the window may take to show the page once built (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

# On the virtual display: starts the run script from the clone, waits for the window, then takes
# screenshots until its page area holds more than a few colours.
if [ "${1:-}" = --on-display ]; then
    cd "$SCRATCH/clone"
    chapter="$PWD/build/sample/chapters/第一章 欢迎使用.pdf"
    scripts/run.sh "$chapter" >"$SCRATCH/run.log" 2>&1 &
    run=$!
    trap 'kill "$run" 2>/dev/null || true' EXIT
    # The build comes first; the window only after it.
    until window=$(xdotool search --name '第一章 欢迎使用.pdf' 2>/dev/null | head -n 1) &&
        [ -n "$window" ]; do
        kill -0 "$run" 2>/dev/null || { echo "the reader ended without a window" >&2; exit 1; }
        sleep 1
    done
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # Inside the page area (right of the side panel, below the view's toolbar), above and left
    # of its middle, where a view without a page says why: that part of the first page holds its
    # heading.
    crop="$((WIDTH * 18 / 100))x$((HEIGHT * 35 / 100))"
    crop+="+$((X + WIDTH * 32 / 100))+$((Y + HEIGHT * 10 / 100))"
    colours=0
    for ((waited = 1; waited <= FIRST_RUN_SECONDS; waited++)); do
        sleep 1
        import -window root -crop "$crop" "$SCRATCH/page.png"
        colours=$(identify -format '%k' "$SCRATCH/page.png")
        [ "$colours" -gt 16 ] && break
    done
    echo "page area $crop: $colours colours after ${waited} s"
    [ "$colours" -gt 16 ] || { echo "the reader shows no page" >&2; exit 1; }
    exit 0
fi

bash scripts/install-deps.sh

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
git clone -q . "$scratch/clone"
# The program registers itself at every start: into folders of its own here, never the user's.
for folder in data config state cache; do mkdir -p "$scratch/xdg/$folder"; done
export XDG_DATA_HOME=$scratch/xdg/data XDG_CONFIG_HOME=$scratch/xdg/config \
    XDG_STATE_HOME=$scratch/xdg/state XDG_CACHE_HOME=$scratch/xdg/cache
export FIRST_RUN_SECONDS=${FIRST_RUN_SECONDS:-60} SCRATCH=$scratch

if ! xvfb-run -a -s "-screen 0 1280x800x24" bash "$PWD/scripts/check-first-run.sh" --on-display; then
    echo "--- scripts/run.sh said:" >&2
    tail -n 40 "$scratch/run.log" >&2
    exit 1
fi
