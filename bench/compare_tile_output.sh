#!/usr/bin/env bash
# Tile output against ImageMagick's octree colour reduction (convert -colors N), on the same
# 600 x 600 chart-like tiles, in one run. Both sides do the whole road: read the tile (PPM),
# reduce its colours, write a GIF. ImageMagick converts all tiles in one process, so its
# start-up is paid once. Mean colour error (mean RGB distance per pixel) is measured by the
# same decoder for both sides.
#
# Usage: bench/compare_tile_output.sh [build dir (default build)] [tiles (default 24)] [colours (64)]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
count=${2:-24}
colours=${3:-64}
bench="$build/bin/tile_output_bench"
if [ ! -x "$bench" ]; then
  cmake --build "$build" --target tile_output_bench >/dev/null
fi
command -v convert >/dev/null || { echo "ImageMagick (convert) is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --write-samples "$work" "$count"

seconds() { # runs a command, prints its wall time in seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

report() { # name seconds error
  local tiles_s mp_s
  tiles_s=$(echo "$count / $2" | bc -l)
  mp_s=$(echo "$count * 0.36 / $2" | bc -l)
  printf '%-44s %7.3f s %8.1f tiles/s %7.2f MP/s  mean error %s\n' "$1" "$2" "$tiles_s" "$mp_s" "$3"
}

echo "$count tiles of 600 x 600 pixels, $colours colours ($(nproc) cores; ImageMagick $(convert -version | head -1 | cut -d' ' -f3))"
for dither in none floyd; do
  if [ "$dither" = none ]; then ours_option=0; im_dither=(+dither); else ours_option=1; im_dither=(-dither FloydSteinberg); fi
  rm -f "$work"/ours_*.gif "$work"/im_*.gif "$work"/im1_*.gif
  ours_line=$("$bench" --encode "$work" "$colours" "$ours_option")
  ours_time=$(echo "$ours_line" | awk '{print $3}')
  im_time=$(seconds convert "$work"/tile_*.ppm "${im_dither[@]}" -colors "$colours" +adjoin "$work/im_%02d.gif")
  im1_time=$(MAGICK_THREAD_LIMIT=1 seconds convert "$work"/tile_*.ppm "${im_dither[@]}" -colors "$colours" +adjoin "$work/im1_%02d.gif")
  report "ours, dithering $dither" "$ours_time" "$("$bench" --error "$work" ours)"
  report "ImageMagick, dithering $dither" "$im_time" "$("$bench" --error "$work" im)"
  report "ImageMagick 1 thread, dithering $dither" "$im1_time" "$("$bench" --error "$work" im1)"
  printf '  speed-up: %.1fx (%.1fx against 1 thread)\n' "$(echo "$im_time / $ours_time" | bc -l)" \
    "$(echo "$im1_time / $ours_time" | bc -l)"
done
