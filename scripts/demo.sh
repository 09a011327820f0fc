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
# The program runs display-less (no DISPLAY): it picks Qt's offscreen platform itself, writes
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

echo "== Command-line run"
arguments=(/P Alps /S alps.tif /X "$north" "$west" "$dlat" "$dlon"
  /R 0.25 /R 0.5 /R 1 /R 2 /R 4 /M)
echo "cartozen2 ${arguments[*]}"
# The map builder's progress (one line per tile) and Qt's own remarks go to run.log.
status=0
(cd "$out" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ./cartozen2 "${arguments[@]}") \
  >"$out/run.log" 2>&1 || status=$?
grep -v '^Adding tile ' "$out/run.log" | grep -v -e '^QStandardPaths: ' -e 'propagateSizeHints' || true
if [ -e "$out/Error.txt" ] || [ "$status" -ne 0 ]; then
  echo "FAILED: the run ended with status $status" >&2
  [ -e "$out/Error.txt" ] && cat "$out/Error.txt" >&2
  exit 1
fi
echo "No Error.txt, exit status 0"

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
echo "App settings:     $out/Cartozen2.ini"
echo "Run output:       $out/run.log"
