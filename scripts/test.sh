#!/usr/bin/env bash
# The test command: installs what is missing, builds everything, runs every test (the crash
# test among them), then builds the core, its unit tests and the fuzz targets with clang's
# AddressSanitizer + UBSan, runs the tests again and replays the fuzz corpora (that tree has
# no application and no benchmarks), and runs the threaded tests (tiling, workspace) under
# ThreadSanitizer.
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

echo "== Sanitizer build (address, undefined) of the unit tests and the fuzz targets"
# One clang tree for both: the fuzz targets only replay their corpora here, so the libraries
# need no coverage instrumentation and the unit tests' build serves them. Sanitizer trees
# are compiled in batches of files (unity build): they are built for this run alone, and the
# release tree, compiled file by file, still catches a file that misses an include.
# Debug keeps the assertions; -O1 runs the tests three times as fast as -O0 for a little more
# compile time.
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCARTOZEN_BUILD_FUZZ=ON -DCARTOZEN_FUZZ_COVERAGE=OFF -DCARTOZEN_BUILD_BENCH=OFF \
  -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
for target in build-asan/bin/*_fuzz; do
  name=$(basename "$target")
  corpus="fuzz/corpus/${name%_fuzz}"
  if [ -d "$corpus" ]; then
    "$target" -runs=0 "$corpus" >/dev/null 2>&1 || { echo "FAILED: $name on its corpus" >&2; "$target" -runs=0 "$corpus"; exit 1; }
    echo "$name: corpus replayed"
  fi
done

echo "== ThreadSanitizer over the threaded tests"
# The rest of scripts/tsan.sh's set (platform, port, imaging, importer, every window test)
# doubles the time; it stays a command of its own. The window test of a tile run under edits
# is left to it too: it samples the status line within 200 ms of a refusal, which a run slowed
# tenfold by the sanitizer on a busy machine does not give it. So is the import of a whole
# cell at every level (WholeImportTest, 200 s here under the sanitizer, run by both stages
# above): the import's threads run under it in TransparencyCoverageTest. And so are the runs
# across 180° (Antimeridian*, 60 s): their tiles come from the same workers as every other
# run's, which ParallelTilesTest and CreateTilesTest drive under the sanitizer.
CARTOZEN_JOBS="$jobs" CARTOZEN_UNITY=ON "$root/scripts/tsan.sh" build-tsan 'tiling:-Antimeridian*' \
  'workspace:-Cells/WholeImportTest.*:Antimeridian*'

echo "All tests passed."
