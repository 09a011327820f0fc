#!/usr/bin/env bash
# The whole command-line run on a large generated chart with scanner-like noise: wall and CPU
# time and peak memory of
#   level 0:     cartozen2 /P Bench /S chart.tif /X 48 6 4 6 /R 0.25
#   all levels:  cartozen2 /P Bench /S chart.tif /X 48 6 4 6 /R 0.25 /R 0.5 /R 1 /R 2 /R 4 /M
# without a display, each with one thread and with all threads (CARTOZEN_THREADS), and, in the
# same run for a fair comparison on a shared machine:
#   - the same two runs of an earlier build (second argument), e.g. a build of an older commit;
#   - when gdalwarp is installed: `gdalwarp -r bilinear` of the same chart to the level-0
#     resolution (600 pixels per 0.25° of latitude, the tile width of the chart's middle row
#     per 0.25° of longitude) with one thread.
# After them: `vips copy` of the chart (the load's peer) and bench/tile_stages on the chart,
# the per-stage times of the level-0 run on one thread.
# The chart is 12000 × 9000 pixels over 4° × 6° (384 level-0 tiles) with near-Gaussian noise
# of deviation 3 per channel and a fixed seed. The memory budget is one source raster
# (width × height × 4 bytes) plus a bounded working set, so the peak is printed next to it.
#
# Where the time goes (level 0, one thread; perf record -F 999 -g of `cartozen2 ... /R 0.25`
# with CARTOZEN_THREADS=1, and tile_stages per stage, thread CPU ms over the 384 tiles, best
# of 3, on the shared 2-core machine):
#   chart load 210-300 ms (most of it the kernel zeroing the raster's fresh pages and copying
#   the file's), resample 400-440, colour tree 720-830, palette search 300-350, GIF LZW
#   460-540, write + rename with fsync 160-190; Floyd-Steinberg dithering (not in this run)
#   ~2800.
# Every stage streams the ~1 MB tile raster or its indices through a cache too small to keep
# them, and on noisy charts each pixel is its own colour: no stage dominates. What made the
# stages faster, in A/B runs of tile_stages: rendering four pixels at a time with AVX2
# (600 -> 390 ms; the positions are still summed one pixel after the other), the palette
# search scanning long candidate lists eight at a time (390 -> 310), the octree's pixel loop
# keeping its node array in a local (7 %), the LZW dictionary in 2^15 slots (7 %) with
# two-index strings in a direct table (5 %), the TIFF's RGB widened sixteen bytes at a time
# (load 410 -> 270 ms, one thread). Rendering asks for the chart rows a few tile rows ahead;
# a tile's GIF buffer is reserved to its largest size; the workers do not wait in fsync for
# each tile's file, the committing thread does; the chart's raster is in 4 KB pages (on this
# virtual machine fresh 2 MB pages mostly have to come back from the host: see Raster32.cpp).
# Tried and dropped, as slower or no faster: an LZW dictionary of key | code in one 64 KB or
# 32 KB array, or of 2^13 or 2^14 slots; an LZW step without a branch on whether the string
# is known (its chain of dependent loads outlasts the mispredictions); compact 16-byte leaf
# sums in the octree's pixel loop (2-3 % of that stage); AVX2 gathers for the sampler's
# neighbours or for cached palette indices (slower than plain loads on this processor); a
# nearest-colour cache of 2^17 entries (its misses are first sightings); four decoding bands
# per thread instead of one; three workers on two cores.
#
# Usage: bench/command_line_run.sh [build folder, default build] [earlier build folder]
#        [width height, default 12000 9000]
# Each run is repeated ROUNDS times (default 3; gdalwarp too) and the median wall time kept:
# on a virtual machine the first touch of fresh memory costs from 0.1 to 1 s for the chart's
# raster, depending on whether the host still backs the pages.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
earlier=${2:-}
width=${3:-12000}
height=${4:-9000}
rounds=${ROUNDS:-3}
for tool in cartozen2 cartozen-sample-chart; do
  [ -x "$build/bin/$tool" ] || { echo "build $tool first (cmake --build $build --target $tool)" >&2; exit 1; }
done
[ -z "$earlier" ] || [ -x "$earlier/bin/cartozen2" ] || { echo "no $earlier/bin/cartozen2" >&2; exit 1; }
threads=$(nproc)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/cartozen-sample-chart" "$work/chart.tif" 48 6 4 6 "$width" "$height" 46,9 noise=3,42
echo "load when starting: $(uptime | sed 's/.*load average/load average/')"
printf '%-34s %7s %8s %8s %9s %6s\n' run wall_s cpu_s ms/tile peak_MiB tiles

# run LABEL BINARY THREADS SWITCHES...: a fresh project with the chart, ROUNDS timed runs; the
# run of median wall time is printed and kept.
# Every round gets a folder of its own, and none is removed before the end: on an ext4 file
# system without a journal (this machine's), a new file's inode is looked for past every inode
# deleted in the last 30 seconds, so removing the last round's 384 tiles just before a round
# made each of its file creations scan them (0.15 s of a 1.5 s run). A first run in a project
# meets no such deletions; replacing the tiles of a run made less than a minute before does.
serial=0
# one_round BINARY THREADS SWITCHES...: one timed run in a new project folder; appends
# "wall user sys rss tiles" to $work/rounds.
one_round() {
  local binary=$1 count=$2
  shift 2
  serial=$((serial + 1))
  local dir="$work/run-$serial"
  mkdir -p "$dir/Bench/Map sources"
  cp "$binary" "$dir/cartozen2"
  ln "$work/chart.tif" "$dir/Bench/Map sources/chart.tif"
  cat "$work/chart.tif" >/dev/null  # in the page cache for every run alike
  (cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM CARTOZEN_THREADS="$count" \
    /usr/bin/time -f '%e %U %S %M' -o "$dir/time" ./cartozen2 /P Bench /S chart.tif /X 48 6 4 6 "$@" \
    >/dev/null 2>&1) || { echo "run failed: $(cat "$dir/Error.txt" 2>/dev/null)" >&2; exit 1; }
  echo "$(cat "$dir/time") $(find "$dir/Bench/Tiles" -name '*.GIF' | wc -l)" >>"$work/rounds"
}

run() {
  local label=$1 binary=$2 count=$3
  shift 3
  local round
  : >"$work/rounds"
  for round in $(seq "$rounds"); do one_round "$binary" "$count" "$@"; done
  local wall user sys rss tiles
  read -r wall user sys rss tiles < <(sort -n "$work/rounds" | sed -n "$(((rounds + 1) / 2))p")
  awk -v l="$label" -v wall="$wall" -v u="$user" -v s="$sys" -v rss="$rss" -v t="$tiles" \
    -v all="$(cut -d' ' -f1 "$work/rounds" | sort -n | tr '\n' ' ')" 'BEGIN {
    printf "%-34s %7.2f %8.2f %8.1f %9.0f %6d   (walls %s)\n", l, wall, u + s, (u + s) * 1000 / t, rss / 1024, t, all
  }'
  echo "$label $wall $user $sys $rss" >>"$work/results"
}

levelZero=(/R 0.25)
allLevels=(/R 0.25 /R 0.5 /R 1 /R 2 /R 4 /M)
run "level 0, 1 thread" "$build/bin/cartozen2" 1 "${levelZero[@]}"
run "level 0, $threads threads" "$build/bin/cartozen2" "$threads" "${levelZero[@]}"
run "all levels + /M, 1 thread" "$build/bin/cartozen2" 1 "${allLevels[@]}"
run "all levels + /M, $threads threads" "$build/bin/cartozen2" "$threads" "${allLevels[@]}"
if [ -n "$earlier" ]; then
  run "earlier build: level 0, $threads threads" "$earlier/bin/cartozen2" "$threads" "${levelZero[@]}"
  run "earlier build: all levels + /M" "$earlier/bin/cartozen2" 1 "${allLevels[@]}"
fi

if command -v gdalwarp >/dev/null; then
  # Level-0 output size: 24 tiles of 600 rows per 4°, 24 tiles of the middle row's width.
  tileWidth=$(awk 'BEGIN { printf "%d", 600 * cos(46 * atan2(0, -1) / 180) + 0.5 }')
  gdal_translate -q -of VRT -a_srs EPSG:4326 -a_ullr 6 48 12 44 "$work/chart.tif" "$work/chart.vrt"
  : >"$work/gdalrounds"
  : >"$work/rounds"
  for round in $(seq "$rounds"); do
    # Our level-0 run right before each warp: the machine's speed drifts over minutes (the
    # same run's CPU time by up to a quarter here), so each warp is set against its neighbour.
    one_round "$build/bin/cartozen2" "$threads" "${levelZero[@]}"
    rm -f "$work/warp.tif"
    /usr/bin/time -f '%e %U %S %M' -o "$work/gdaltime" \
      gdalwarp -q -r bilinear -ts $((24 * tileWidth)) $((16 * 600)) -wo NUM_THREADS=1 \
        --config GDAL_NUM_THREADS 1 --config GDAL_CACHEMAX 1024 "$work/chart.vrt" "$work/warp.tif"
    cat "$work/gdaltime" >>"$work/gdalrounds"
  done
  sort -n "$work/gdalrounds" | sed -n "$(((rounds + 1) / 2))p" >"$work/gdaltime"
  read -r wall user sys rss <"$work/gdaltime"
  awk -v wall="$wall" -v u="$user" -v s="$sys" -v rss="$rss" -v w="$((24 * tileWidth))" 'BEGIN {
    printf "%-34s %7.2f %8.2f %8s %9.0f %6s\n", "gdalwarp -r bilinear, 1 thread", wall, u + s, "-", rss / 1024, "-"
    printf "  (output %d x 9600 pixels)\n", w
  }'
  echo "gdalwarp $wall $user $sys $rss" >>"$work/results"
  paste -d' ' <(cut -d' ' -f1 "$work/rounds") <(cut -d' ' -f1 "$work/gdalrounds") | awk '
    { ratio[NR] = $2 / $1; pairs = pairs sprintf(" %.2f/%.2f", $2, $1) }
    END {
      for (i = 2; i <= NR; i++) for (j = i; j > 1 && ratio[j - 1] > ratio[j]; j--) {
        t = ratio[j]; ratio[j] = ratio[j - 1]; ratio[j - 1] = t
      }
      n = NR
      printf "level 0: gdalwarp / this build, each warp against the run before it:%s s -> median %.2fx\n", pairs, ratio[int((n + 1) / 2)]
    }'
fi

if command -v vips >/dev/null; then
  # The peer of the chart's load: libvips reading the same file into its own format.
  cat "$work/chart.tif" >/dev/null
  /usr/bin/time -f '%e %U %S %M' -o "$work/vipstime" vips copy "$work/chart.tif" "$work/copy.v"
  rm -f "$work/copy.v"
  read -r wall user sys rss <"$work/vipstime"
  awk -v wall="$wall" -v u="$user" -v s="$sys" -v rss="$rss" 'BEGIN {
    printf "%-34s %7.2f %8.2f %8s %9.0f %6s\n", "vips copy chart.tif copy.v", wall, u + s, "-", rss / 1024, "-"
  }'
fi

if [ -x "$build/bin/tile_stages" ]; then
  echo "== stages of the level-0 run, one thread (bench/tile_stages.cpp)"
  CARTOZEN_THREADS=1 "$build/bin/tile_stages" "$work/chart.tif" 48 6 4 6 1 3
fi

echo "load when done: $(uptime | sed 's/.*load average/load average/')"
awk -v w="$width" -v h="$height" -v n="$threads" '
  { label = $0; sub(/ [^ ]+ [^ ]+ [^ ]+ [^ ]+$/, "", label); wall[label] = $(NF - 3); rss[label] = $NF }
  END {
    raster = w * h * 4 / 1048576
    printf "chart %d x %d, raster %.0f MiB; budget raster + 200 MiB = %.0f MiB\n", w, h, raster, raster + 200
    one = wall["level 0, 1 thread"]; all = wall["level 0, " n " threads"]
    printf "level 0: 1 -> %d threads %.2fx (wall)\n", n, one / all
    e = "earlier build: level 0, " n " threads"
    if (e in wall) printf "level 0: earlier build / this build (all threads) %.2fx (wall)\n", wall[e] / all
    if ("gdalwarp" in wall) printf "level 0: gdalwarp / this build (all threads) %.2fx (wall)\n", wall["gdalwarp"] / all
    for (l in rss) if (l != "gdalwarp" && l !~ /^earlier build/) peak = rss[l] / 1024 > peak ? rss[l] / 1024 : peak
    printf "peak of our runs %.0f MiB (%s the budget)\n", peak, peak <= raster + 200 ? "within" : "OVER"
  }' "$work/results"
