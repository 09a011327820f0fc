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

# Runs a command; prints its wall time and its CPU time (user + system, all threads) in
# seconds. On a shared machine the CPU time is the steadier figure of the two.
timed() {
  local out
  out=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null; } 2>&1 )
  echo "$out" | awk '{printf "%s %.3f\n", $1, $2 + $3}'
}

report() { # name "wall cpu" error
  local wall cpu
  read -r wall cpu <<<"$2"
  printf '%-40s wall %6.2f s %6.1f tiles/s | cpu %6.2f s %6.1f tiles/s %6.2f MP/s | error %s\n' \
    "$1" "$wall" "$(echo "$count / $wall" | bc -l)" "$cpu" "$(echo "$count / $cpu" | bc -l)" \
    "$(echo "$count * 0.36 / $cpu" | bc -l)" "$3"
}

ratio() { echo "$1 / $2" | bc -l; }

echo "$count tiles of 600 x 600 pixels, $colours colours ($(nproc) cores; ImageMagick $(convert -version | head -1 | cut -d' ' -f3))"
for dither in none floyd; do
  if [ "$dither" = none ]; then ours_option=0; im_dither=(+dither); else ours_option=1; im_dither=(-dither FloydSteinberg); fi
  rm -f "$work"/ours_*.gif "$work"/im_*.gif "$work"/im1_*.gif
  ours=$(timed "$bench" --encode "$work" "$colours" "$ours_option")
  im=$(timed convert "$work"/tile_*.ppm "${im_dither[@]}" -colors "$colours" +adjoin "$work/im_%02d.gif")
  im1=$(MAGICK_THREAD_LIMIT=1 timed convert "$work"/tile_*.ppm "${im_dither[@]}" -colors "$colours" +adjoin "$work/im1_%02d.gif")
  report "ours, dithering $dither" "$ours" "$("$bench" --error "$work" ours)"
  report "ImageMagick, dithering $dither" "$im" "$("$bench" --error "$work" im)"
  report "ImageMagick 1 thread, dithering $dither" "$im1" "$("$bench" --error "$work" im1)"
  read -r ow oc <<<"$ours"; read -r iw ic <<<"$im"; read -r i1w i1c <<<"$im1"
  printf '  speed-up, wall: %.1fx (%.1fx against 1 thread); cpu: %.1fx (%.1fx against 1 thread)\n' \
    "$(ratio "$iw" "$ow")" "$(ratio "$i1w" "$ow")" "$(ratio "$ic" "$oc")" "$(ratio "$i1c" "$oc")"
done
