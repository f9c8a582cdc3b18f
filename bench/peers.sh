#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Figures of the reader window beside the readers a Linux user would pick instead: MuPDF's X11
# viewer, qpdfview and zathura (installed from Debian the first time), and Evince and Okular when
# they are installed already. Every reader is the real program, on a virtual X display of its
# own with a small window manager and in a home of its own, and is timed by what the screen shows
# (quillmoor-bench-screen): from the process start to the screen settled on the first page of a
# Debian manual, of the 500-page PDF and of a PDF of large photographs; End on the 500-page PDF
# right after opening it; "Chapter 500" found, typing included; and the memory of all of a
# reader's processes after paging through the manual and the photographs. Each round times every
# reader once on one figure before the next figure, in an order turned by one each round.
# PEERS_RUNS overrides BENCH_RUNS. The screenshots of the last round stay in $BENCH_DATA/shots.
# Run by bench/run (see lib.sh for what it is given).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

program=$BENCH_BUILD/src/quillmoor
pdf_tool=$BENCH_BUILD/bench/quillmoor-bench-gui
screen=$BENCH_BUILD/bench/quillmoor-bench-screen
runs=${PEERS_RUNS:-$BENCH_RUNS}
pages=500
book=$BENCH_DATA/book-$pages.pdf
manual_source=/usr/share/doc/maint-guide/maint-guide.en.pdf
manual=$BENCH_DATA/maint-guide.en.pdf
photos=$BENCH_DATA/photographs.pdf
shots=$BENCH_DATA/shots
# Each run opens a copy of its document of a name and content of its own: readers that reopen a
# document where it was last left would otherwise start the next round at its end, and zathura
# knows a document by its content, Okular by its name and size.
opened=$BENCH_DATA/open
word="Chapter $pages"

packages=(
    xvfb matchbox-window-manager dbus-daemon poppler-utils
    mupdf qpdfview qpdfview-pdf-poppler-plugin zathura zathura-pdf-poppler
    maint-guide imagemagick img2pdf
    libx11-dev libxext-dev libxtst-dev
)

# Asks apt only for what is missing, as scripts/install-deps.sh does.
install_peers()
{
    local package missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    bench_note "installing ${missing[*]} (once)"
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
        "${missing[@]}" >/dev/null || bench_fail "could not install ${missing[*]}"
}

# bench/run built before the X11 headers were there the first time: configure again to build
# the screen sampler.
build_screen()
{
    [ -x "$screen" ] && return
    cmake "$BENCH_BUILD" >/dev/null
    cmake --build "$BENCH_BUILD" --target quillmoor-bench-screen >/dev/null
    bench_built "$screen"
}

# Eight 4000 by 3000 photograph-like JPEGs put into a PDF as they are, made once.
make_photos()
{
    local i stamp=$BENCH_DATA/ready-photographs
    [ -e "$stamp" ] && return
    bench_note "making a PDF of 8 large photographs in $BENCH_DATA (once)"
    for i in $(seq 1 8); do
        convert -seed "$i" -size 4000x3000 plasma: -blur 0x1 -attenuate 0.3 +noise Gaussian \
            -density 300 -units PixelsPerInch -quality 85 "$BENCH_DATA/photograph-$i.jpg"
    done
    img2pdf -o "$photos" "$BENCH_DATA"/photograph-{1..8}.jpg
    rm -f "$BENCH_DATA"/photograph-*.jpg
    touch "$stamp"
}

make_data()
{
    bench_drawn_pdf "$pdf_tool" "$book" $pages
    [ -f "$manual_source" ] || bench_fail "$manual_source is missing (package maint-guide)"
    [ -e "$manual" ] || cp "$manual_source" "$manual"
    manual_pages=$(pdfinfo "$manual" | awk '$1 == "Pages:" { print $2 }')
    make_photos
}

readers=(quillmoor mupdf qpdfview zathura)
poppler_readers=(qpdfview zathura)
# Evince and Okular only when they are there: never installed here, as each would bring most of
# a desktop with it.
find_readers()
{
    local reader
    for reader in evince okular; do
        if command -v "$reader" >/dev/null; then
            readers+=("$reader")
            poppler_readers+=("$reader")
        fi
    done
}

tmp=
service_pids=()
declare -A displays buses

stop_all()
{
    local i
    for ((i = ${#service_pids[@]} - 1; i >= 0; --i)); do
        kill "${service_pids[i]}" 2>/dev/null || true
        wait "${service_pids[i]}" 2>/dev/null || true
    done
    [ -n "$tmp" ] && rm -rf "$tmp"
    rm -rf "$opened"
}

# A virtual X display, its window manager and a session bus for one reader, and its home; kept
# for every round of this run.
start_display()
{
    local reader=$1 dir=$tmp/$1 _
    mkdir -p "$dir"/{home,config,data,cache,state,runtime,tmp}
    chmod 700 "$dir/runtime"
    # -noreset: a reader started while the last one leaves would find the server resetting.
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$dir/display" \
        >/dev/null 2>&1 &
    service_pids+=($!)
    for _ in $(seq 100); do
        [ -s "$dir/display" ] && break
        sleep 0.05
    done
    [ -s "$dir/display" ] || bench_fail "Xvfb did not start"
    displays[$reader]=":$(head -n 1 "$dir/display")"
    DISPLAY=${displays[$reader]} matchbox-window-manager -use_titlebar no >/dev/null 2>&1 &
    service_pids+=($!)
    # A session bus of its own, as on a desktop, where the readers find their services.
    buses[$reader]=unix:path=$dir/runtime/bus
    dbus-daemon --session --nofork --nopidfile --address="${buses[$reader]}" >/dev/null 2>&1 &
    service_pids+=($!)
}

# Runs one reader on FILE under the screen sampler and prints what it measured; a reader that
# fails (or never settles) is reported and its figures of this run are left out:
# run_reader READER FILE SAMPLER-OPTION...
run_reader()
{
    local reader=$1 file=$2 dir=$tmp/$1
    shift 2
    local command=("$reader" "$file")
    [ "$reader" = quillmoor ] && command=("$program" "$file")
    env -u WAYLAND_DISPLAY DISPLAY="${displays[$reader]}" \
        DBUS_SESSION_BUS_ADDRESS="${buses[$reader]}" HOME="$dir/home" \
        XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME="$dir/data" XDG_CACHE_HOME="$dir/cache" \
        XDG_STATE_HOME="$dir/state" XDG_RUNTIME_DIR="$dir/runtime" TMPDIR="$dir/tmp" \
        LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb GDK_BACKEND=x11 \
        "$screen" "$@" -- "${command[@]}" 2>"$dir/errors" || {
        local status=$?
        tail -n 5 "$dir/errors" >&2
        bench_note "$reader failed on ${file##*/} (status $status): left out of this round"
        return 1
    }
}

# A copy of FILE that no reader has seen, for one run; its name has the same length each time.
# A comment after the end of a PDF is read by none.
fresh()
{
    local file=$1 copy
    copy=$(mktemp --suffix="-${file##*/}" "$opened/XXXXXX")
    cat "$file" >"$copy"
    echo "% ${copy##*/}" >>"$copy"
    bench_settle # its writes are not the reader's
    echo "$copy"
}

# The keys a user types to find the word in each reader, who waits to see the search field
# before typing: zathura drops the keys typed while its field opens.
find_keys()
{
    case $1 in
        quillmoor | qpdfview | evince | okular) echo "<ctrl+f><wait>$word<Return>" ;;
        mupdf | zathura) echo "/<wait>$word<Return>" ;;
    esac
}

# The key that shows the last page: End, but MuPDF's X11 viewer ignores End and goes to the last
# page with G.
end_key()
{
    case $1 in
        mupdf) echo G ;;
        *) echo "<End>" ;;
    esac
}

declare -A values

# Keeps a value: keep READER FIGURE VALUE. Nothing measured (a failed run) or -1 (keys that
# changed nothing on the screen) is noted instead.
keep()
{
    case $3 in
        '') ;;
        -1.0) bench_note "$1: the keys of $2 changed nothing on the screen" ;;
        *) values[$1/$2]+="$3 " ;;
    esac
}

# One figure for every reader, in the order of this round: measure FIGURE ROUND.
measure()
{
    local figure=$1 round=$2 count=${#readers[@]} i reader shot output
    for ((i = 0; i < count; ++i)); do
        reader=${readers[(i + round) % count]}
        shot=$shots/$reader
        case $figure in
            manual)
                output=$(run_reader "$reader" "$(fresh "$manual")" --shots "$shot-manual" \
                    --page-through $((manual_pages * 4))) || continue
                keep "$reader" manual-start "$(bench_value start_ms "$output")"
                keep "$reader" manual-memory "$(bench_value memory_mib "$output")"
                ;;
            end)
                output=$(run_reader "$reader" "$(fresh "$book")" --shots "$shot-book" \
                    --keys end "$(end_key "$reader")") || continue
                keep "$reader" book-start "$(bench_value start_ms "$output")"
                keep "$reader" book-end "$(bench_value end_ms "$output")"
                ;;
            find)
                output=$(run_reader "$reader" "$(fresh "$book")" --shots "$shot-book" \
                    --keys find "$(find_keys "$reader")") || continue
                keep "$reader" book-find "$(bench_value find_ms "$output")"
                ;;
            photos)
                output=$(run_reader "$reader" "$(fresh "$photos")" --shots "$shot-photographs" \
                    --page-through 32) || continue
                keep "$reader" photos-start "$(bench_value start_ms "$output")"
                keep "$reader" photos-memory "$(bench_value memory_mib "$output")"
                ;;
        esac
    done
}

# Prints the median of a reader's figure, "-" when it has none.
median_of()
{
    local kept=${values[$1/$2]:-}
    # shellcheck disable=SC2086 # one value a word
    [ -n "$kept" ] && bench_median $kept || echo -
}

# The note of one figure of every reader: median and spread.
note_figure()
{
    local figure=$1 unit=$2 reader kept spread
    for reader in "${readers[@]}"; do
        kept=${values[$reader/$figure]:-}
        if [ -z "$kept" ]; then
            bench_note "$(printf '%-10s %-14s nothing measured' "$reader" "$figure")"
            continue
        fi
        # shellcheck disable=SC2086 # one value a word
        spread=$(printf '%s\n' $kept | sort -g | awk -v unit="$unit" '
            { v[NR] = $1 }
            END { printf "(min %.1f, max %.1f %s, %d runs)", v[1], v[NR], unit, NR }')
        bench_note "$(printf '%-10s %-14s median %.1f %s %s' "$reader" "$figure" \
            "$(median_of "$reader" "$figure")" "$unit" "$spread")"
    done
}

# Of the named readers, the one with the smallest median of FIGURE: best FIGURE READER...
best()
{
    local figure=$1 reader
    shift
    for reader in "$@"; do
        echo "$(median_of "$reader" "$figure") $reader"
    done | awk '$1 != "-"' | sort -g | awk 'NR == 1 { print $2 }'
}

# One row of ours beside READER, chosen as WHY: row LABEL FIGURE READER UNIT TARGET [WHY]. A
# figure that either side never measured is noted instead.
row()
{
    local ours baseline against=${3:--}${6:+, $6}
    ours=$(median_of quillmoor "$2")
    baseline=$(median_of "${3:--}" "$2")
    if [ "$ours" = - ] || [ "$baseline" = - ]; then
        bench_note "no row for $1 (vs $against): nothing measured"
        return
    fi
    bench_row "$1 (vs $against)" "$ours" "$baseline" "$4" "$5"
}

# The first start of each reader in its fresh home (settings written, file types registered),
# timed but kept out of the figures.
first_starts()
{
    local reader output
    for reader in "${readers[@]}"; do
        output=$(run_reader "$reader" "$(fresh "$manual")") || continue
        bench_note "$reader: first start in a fresh home, manual shown after" \
            "$(bench_value start_ms "$output") ms"
    done
}

bench_peers()
{
    local round figure reader
    tmp=$(mktemp -d)
    trap stop_all EXIT
    mkdir -p "$shots" "$opened"
    for reader in "${readers[@]}"; do
        start_display "$reader"
    done
    sleep 1 # the window managers and buses are up
    bench_note "readers: ${readers[*]}; rounds: $runs"
    first_starts
    for round in $(seq 1 "$runs"); do
        for figure in manual end find photos; do
            measure "$figure" "$round"
        done
        bench_note "round $round done"
    done

    note_figure manual-start ms
    note_figure book-start ms
    note_figure photos-start ms
    note_figure book-end ms
    note_figure book-find ms
    note_figure manual-memory MiB
    note_figure photos-memory MiB

    local poppler=("${poppler_readers[@]}")
    row "manual: start to page 1" manual-start mupdf ms "<=2.0"
    row "manual: start to page 1" manual-start "$(best manual-start "${poppler[@]}")" ms \
        "<=1.0" "fastest poppler"
    row "$pages-page PDF: start to page 1" book-start mupdf ms "<=2.0"
    row "$pages-page PDF: start to page 1" book-start "$(best book-start "${poppler[@]}")" ms - \
        "fastest poppler"
    row "photographs: start to page 1" photos-start qpdfview ms "<=1.0"
    row "photographs: start to page 1" photos-start mupdf ms -
    row "$pages-page PDF: End after opening" book-end "$(best book-end zathura qpdfview)" ms \
        "<=1.0" "faster of zathura, qpdfview"
    row "$pages-page PDF: End after opening" book-end mupdf ms - "its G"
    row "$pages-page PDF: \"$word\" found, typed" book-find \
        "$(best book-find "${readers[@]:1}")" ms "<=0.8" "best peer"
    row "manual: memory at the last page" manual-memory \
        "$(best manual-memory "${poppler[@]}")" MiB "<=0.7" "least poppler"
    row "photographs: memory at the last page" photos-memory \
        "$(best photos-memory "${poppler[@]}")" MiB - "least poppler"
    bench_note "screenshots of the last round: $shots"
}

install_peers
build_screen
bench_built "$program" "$pdf_tool"
find_readers
make_data
bench_peers
