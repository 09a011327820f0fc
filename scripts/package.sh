#!/usr/bin/env bash
# Builds the Debian package from the source tree in a fresh build folder of its own:
#   build-package/cartozen2_<version>_<arch>.deb
# (programs in /usr/bin, desktop entry, icon, AppStream metadata, manual pages), then checks
# that every file lies under /usr but not /usr/local and that the installed desktop files
# validate. Install it with: apt install ./build-package/cartozen2_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/install-deps.sh"

build="$root/build-package"
rm -rf "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARTOZEN_BUILD_TESTS=OFF \
  -DCARTOZEN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)

shopt -s nullglob
packages=("$build"/cartozen2_*.deb)
if [ ${#packages[@]} -ne 1 ]; then
  echo "FAILED: expected one cartozen2 package in $build" >&2
  exit 1
fi
deb=${packages[0]}

echo "== Package"
dpkg-deb --field "$deb" Package Version Architecture Maintainer Depends
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$')
if grep -v -e '^\./usr/' <<<"$files" || grep -e '^\./usr/local/' <<<"$files"; then
  echo "FAILED: files outside /usr or under /usr/local" >&2
  exit 1
fi

# The desktop files as installed, not as in the tree.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb --extract "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/cartozen2.desktop"
appstreamcli validate --no-net --pedantic "$unpacked"/usr/share/metainfo/*.metainfo.xml >/dev/null

echo "$(wc -l <<<"$files") files"
echo "Built: $deb"
