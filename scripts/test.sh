#!/usr/bin/env bash
# The test command: installs what is missing, builds everything, runs every test (the crash
# test among them), then builds the core and its unit tests with AddressSanitizer + UBSan and
# runs them again (that tree has no application and no benchmarks), runs the threaded tests
# (tiling, workspace) under ThreadSanitizer,
# and replays the fuzz corpora through the fuzz targets (that tree builds only them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
# The compiler cache (used by CMake when present) also hits for a clone in another folder:
# paths below the clone are hashed relative to it, and not the folder a compiler ran in.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

"$root/scripts/install-deps.sh"

echo "== The core must not include Qt"
if grep -rnE '^\s*#\s*include\s*[<"]Q[A-Za-z]*(/|>|")' src --include='*.h' --include='*.cpp' \
     | grep -v '^src/app/'; then
  echo "FAILED: a core file includes a Qt header" >&2
  exit 1
fi

echo "== Build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Sanitizer build (address, undefined) of the unit tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCARTOZEN_SANITIZE=ON \
  -DCARTOZEN_BUILD_APP=OFF -DCARTOZEN_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== ThreadSanitizer over the threaded tests"
# The rest of scripts/tsan.sh's set (platform, port, imaging, importer, every window test)
# doubles the time; it stays a command of its own. The window test of a tile run under edits
# is left to it too: it samples the status line within 200 ms of a refusal, which a run slowed
# tenfold by the sanitizer on a busy machine does not give it.
CARTOZEN_JOBS="$jobs" "$root/scripts/tsan.sh" build-tsan tiling workspace

if ls fuzz/*_fuzz.cpp >/dev/null 2>&1; then
  echo "== Fuzz targets: build with clang and replay their corpora"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCARTOZEN_BUILD_FUZZ=ON -DCARTOZEN_BUILD_TESTS=OFF -DCARTOZEN_BUILD_BENCH=OFF >/dev/null
  mapfile -t fuzz_targets < <(ninja -C build-fuzz -t targets all |
    sed -n 's|^bin/\([a-z_]*_fuzz\): .*|\1|p' | sort -u)
  cmake --build build-fuzz -j "$jobs" --target "${fuzz_targets[@]}"
  for target in build-fuzz/bin/*_fuzz; do
    name=$(basename "$target")
    corpus="fuzz/corpus/${name%_fuzz}"
    if [ -d "$corpus" ]; then
      "$target" -runs=0 "$corpus" >/dev/null 2>&1 || { echo "FAILED: $name on its corpus" >&2; "$target" -runs=0 "$corpus"; exit 1; }
      echo "$name: corpus replayed"
    fi
  done
fi
echo "All tests passed."
