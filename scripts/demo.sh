#!/usr/bin/env bash
# The main job on the embedded sample: installs what is missing, builds, and runs the
# pipeline on a generated chart in a fresh demo project.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
out="$root/demo-output"
rm -rf "$out"
mkdir -p "$out"
cp build/bin/cartozen2 "$out/"
echo "Built $out/cartozen2"
