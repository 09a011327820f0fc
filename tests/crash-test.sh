#!/usr/bin/env bash
# Crash test of the command-line pipeline. An uninterrupted run of
#   /P Alps /S alps.tif /X 48 6 2 4 /R 0.25 /R 0.5 /R 1 /M
# on a generated chart is timed (when the first working map file appears in "Temp", when the
# map file reaches "EFIS Maps", when the program ends). Then 20 fresh runs are killed with
# SIGKILL at moments spread over tile writing (10, timed from the start), map building (6,
# timed from the first working map file) and closing with its settings save (4, timed from the
# finished map file). After each kill every file under a final name must be whole: each tile GIF
# decodes, each map file passes efismap-info, each settings file ends in a whole line and holds
# its keys. A fresh run then has to finish with exit status 0, leave no hidden leftovers in
# "Tiles" or "EFIS Maps", and give the same map file bytes as the uninterrupted run.
#
#   tests/crash-test.sh BIN_DIR    (BIN_DIR holds cartozen2, efismap-info, gif-check and
#                                   cartozen-sample-chart)
set -euo pipefail
bin=$(cd "${1:?usage: crash-test.sh BIN_DIR}" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/cartozen-crash-XXXXXX")
trap 'rm -rf "$work"' EXIT
arguments=(/P Alps /S alps.tif /X 48 6 2 4 /R 0.25 /R 0.5 /R 1 /M)
map_name=E004N50.MAP
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# A program folder: the program (linked or copied: it finds its folder through its own path)
# and the project Alps with the chart in "Map sources".
make_folder() {
  mkdir -p "$1/Alps/Map sources"
  ln "$bin/cartozen2" "$1/cartozen2" 2>/dev/null || cp "$bin/cartozen2" "$1/cartozen2"
  cp "$work/alps.tif" "$1/Alps/Map sources/alps.tif"
}

# Starts the pipeline in folder $1 in the background; its pid is the program's own, unless
# $2 is a time limit in seconds for a run that must end by itself.
start_run() {
  local limit=()
  [ -n "${2:-}" ] && limit=(timeout -s KILL "$2")
  (cd "$1" && exec "${limit[@]}" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    ./cartozen2 "${arguments[@]}" >/dev/null 2>&1) &
  run_pid=$!
}

now_ns() { date +%s%N; }

# Waits $1 seconds without starting a process (a start costs milliseconds on a busy machine):
# a read with a time limit on a FIFO nobody writes to.
mkfifo "$work/never"
exec 9<>"$work/never"
pause() { read -r -t "$1" -u 9 || true; }

# Settings file $1 must end in a whole line and hold the keys $2...
check_ini() {
  local file=$1
  shift
  [ -e "$file" ] || return 0
  if [ -s "$file" ] && [ "$(tail -c 2 "$file" | od -An -tx1 | tr -d ' \n')" != "0d0a" ]; then
    fail "$file does not end in a whole line"
  fi
  for key in "$@"; do
    grep -q "^$key=" "$file" || fail "$file lacks $key"
  done
}

# Every file under a final name in project folder $1 is whole.
check_whole() {
  local project=$1 name
  local gifs=()
  while IFS= read -r -d '' name; do gifs+=("$name"); done \
    < <(find "$project/Tiles" -maxdepth 1 -type f ! -name '.*' -print0 2>/dev/null)
  if [ ${#gifs[@]} -gt 0 ] && ! "$bin/gif-check" "${gifs[@]}" >/dev/null; then
    fail "a tile under a final name does not decode in $project/Tiles"
  fi
  for name in "$project/EFIS Maps"/*; do
    [ -e "$name" ] || continue
    "$bin/efismap-info" "$name" >/dev/null || fail "$name is not a sound map file"
  done
  check_ini "$project/Alps.prg" Cartozen2
  check_ini "$project/Map sources/alps.INI" TopLeftLatitude Dithering XYSHIFT-5/3 Y-5/3
  check_ini "$project/../Cartozen2.ini" LastProjectPath LastProjectName
}

# What a killed run had reached, for the report.
progress() {
  local project=$1
  local tiles maps working
  tiles=$(find "$project/Tiles" -maxdepth 1 -type f ! -name '.*' 2>/dev/null | wc -l)
  working=$(find "$project/Temp" -maxdepth 1 -type f 2>/dev/null | wc -l)
  maps=$(find "$project/EFIS Maps" -maxdepth 1 -type f ! -name '.*' 2>/dev/null | wc -l)
  echo "tiles $tiles, working maps $working, maps $maps, app settings $([ -e "$project/../Cartozen2.ini" ] && echo yes || echo no)"
}

"$bin/cartozen-sample-chart" "$work/alps.tif" 48 6 2 4 1601 801 47,8 47.5,7 >/dev/null

# The uninterrupted run, timed by watching its folders.
reference="$work/reference"
make_folder "$reference"
t0=$(now_ns)
start_run "$reference" 300
t_map="" t_final=""
while kill -0 "$run_pid" 2>/dev/null; do
  if [ -z "$t_map" ] && compgen -G "$reference/Alps/Temp/*.MAP" >/dev/null; then t_map=$(now_ns); fi
  if [ -z "$t_final" ] && [ -e "$reference/Alps/EFIS Maps/$map_name" ]; then t_final=$(now_ns); fi
done
if ! wait "$run_pid"; then
  echo "FAILED: the uninterrupted run did not succeed" >&2
  exit 1
fi
t_end=$(now_ns)
# Map building can be too short to be seen between two looks: it then counts as none.
[ -n "$t_map" ] || t_map=$t_final
if [ -z "$t_final" ]; then
  echo "FAILED: the uninterrupted run's phases were not seen (map $t_map, final $t_final)" >&2
  exit 1
fi
expected=$(sha256sum < "$reference/Alps/EFIS Maps/$map_name")
echo "uninterrupted run: tiles until $(((t_map - t0) / 1000000)) ms, maps until" \
  "$(((t_final - t0) / 1000000)) ms, closing until $(((t_end - t0) / 1000000)) ms"

# Kill moments: n evenly inside a span, in nanoseconds after the phase began.
moments() { # span count
  local i
  for ((i = 1; i <= $2; i++)); do echo $(($1 * i / ($2 + 1))); done
}
# Each kill as phase:delay, the phase telling what the delay counts from.
kills=()
for delay in $(moments $((t_map - t0)) 10); do kills+=("start:$delay"); done
for delay in $(moments $((t_final - t_map)) 6); do kills+=("maps:$delay"); done
for delay in $(moments $((t_end - t_final)) 4); do kills+=("closing:$delay"); done

# Waits until the phase has begun in project folder $1 (or the run has ended).
wait_for_phase() {
  case $2 in
    maps) until compgen -G "$1/Temp/*.MAP" >/dev/null || [ -e "$1/EFIS Maps/$map_name" ] ||
        ! kill -0 "$run_pid" 2>/dev/null; do :; done ;;
    closing) until [ -e "$1/EFIS Maps/$map_name" ] || ! kill -0 "$run_pid" 2>/dev/null; do
        :; done ;;
  esac
}

trial=0
for kill in "${kills[@]}"; do
  trial=$((trial + 1))
  phase=${kill%%:*} delay=${kill#*:}
  folder="$work/kill$trial"
  make_folder "$folder"
  start_run "$folder"
  wait_for_phase "$folder/Alps" "$phase"
  pause "$(printf '%d.%06d' $((delay / 1000000000)) $((delay % 1000000000 / 1000)))"
  kill -KILL "$run_pid" 2>/dev/null || true
  wait "$run_pid" 2>/dev/null || true
  echo "kill $trial, $((delay / 1000000)) ms after $phase began: $(progress "$folder/Alps")"
  check_whole "$folder/Alps"

  start_run "$folder" 300
  if ! wait "$run_pid"; then
    fail "the run after kill $trial did not succeed: $(cat "$folder/Error.txt" 2>/dev/null)"
    continue
  fi
  check_whole "$folder/Alps"
  leftovers=$(find "$folder/Alps/Tiles" "$folder/Alps/EFIS Maps" -maxdepth 1 -name '.*' -type f)
  [ -z "$leftovers" ] || fail "leftovers after the run after kill $trial: $leftovers"
  [ "$(sha256sum < "$folder/Alps/EFIS Maps/$map_name")" = "$expected" ] ||
    fail "the map file after kill $trial differs from the uninterrupted run's"
  rm -rf "$folder"
done

if [ "$failures" -gt 0 ]; then
  echo "crash test: $failures failures" >&2
  exit 1
fi
echo "crash test: 20 kills, every file whole, every rerun sound and identical"
