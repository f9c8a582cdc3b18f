#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs every Debian package the build, the tests and the sample run need.
# Quick when everything is already there: apt is asked only for what is missing.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libpoppler-qt6-dev libqpdf-dev libseccomp-dev libglib2.0-dev libcups2-dev poppler-data libgl-dev libxkbcommon-dev
    xvfb xauth xdotool imagemagick poppler-utils qpdf
    fonts-noto-cjk fonts-liberation2
    clang-14 libclang-rt-14-dev clang-format-14
    shared-mime-info desktop-file-utils qt6-translations-l10n
    appstream man-db groff-base dpkg-dev debhelper lintian
    time strace
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
SUDO=
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
