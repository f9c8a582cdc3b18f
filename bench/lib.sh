# SPDX-License-Identifier: GPL-2.0-or-later
# shellcheck shell=bash
# Helpers shared by the figure scripts under bench/. Sourced, never run.
#
# A figure script prints its figures on stdout, one `bench_row` per figure, and its progress on
# stderr; bench/run collects the rows and prints the table. A script finds:
#   BENCH_DATA   its own data folder, kept between runs (bench/run --clean removes it)
#   BENCH_BUILD  the Release build folder
#   BENCH_RUNS   how many timed runs a slow figure takes (its median is reported)
#   BENCH_REPS   how many repetitions a fast figure takes

set -euo pipefail
export LC_ALL=C

bench_note()
{
    echo "  $*" >&2
}

bench_fail()
{
    echo "bench: $*" >&2
    exit 1
}

# Runs a command and prints its wall time in seconds. Its output goes nowhere, its errors are
# shown when it fails.
bench_time()
{
    local start end log=$BENCH_DATA/last-errors
    start=$EPOCHREALTIME
    if ! "$@" >/dev/null 2>"$log"; then
        cat "$log" >&2
        bench_fail "failed: $*"
    fi
    end=$EPOCHREALTIME
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}

# One value of a window driver's "name value" lines: bench_value NAME OUTPUT.
bench_value()
{
    awk -v name="$1" '$1 == name { print $2 }' <<<"$2"
}

# Prints the median of its arguments.
bench_median()
{
    printf '%s\n' "$@" | sort -g | awk '
        { v[NR] = $1 }
        END {
            if (NR % 2) print v[(NR + 1) / 2]
            else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2
        }'
}

# Prints the largest of its arguments.
bench_max()
{
    printf '%s\n' "$@" | sort -g | tail -n 1
}

# One figure: bench_row FIGURE OURS BASELINE UNIT TARGET
#   TARGET "<=1.2" compares OURS / BASELINE with 1.2; "<64" compares OURS itself with 64 (in UNIT),
#   and BASELINE is then "-".
bench_row()
{
    printf '%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" "$5"
}

# Writes a file of exactly BYTES bytes that begins like a PDF and goes on with random bytes.
bench_pdf_like()
{
    local path=$1 bytes=$2
    local header='%PDF-1.4'$'\n'
    { printf '%s' "$header"; head -c $((bytes - ${#header})) /dev/urandom; } >"$path.part"
    mv "$path.part" "$path"
}

# A PDF of PAGES pages drawn by the window driver DRIVER, made once in the group's data folder:
# bench_drawn_pdf DRIVER PATH PAGES.
bench_drawn_pdf()
{
    local driver=$1 path=$2 pages=$3 stamp=$BENCH_DATA/ready-1
    [ -e "$stamp" ] && return
    bench_note "drawing a $pages-page PDF in $BENCH_DATA (once)"
    QT_QPA_PLATFORM=offscreen "$driver" write-pdf "$path" "$pages"
    touch "$stamp"
}

# Flushes every dirty page, so that no run pays for the writes of the one before it.
bench_settle()
{
    sync
}

# Prints seconds as milliseconds.
bench_ms()
{
    awk -v s="$1" 'BEGIN { printf "%.1f\n", s * 1000 }'
}

# Fails unless every named tool is installed.
bench_need()
{
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || bench_fail "$tool is missing (scripts/install-deps.sh installs it)"
    done
}

# Fails unless every named program was built.
bench_built()
{
    local program
    for program in "$@"; do
        [ -x "$program" ] || bench_fail "$program is not built"
    done
}

bench_xvfb_pid=
bench_home=

# Starts a virtual X display of its own (1280 by 800) and a home of its own, so that the user's
# display, file types and settings stay as they are. Both go when the script exits.
bench_start_display()
{
    bench_need Xvfb
    bench_home=$(mktemp -d)
    trap bench_stop_display EXIT
    exec 3>"$bench_home/display"
    # -noreset: a program started while the last one leaves would find the server resetting.
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    bench_xvfb_pid=$!
    exec 3>&-
    local _
    for _ in $(seq 100); do
        [ -s "$bench_home/display" ] && break
        sleep 0.05
    done
    [ -s "$bench_home/display" ] || bench_fail "Xvfb did not start"
    DISPLAY=":$(head -n 1 "$bench_home/display")"
    export DISPLAY
    export XDG_DATA_HOME=$bench_home/data XDG_CONFIG_HOME=$bench_home/config
    export XDG_RUNTIME_DIR=$bench_home/runtime
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
}

# Runs a program of the windows as a user would, in a UTF-8 locale (the scripts' own is C).
bench_gui()
{
    LC_ALL=C.UTF-8 "$@"
}

bench_stop_display()
{
    if [ -n "$bench_xvfb_pid" ]; then
        kill "$bench_xvfb_pid" 2>/dev/null || true
        wait "$bench_xvfb_pid" 2>/dev/null || true
    fi
    [ -n "$bench_home" ] && rm -rf "$bench_home"
    bench_xvfb_pid=
    bench_home=
}
