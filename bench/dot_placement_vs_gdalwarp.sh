#!/usr/bin/env bash
# Dot misplacement (bench/dot_placement.cpp) of our tiles, before and after the exact placement,
# against gdalwarp's bilinear warp of the same charts to latitude/longitude at the 0.25° tiles'
# pixel pitch, with its default error threshold (0.125 px).
#   bench/dot_placement_vs_gdalwarp.sh [build/bin]
set -euo pipefail
bin=${1:-build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/dot_placement" ours
"$bin/dot_placement" write "$work"
for args in "$work"/*.args; do
  name=$(basename "$args" .args)
  proj=$(sed -n 1p "$args")
  read -r -a corners < <(sed -n 2p "$args")
  read -r -a sampling < <(sed -n 3p "$args")
  gdal_translate -q -a_srs "$proj" -a_ullr "${corners[@]}" "$work/$name.ppm" "$work/$name.tif"
  gdalwarp -q -t_srs EPSG:4326 -r bilinear -te "${sampling[@]:0:4}" -tr "${sampling[@]:4:2}" \
    "$work/$name.tif" "$work/$name-warped.tif"
  gdal_translate -q -of PNM "$work/$name-warped.tif" "$work/$name-warped.ppm"
  "$bin/dot_placement" measure "$name" "$work/$name-warped.ppm"
done
