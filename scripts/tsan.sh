#!/usr/bin/env bash
# ThreadSanitizer over the tests that run threads: tile creation's workers (tiling, workspace),
# the TIFF band decoder (imaging), the web-tile mosaic (importer), the ordered parallel loop and
# the file helpers the workers call (platform), the cancel signals (port), and the windows that
# drive tile jobs (app, offscreen). Builds them in build-tsan (or $1), runs each executable
# once, prints a summary and exits non-zero on any report or failed test.
#
# Further arguments choose the executables, each by its folder name, optionally with a gtest
# filter after a colon: `scripts/tsan.sh build-tsan tiling workspace 'app:JobInputsFrozen*'`
# is the test command's stage (scripts/test.sh).
#
# Debian's Qt is not instrumented: what it reports from inside itself is suppressed in
# scripts/tsan-suppressions.txt, each entry with its reason. Our own code gets no suppression.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${1:-build-tsan}
jobs=${CARTOZEN_JOBS:-$(nproc)}
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
selection=("${@:2}")
[ ${#selection[@]} -gt 0 ] || selection=(platform port imaging tiling importer workspace app)
tests=("${selection[@]%%:*}")

# The application is built only for the window tests, which also start the built program (its
# command line; it runs instrumented too). CARTOZEN_UNITY=ON compiles in batches of files.
app=OFF
for name in "${tests[@]}"; do [ "$name" != app ] || app=ON; done
# Assertions on (no NDEBUG); -O1 compiles faster than -O2 and runs about as fast under the
# sanitizer, and the tests' own code keeps -O1 too (tests/CMakeLists.txt).
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DCARTOZEN_SANITIZE_THREAD=ON \
  -DCARTOZEN_BUILD_BENCH=OFF -DCARTOZEN_BUILD_APP="$app" -DCMAKE_UNITY_BUILD="${CARTOZEN_UNITY:-OFF}" >/dev/null
targets=("${tests[@]/%/_tests}")
[ "$app" = OFF ] || targets+=(cartozen2)
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan-suppressions.txt"
export QT_QPA_PLATFORM=offscreen
# Workers start only with more than one thread; a one-core runner must still run them.
export CARTOZEN_THREADS=${CARTOZEN_THREADS:-4}
logs="$build/tsan-logs"
mkdir -p "$logs"

failed=0
total_tests=0
total_reports=0
summary=()
for chosen in "${selection[@]}"; do
  name=${chosen%%:*}
  filter=*
  [ "$chosen" = "$name" ] || filter=${chosen#*:}
  exe="$build/bin/${name}_tests"
  log="$logs/$name.log"
  # The executable's tests in one shard per job, side by side (gtest's sharding), each with a
  # log of its own, joined afterwards.
  rc=0
  pids=()
  for shard in $(seq 0 $((jobs - 1))); do
    GTEST_TOTAL_SHARDS=$jobs GTEST_SHARD_INDEX=$shard \
      "$exe" --gtest_brief=1 --gtest_filter="$filter" >"$log.$shard" 2>&1 &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || rc=$?; done
  passed=0
  for shard in $(seq 0 $((jobs - 1))); do
    count=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log.$shard" | tail -1)
    passed=$((passed + ${count:-0}))
    cat "$log.$shard"
    rm -f "$log.$shard"
  done >"$log"
  reports=$(grep -cE '^(WARNING|ERROR|FATAL): ThreadSanitizer' "$log" || true)
  total_tests=$((total_tests + ${passed:-0}))
  total_reports=$((total_reports + reports))
  summary+=("$(printf '%-16s %5s tests passed  %d reports  exit %d' "${name}_tests" "${passed:-0}" "$reports" "$rc")")
  if [ "$rc" -ne 0 ] || [ "$reports" -ne 0 ]; then
    failed=1
    echo "== ${name}_tests failed (exit $rc); its log: $log" >&2
    # The report, or the failed tests when there is none.
    if [ "$reports" -ne 0 ]; then
      sed -n '/^==================$/,/^==================$/p' "$log" | head -150 >&2
    else
      grep -E '^\[  FAILED  \]|Failure' "$log" | head -40 >&2
      tail -20 "$log" >&2
    fi
  fi
done

echo "== ThreadSanitizer (CARTOZEN_THREADS=$CARTOZEN_THREADS)"
printf '%s\n' "${summary[@]}"
echo "${#tests[@]} executables, $total_tests tests passed, $total_reports reports"
exit "$failed"
