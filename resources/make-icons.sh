#!/usr/bin/env bash
# Renders the hand-drawn SVG icons of resources/icons/ as the PNG sizes of the hicolor icon theme
# (icons/48x48, icons/128x128, icons/256x256), which are committed so that a build needs no SVG renderer.
# Usage: resources/make-icons.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
command -v rsvg-convert >/dev/null || { echo "make-icons: rsvg-convert is missing (scripts/install-deps installs it)" >&2; exit 1; }
for size in 48 128 256; do
    mkdir -p "$here/icons/${size}x${size}"
    for svg in "$here"/icons/*.svg; do
        name=$(basename "$svg" .svg)
        rsvg-convert -w "$size" -h "$size" "$svg" -o "$here/icons/${size}x${size}/$name.png"
    done
done
echo "icons written to $here/icons"
