#!/usr/bin/env bash
# Tile creation against gdalwarp on the same synthetic chart, in one run.
#
# Runs build/bin/tile_creation_bench (rendering alone, and rendering plus GIF tile output,
# per level), then, when gdalwarp is installed, writes the same chart as an EPSG:4326 GeoTIFF
# and times single-threaded `gdalwarp -r bilinear` to each level's output resolution
# (the tile pixel pitch of the grid's top row). Rates are per CPU second (user + system) so
# that other load on the machine does not count against either side.
#
# Usage: bench/tile_creation_vs_gdalwarp.sh [build folder, default build]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bench="$build/bin/tile_creation_bench"
[ -x "$bench" ] || { echo "build $bench first (cmake --build build --target tile_creation_bench)" >&2; exit 1; }

echo "== Cartozen tile creation (CPU time, one thread)"
"$bench" --benchmark_counters_tabular=true

if ! command -v gdalwarp >/dev/null; then
  echo "== gdalwarp not installed: no comparison"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --write-chart "$work/chart.raw"
# The raw BGRA bytes as four bands, pixel-interleaved; 48° N 6° E to 45° N 10° E.
cat > "$work/chart.vrt" <<VRT
<VRTDataset rasterXSize="12000" rasterYSize="9000">
  <SRS>EPSG:4326</SRS>
  <GeoTransform>6, 0.000333333333333333, 0, 48, 0, -0.000333333333333333</GeoTransform>
$(i=1; for offset in 2 1 0 3; do cat <<BAND
  <VRTRasterBand dataType="Byte" band="$i" subClass="VRTRawRasterBand">
    <SourceFilename relativetoVRT="1">chart.raw</SourceFilename>
    <ImageOffset>$offset</ImageOffset><PixelOffset>4</PixelOffset><LineOffset>48000</LineOffset>
  </VRTRasterBand>
BAND
i=$((i + 1)); done)
</VRTDataset>
VRT
gdal_translate -q -of GTiff "$work/chart.vrt" "$work/chart.tif"
rm -f "$work/chart.raw"
cat "$work/chart.tif" > /dev/null  # into the page cache, as our chart is in memory

echo "== gdalwarp -r bilinear, one thread, same chart and output resolution ($(gdalwarp --version))"
printf '%-6s %12s %10s %10s\n' level output_MP cpu_s MP/s
"$bench" --resolutions | while read -r level xres yres _; do
  rm -f "$work/out.tif"
  /usr/bin/env time -f '%U %S' -o "$work/time" \
    gdalwarp -q -r bilinear -tr "$xres" "$yres" -te 6 45 10 48 -wo NUM_THREADS=1 \
      --config GDAL_NUM_THREADS 1 --config GDAL_CACHEMAX 1024 "$work/chart.tif" "$work/out.tif"
  size=$(gdalinfo "$work/out.tif" | awk '/^Size is/ {gsub(",", ""); print $3 * $4}')
  read -r user sys < "$work/time"
  awk -v l="$level" -v px="$size" -v u="$user" -v s="$sys" \
    'BEGIN { cpu = u + s; printf "%-6s %12.3f %10.2f %10.2f\n", l, px / 1e6, cpu, px / 1e6 / cpu }'
done
