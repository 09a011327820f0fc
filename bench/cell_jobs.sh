#!/usr/bin/env bash
# Cell jobs against the one-machine run, on a generated project of 16 map cells (4 × 4 cells,
# 58° N to 26° N, 4° W to 28° E): one 3° × 3° chart inside each cell with a coverage box a
# quarter degree inside it, and three charts across cell borders (one across a cell corner),
# tiled at 4, 2, 1 and 0.5 degrees per tile. In one run, on the same machine:
#   one machine  the charts one after another in list order (the command-line pipeline), then /M
#   parallel -j2 /J, then GNU parallel -j 2 of the job list, in a copy of the project
#   parallel -j1 the job list one job at a time: the jobs' total time against the longest job
#                (the shortest a run of the list can take, however many machines it has)
# and checks that all three give the same tiles and map files, byte for byte.
#
# Usage: bench/cell_jobs.sh [build folder, default build]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
for tool in cartozen2 cartozen-sample-chart; do
  [ -x "$build/bin/$tool" ] || { echo "build $tool first (cmake --build $build --target $tool)" >&2; exit 1; }
done
command -v parallel >/dev/null || { echo "GNU parallel is needed (apt-get install parallel)" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/bin/cartozen2" "$work/"
mkdir -p "$work/One/Map sources"
levels="/R 4 /R 2 /R 1 /R 0.5"
runs=()  # the pipeline's switches per chart, in list order
n=0
for north in 58 50 42 34; do
  for west in -4 4 12 20; do
    n=$((n + 1))
    lat=$((north - 2)) lon=$((west + 2))
    "$build/bin/cartozen-sample-chart" "$work/One/Map sources/c$n.tif" $lat $lon 3 3 901 901 >/dev/null
    box="$(echo "$lat $lon" | awk '{printf "%.2f %.2f %.2f %.2f", $1-0.25, $1-2.75, $2+0.25, $2+2.75}')"
    runs+=("/S c$n.tif /X $lat $lon 3 3 $levels /B $box")
  done
done
for cross in "51 2 2 4" "43 10 2 4" "36 18 4 4"; do
  n=$((n + 1))
  read -r lat lon dlat dlon <<< "$cross"
  "$build/bin/cartozen-sample-chart" "$work/One/Map sources/c$n.tif" "$lat" "$lon" "$dlat" "$dlon" \
    1201 601 >/dev/null
  runs+=("/S c$n.tif /X $cross $levels")
done

now() { date +%s.%N; }
echo "load when starting: $(uptime | sed 's/.*load average/load average/')"
cd "$work"
start=$(now)
# shellcheck disable=SC2086  # each entry is the chart's switches, split as on a command line
for switches in "${runs[@]}"; do ./cartozen2 /P One $switches >/dev/null; done
./cartozen2 /P One /M >/dev/null
one=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }')

for copy in Two Three; do mkdir "$copy" && cp One/One.prg "$copy/$copy.prg"; done
start=$(now)
./cartozen2 /P Two /J > jobs2.txt
parallel -j 2 --joblog log2.txt < jobs2.txt >/dev/null
two=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }')
./cartozen2 /P Three /J > jobs3.txt
parallel -j 1 --joblog log3.txt < jobs3.txt >/dev/null

for copy in Two Three; do
  for sub in Tiles "EFIS Maps"; do
    diff -r "One/$sub" "$copy/$sub" >/dev/null || { echo "$copy/$sub differs from the one-machine run" >&2; exit 1; }
  done
done
# Job log columns: Seq Host Starttime JobRuntime Send Receive Exitval Signal Command.
read -r jobs total longest < <(awk 'NR > 1 { n++; t += $4; if ($4 > m) m = $4 } END { printf "%d %.2f %.2f\n", n, t, m }' log3.txt)
echo "$(ls One/Tiles | wc -l) tiles, $(ls "One/EFIS Maps" | wc -l) map files, $jobs cell jobs, $(nproc) cores; output byte-identical"
printf '%-44s %8s\n' run wall_s
printf '%-44s %8s\n' "one machine (pipeline per chart, then /M)" "$one"
printf '%-44s %8s\n' "/J + parallel -j 2 of the job list" "$two"
printf '%-44s %8s\n' "job list total (parallel -j 1, sum of jobs)" "$total"
printf '%-44s %8s\n' "longest job" "$longest"
