#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the Debian package from the tree. dpkg-buildpackage writes beside the tree it builds, so
# it builds a copy of the tracked files under the output folder, where the .deb then lies. The
# build runs the suite on the programs it packs; DEB_BUILD_OPTIONS=nocheck leaves it out.
#   scripts/package.sh [OUTPUT_FOLDER]      (default: build-deb)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

out=$(realpath -m "${1:-build-deb}")
tree=$out/quillmoor-$(dpkg-parsechangelog -S Version)
rm -rf "$out"
mkdir -p "$tree"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z | xargs -0 cp --parents -t "$tree"
else
    tar --exclude='./build*' --exclude='./.git' -cf - . | tar -xf - -C "$tree"
fi
(cd "$tree" && DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-parallel=2} dpkg-buildpackage -us -uc -b)
ls "$out"/quillmoor_*.deb
