#!/usr/bin/env bash
# Renders the PNG sizes of the program's icon from cartozen2.svg into the hicolor layout
# beside it. The PNGs are committed; run this after changing the SVG (needs rsvg-convert,
# Debian package librsvg2-bin). The same SVG and rsvg-convert give the same bytes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 48 128 256; do
  out="$here/hicolor/${size}x${size}/apps/cartozen2.png"
  mkdir -p "$(dirname "$out")"
  rsvg-convert --width "$size" --height "$size" "$here/cartozen2.svg" --output "$out"
  echo "$out"
done
