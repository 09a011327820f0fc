#!/usr/bin/env bash
# Map building against `cat` of the same tile bytes into one file, measured side by side in
# one run of build/bin/makemaps_bench, on the disk of $TMPDIR and on /dev/shm (memory only).
# Usage: bench/makemaps_vs_cat.sh [TILE_MB]   (default 64)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build -G Ninja -DCARTOZEN_BUILD_APP=OFF >/dev/null
cmake --build build -j2 --target makemaps_bench >/dev/null
export CARTOZEN_BENCH_TILE_MB=${1:-64}
for place in "${TMPDIR:-/tmp}" /dev/shm; do
  [ -d "$place" ] || continue
  echo "== $CARTOZEN_BENCH_TILE_MB MB of tiles in $place"
  json=$(mktemp)
  TMPDIR=$place build/bin/makemaps_bench --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_out="$json" --benchmark_out_format=json \
    >/dev/null 2>&1
  python3 - "$json" <<'PY'
import json, sys
runs = {b["run_name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
cat = runs["BM_CatSameTiles"]
print(f"{'benchmark':32} {'wall ms':>9} {'MB/s':>8} {'cpu ms':>8} {'wall/cat':>9} {'cpu/cat':>8}")
for name, b in runs.items():
    print(f"{name:32} {b['real_time']:9.0f} {b['bytes_per_second']/2**20:8.0f} {b['cpu_ms']:8.0f}"
          f" {b['real_time']/cat['real_time']:9.2f} {b['cpu_ms']/cat['cpu_ms']:8.2f}")
PY
  rm -f "$json"
done
