#!/usr/bin/env bash
# The whole command-line run on a large generated chart: wall and CPU time and peak memory of
#   cartozen2 /P Bench /S chart.tif /X 48 6 2 4 /R 0.25 /R 0.5 /R 1 /R 2 /R 4 /M
# without a display. The memory budget is one source raster (width × height × 4 bytes) plus a
# bounded working set, so the peak is printed next to the raster's size.
#
# Usage: bench/command_line_run.sh [build folder, default build] [width height, default 12000 6000]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
width=${2:-12000}
height=${3:-6000}
for tool in cartozen2 cartozen-sample-chart; do
  [ -x "$build/bin/$tool" ] || { echo "build $tool first (cmake --build $build --target $tool)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Bench/Map sources"
cp "$build/bin/cartozen2" "$work/"
"$build/bin/cartozen-sample-chart" "$work/Bench/Map sources/chart.tif" 48 6 2 4 "$width" "$height" 47,8
cat "$work/Bench/Map sources/chart.tif" >/dev/null  # into the page cache

(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/time -f '%e %U %S %M' \
  -o "$work/time" ./cartozen2 /P Bench /S chart.tif /X 48 6 2 4 /R 0.25 /R 0.5 /R 1 /R 2 /R 4 /M \
  >/dev/null 2>&1) || { echo "run failed: $(cat "$work/Error.txt" 2>/dev/null)" >&2; exit 1; }
read -r wall user sys rss <"$work/time"
tiles=$(find "$work/Bench/Tiles" -name '*.GIF' | wc -l)
awk -v w="$width" -v h="$height" -v wall="$wall" -v u="$user" -v s="$sys" -v rss="$rss" -v t="$tiles" 'BEGIN {
  printf "chart %d x %d (%.1f MP, raster %.0f MiB)\n", w, h, w * h / 1e6, w * h * 4 / 1048576
  printf "tiles %d, wall %.2f s, CPU %.2f s (%.1f ms per tile)\n", t, wall, u + s, (u + s) * 1000 / t
  printf "peak RSS %.0f MiB (%.2f x the raster)\n", rss / 1024, rss * 1024 / (w * h * 4)
}'
