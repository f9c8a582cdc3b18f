#!/usr/bin/env bash
# The reader window's start-up and first page, on a virtual X display:
#   - the real program, from launch to its window mapped on the display;
#   - a driver on the same libraries, from launch to the window drawn, and from LoadFile to the
#     first page of a 500-page PDF drawn (and then the last page);
#   - pdftoppm -f 1 -l 1 on the same PDF, for comparison.
# Each figure is the median of RUNS runs (default 7). Prints "name value" lines.
# Usage: bench/gui_startup.sh   (env: RUNS, BENCH_BUILD_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-7}
build=${BENCH_BUILD_DIR:-build-bench}
work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

for tool in Xvfb xdotool pdftoppm cmake; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh" >&2; exit 1; }
done

cmake -S bench/gui_startup -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quillmoor quillmoor-bench-gui >/dev/null
program="$build/quillmoor/src/quillmoor"
driver="$build/quillmoor-bench-gui"

# A display of our own, and a home of our own so the user's file types stay as they are.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY

pdf="$work/book-500.pdf"
QT_QPA_PLATFORM=offscreen "$driver" write-pdf "$pdf" 500

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now_ns() { date +%s%N; }

# The real program: launch to its window mapped. The first start registers the file types and
# updates the MIME databases; later starts find them unchanged, as on every start but the first.
program_start() {
    local t0 t1 pid
    t0=$(now_ns)
    "$program" >>"$work/program.log" 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --name 'PDF电子书制作软件' >/dev/null 2>&1; do
        if ! kill -0 "$pid" 2>/dev/null || [ $(( $(now_ns) - t0 )) -gt 30000000000 ]; then
            echo "the program did not show its window; its output:" >&2
            cat "$work/program.log" >&2
            exit 1
        fi
    done
    t1=$(now_ns)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo $(( (t1 - t0) / 1000 )) | awk '{ printf "%.1f\n", $1 / 1000 }'
}
first=$(program_start)
echo "program_first_start_to_window_mapped_ms $first"
for _ in $(seq "$runs"); do program_start; done | median | sed 's/^/program_start_to_window_mapped_ms /'

for _ in $(seq "$runs"); do
    QUILLMOOR_BENCH_LAUNCH_NS=$(now_ns) "$driver" startup
done | awk '{ print $2 }' | median | sed 's/^/driver_start_to_window_drawn_ms /'

: >"$work/pages"
for _ in $(seq "$runs"); do "$driver" first-page "$pdf" >>"$work/pages"; done
for name in loadfile_returned_ms first_page_drawn_ms last_page_drawn_ms; do
    echo "$name $(grep "^$name " "$work/pages" | awk '{ print $2 }' | median)"
done

for _ in $(seq "$runs"); do
    t0=$(now_ns)
    pdftoppm -f 1 -l 1 "$pdf" "$work/page"
    t1=$(now_ns)
    echo $(( (t1 - t0) / 1000 )) | awk '{ printf "%.1f\n", $1 / 1000 }'
done | median | sed 's/^/pdftoppm_first_page_ms /'
echo "pdf_pages 500"
echo "pdf_bytes $(stat -c %s "$pdf")"
