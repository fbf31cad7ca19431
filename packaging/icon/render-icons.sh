#!/bin/sh
# Renders the icon's PNG sizes from its SVG sources into packaging/icon/png/ (committed, so that
# a build needs no SVG renderer). Run it after editing an SVG; check-package.sh fails while the
# committed PNGs differ from a fresh rendering.
# Usage: sh packaging/icon/render-icons.sh [OUTPUT_FOLDER]
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/png}"
command -v rsvg-convert >/dev/null || { echo "render-icons.sh: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2; exit 1; }
mkdir -p "$out"
# 16 px has its own drawing on the pixel grid; the larger sizes scale the main one.
rsvg-convert -w 16 -h 16 -o "$out/16.png" "$here/ov2-16.svg"
for size in 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" -o "$out/$size.png" "$here/ov2.svg"
done
