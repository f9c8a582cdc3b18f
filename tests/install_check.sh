#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# What `cmake --install` puts in a prefix: a valid desktop entry and AppStream file, manual pages
# that render without a warning, and a manual of quillmoor-book naming every command and option
# its --help prints.   install_check.sh BUILD_FOLDER
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
share=$prefix/share
desktop-file-validate "$share/applications/quillmoor.desktop"
appstreamcli validate --no-net "$share/metainfo/example.quillmoor.Quillmoor.metainfo.xml" >/dev/null
for page in quillmoor quillmoor-book; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$share/man/man1/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page.1: $warnings"; exit 1; }
done
manual=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$share/man/man1/quillmoor-book.1" 2>/dev/null)
help=$("$prefix/bin/quillmoor-book" --help)
named=$( (grep -oE '^  quillmoor-book [a-z]+' <<<"$help" | cut -d' ' -f4; grep -oE -- '--[a-z]+' <<<"$help") | sort -u)
[ "$(wc -l <<<"$named")" -ge 8 ] || { echo "--help names too little: $named"; exit 1; }
for word in $named; do
    grep -qE -- "(^|[^a-z-])$word([^a-z]|$)" <<<"$manual" || { echo "the manual misses $word"; exit 1; }
done
# The installed command line finds the PDF worker installed with it, and reads through it.
[ -x "$prefix/libexec/quillmoor/quillmoor-pdf-worker" ] || { echo "no worker installed"; exit 1; }
env -u QUILLMOOR_PDF_WORKER "$prefix/bin/quillmoor-book" search "$1/sample/示例电子书.VELM" 书签 \
    >/dev/null || { echo "the installed quillmoor-book cannot search the sample book"; exit 1; }
