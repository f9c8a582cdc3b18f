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

# Flushes every dirty page, so that no run pays for the writes of the one before it.
bench_settle()
{
    sync
}
