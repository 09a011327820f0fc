#!/usr/bin/env bash
# The main job on the embedded sample: installs what is missing, builds, and runs the whole
# pipeline without a person on a generated chart in a fresh demo project:
#
#   demo-output/cartozen2                         a copy of the program
#   demo-output/Alps/Map sources/alps.tif         the sample chart (48°N 6°E, 2° × 4°)
#   cartozen2 /P Alps /S alps.tif /X 48 6 2 4 /R 0.25 /R 0.5 /R 1 /R 2 /R 4 /M
#                                                 tiles at all five levels, then map files
#   efismap-info on every map file, and a PNG of the map viewer around the chart's centre.
#
# Then a second run on a chart that carries its own georeference:
#
#   demo-output/Lambert/Map sources/lambert.tif   a Lambert conformal conic GeoTIFF, 1:500,000
#                                                 at 100 dpi, around 47°N 8°E
#   cartozen2 /P Lambert /S lambert.tif /G /R 0.5 /R 1 /R 2 /M
#                                                 the grid from the chart itself, tiles, maps
#
# The program runs display-less (no DISPLAY): it runs without a window and without Qt, writes
# any problem to demo-output/Error.txt and exits 1 then.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/install-deps.sh"

# A build of its own, so the demo never changes the options of build/ (tests, benchmarks).
build="$root/build-demo"
targets=(cartozen2 cartozen-sample-chart efismap-info efismap-view)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARTOZEN_BUILD_TESTS=OFF \
  -DCARTOZEN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
bin="$build/bin"

out="$root/demo-output"
rm -rf "$out"
project="$out/Alps"
mkdir -p "$project/Map sources"
cp "$bin/cartozen2" "$out/"

# The chart: 3200 × 1600 pixels over 48°N..46°N, 6°E..10°E (800 pixels per degree each way),
# with marks at the centre and at a few known places.
north=48 west=6 dlat=2 dlon=4
centre_lat=47 centre_lon=8
chart="$project/Map sources/alps.tif"
echo "== Sample chart"
"$bin/cartozen-sample-chart" "$chart" "$north" "$west" "$dlat" "$dlon" 3200 1600 \
  "$centre_lat,$centre_lon" 47.5,7 46.5,9 47.25,6.5 46.25,9.75

# One display-less run of the program in demo-output; its output goes to the log named first.
# The map builder's progress (one line per tile) and Qt's own remarks are left out of the echo.
run_cartozen() {
  local log="$1"
  shift
  echo "cartozen2 $*"
  local status=0
  (cd "$out" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ./cartozen2 "$@") \
    >"$log" 2>&1 || status=$?
  grep -v '^Adding tile ' "$log" | grep -v -e '^QStandardPaths: ' -e 'propagateSizeHints' || true
  if [ -e "$out/Error.txt" ] || [ "$status" -ne 0 ]; then
    echo "FAILED: the run ended with status $status" >&2
    [ -e "$out/Error.txt" ] && cat "$out/Error.txt" >&2
    exit 1
  fi
  echo "No Error.txt, exit status 0"
}

echo "== Command-line run"
run_cartozen "$out/run.log" /P Alps /S alps.tif /X "$north" "$west" "$dlat" "$dlon" \
  /R 0.25 /R 0.5 /R 1 /R 2 /R 4 /M

echo "== Tiles"
for level in 0 1 2 3 4; do
  count=$(find "$project/Tiles" -maxdepth 1 -name "${level}_*.GIF" | wc -l)
  echo "level $level: $count tiles"
done

echo "== Map files"
shopt -s nullglob
maps=("$project/EFIS Maps/"*.MAP)
if [ ${#maps[@]} -eq 0 ]; then
  echo "FAILED: no map files in $project/EFIS Maps" >&2
  exit 1
fi
"$bin/efismap-info" "${maps[@]}" | grep -v '^  level'
echo "(efismap-info: every map file is sound)"

echo "== Map viewer"
views=()
for level in 0 1 2 3 4; do
  png="$out/viewer-level$level.png"
  "$bin/efismap-view" "$project" "$centre_lat" "$centre_lon" "$level" "$png"
  echo "level $level around N$centre_lat E$centre_lon: $(basename "$png") ($(stat -c %s "$png") bytes)"
  views+=("$png")
done

echo "== Second run: a Lambert GeoTIFF georeferenced from its own tags (/G)"
lambert="$out/Lambert"
mkdir -p "$lambert/Map sources"
# 1:500,000 at 100 dpi is 127 m per pixel; 300 km x 290 km around 47°N 8°E.
"$bin/cartozen-sample-chart" --geotiff "$lambert/Map sources/lambert.tif" \
  "+proj=lcc +lat_0=47 +lon_0=8 +lat_1=44 +lat_2=50 +datum=WGS84 +units=m" \
  -150000 145000 127 2362 2283
run_cartozen "$out/run-lambert.log" /P Lambert /S lambert.tif /G /R 0.5 /R 1 /R 2 /M
grep -E '^(TopLeft|BottomRight)(Latitude|Longitude)=' "$lambert/Map sources/lambert.INI" |
  tr '\r\n' '  '
echo "(GeoCoord units: 180000 per degree)"
for level in 1 2 3; do
  echo "level $level: $(find "$lambert/Tiles" -maxdepth 1 -name "${level}_*.GIF" | wc -l) tiles"
done
lambert_maps=("$lambert/EFIS Maps/"*.MAP)
if [ ${#lambert_maps[@]} -eq 0 ]; then
  echo "FAILED: no map files in $lambert/EFIS Maps" >&2
  exit 1
fi
"$bin/efismap-info" "${lambert_maps[@]}" | grep -v '^  level'
lambert_png="$out/viewer-lambert-level1.png"
"$bin/efismap-view" "$lambert" 47 8 1 "$lambert_png"
echo "viewer level 1 around N47 E8: $(basename "$lambert_png")"

echo
echo "== Outputs"
echo "Program:          $out/cartozen2"
echo "Project:          $project ($(basename "$project"/*.prg))"
echo "Sample chart:     $chart"
echo "Chart settings:   $project/Map sources/alps.INI"
echo "Tiles:            $project/Tiles ($(find "$project/Tiles" -name '*.GIF' | wc -l) GIF files)"
for map in "${maps[@]}"; do
  echo "Map file:         $map"
done
echo "Viewer pictures:  ${views[0]} (0.25° per tile, centre N${centre_lat} E${centre_lon})"
for png in "${views[@]:1}"; do
  echo "                  $png"
done
echo "Lambert GeoTIFF:  $lambert/Map sources/lambert.tif (settings: lambert.INI)"
echo "Lambert tiles:    $lambert/Tiles, maps in $lambert/EFIS Maps, viewer: $lambert_png"
echo "App settings:     $out/Cartozen2.ini"
echo "Run output:       $out/run.log, $out/run-lambert.log"
