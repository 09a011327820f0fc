#!/usr/bin/env bash
# A fuzzing campaign: fuzz/campaign.sh MINUTES [JOBS] [TARGET...]
#
# Builds the fuzz targets with AddressSanitizer and UndefinedBehaviorSanitizer in a build
# folder of its own (build-fuzz-campaign, or $CARTOZEN_CAMPAIGN_BUILD), then runs each
# target (default: every fuzz/*_fuzz.cpp) for MINUTES minutes, JOBS targets at a time
# (default: nproc), each on a scratch copy of its committed corpus, so fuzz/corpus is never
# written. A target that finds a crash is started again without the input that caused it
# (when that input came from its corpus) until its minutes are used up. At the end it prints
# one table and the results folder, which holds per target the scratch corpus, the logs and
# the crash-, leak-, timeout- and oom- artifacts. Exits 1 when any target found something,
# 2 when a target could not be built or run.
#
# Environment: CAMPAIGN_RSS_MB (memory limit per target, default 2048), CAMPAIGN_TIMEOUT
# (seconds per input, default 10), CARTOZEN_CAMPAIGN_RESULTS (default: results/ in the build
# folder). Works under nice and without a terminal.
set -uo pipefail

usage() {
  echo "usage: $0 MINUTES [JOBS] [TARGET...]" >&2
  exit 2
}

root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || usage
minutes=$1
shift
[[ $minutes =~ ^[0-9]+([.][0-9]+)?$ ]] || usage
jobs=$(nproc)
if [ $# -ge 1 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  jobs=$1
  shift
fi
[ "$jobs" -ge 1 ] || usage
seconds=$(awk -v m="$minutes" 'BEGIN { s = int(m * 60 + 0.5); print (s < 1 ? 1 : s) }')
rss_mb=${CAMPAIGN_RSS_MB:-2048}
timeout=${CAMPAIGN_TIMEOUT:-10}
max_restarts=20

mapfile -t all_targets < <(cd "$root/fuzz" && ls -- *_fuzz.cpp | sed 's/_fuzz\.cpp$//' | sort)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
for target in "${targets[@]}"; do
  known=0
  for name in "${all_targets[@]}"; do [ "$name" = "${target%_fuzz}" ] && known=1; done
  if [ "$known" -eq 0 ]; then
    echo "$0: no fuzz target '$target' (have: ${all_targets[*]})" >&2
    exit 2
  fi
done
targets=("${targets[@]%_fuzz}")

build=${CARTOZEN_CAMPAIGN_BUILD:-$root/build-fuzz-campaign}
results=${CARTOZEN_CAMPAIGN_RESULTS:-$build/results}/$(date +%Y%m%d-%H%M%S)
mkdir -p "$results"

echo "== Building ${#targets[@]} fuzz target(s) with address and undefined sanitizers in $build"
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
if ! { CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DCARTOZEN_BUILD_FUZZ=ON -DCARTOZEN_SANITIZE=ON -DCARTOZEN_BUILD_TESTS=OFF \
         -DCARTOZEN_BUILD_BENCH=OFF -DCARTOZEN_BUILD_APP=OFF &&
       cmake --build "$build" -j "$jobs" --target "${targets[@]/%/_fuzz}"; } >"$results/build.log" 2>&1; then
  tail -30 "$results/build.log" >&2
  echo "$0: build failed (log: $results/build.log)" >&2
  exit 2
fi
# The campaign is worth nothing without the sanitizers: make sure the targets were built so.
if ! grep -q -- '-fsanitize=address,undefined' "$build/build.ninja"; then
  echo "$0: the fuzz targets in $build are not built with -fsanitize=address,undefined" >&2
  exit 2
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

finds() {
  find "$1/artifacts" -maxdepth 1 -type f \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l
}

# Runs one target until its minutes are used up; leaves its summary in $dir/summary.
run_target() {
  local name=$1 dir=$results/$1
  local binary=$build/bin/${name}_fuzz
  mkdir -p "$dir/corpus" "$dir/artifacts"
  [ -d "$root/fuzz/corpus/$name" ] && cp -R "$root/fuzz/corpus/$name/." "$dir/corpus/"
  local start deadline now left run=0 rc status=ok executions=0 artifact previous=""
  start=$(date +%s)
  deadline=$((start + seconds))
  while :; do
    now=$(date +%s)
    left=$((deadline - now))
    [ "$left" -gt 0 ] && [ "$run" -lt "$max_restarts" ] || break
    run=$((run + 1))
    touch "$dir/.run-started"
    "$binary" -max_total_time="$left" -timeout="$timeout" -rss_limit_mb="$rss_mb" \
      -print_final_stats=1 -artifact_prefix="$dir/artifacts/" "$dir/corpus" \
      </dev/null >"$dir/run-$run.log" 2>&1 &
    echo $! >"$dir/pid"
    wait $!
    rc=$?
    rm -f "$dir/pid"
    local units
    units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/run-$run.log" | tail -1)
    [ -n "$units" ] || units=$(grep -oE '^#[0-9]+' "$dir/run-$run.log" | tail -1 | tr -d '#')
    executions=$((executions + ${units:-0}))
    [ "$rc" -eq 0 ] && break
    # The artifact this run wrote (libFuzzer names it after the input's hash).
    artifact=$(find "$dir/artifacts" -maxdepth 1 -type f -newer "$dir/.run-started" | head -1)
    if [ -z "$artifact" ]; then
      # A crash that takes the sanitizer down with it (a smashed stack: "nested bug") leaves
      # no artifact. While the corpus loads, the culprits are seeds: find them one by one.
      if ! grep -qE 'Sanitizer|runtime error:|deadly signal|nested bug' "$dir/run-$run.log"; then
        status="error rc=$rc"
        break
      fi
      status=finds
      if grep -q 'INITED' "$dir/run-$run.log"; then
        cp "$dir/run-$run.log" "$dir/artifacts/crash-without-input-run-$run.log"
        continue
      fi
      local seed culprits=0
      for seed in "$dir/corpus"/*; do
        [ -f "$seed" ] || continue
        if ! "$binary" -runs=0 -timeout="$timeout" -rss_limit_mb="$rss_mb" "$seed" \
             </dev/null >/dev/null 2>&1; then
          cp "$seed" "$dir/artifacts/crash-$(sha1sum <"$seed" | cut -d' ' -f1)"
          rm -f "$seed"
          culprits=$((culprits + 1))
        fi
      done
      [ "$culprits" -gt 0 ] || break
      continue
    fi
    status=finds
    # The same find twice in a row will not go away by starting again.
    [ "$artifact" != "$previous" ] || break
    previous=$artifact
    # The input may be a seed of the corpus (it crashes while the corpus loads): drop it from
    # the scratch copy, or every restart would stop on it again.
    local sum file
    sum=$(sha1sum <"$artifact" | cut -d' ' -f1)
    for file in "$dir/corpus"/*; do
      [ -f "$file" ] && [ "$(sha1sum <"$file" | cut -d' ' -f1)" = "$sum" ] && rm -f "$file"
    done
  done
  local coverage="" cov ft r line
  for ((r = 1; r <= run; r++)); do
    line=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$dir/run-$r.log" | tail -1)
    [ -n "$line" ] && coverage=$line
  done
  cov=$(echo "$coverage" | awk '{print $2}')
  ft=$(echo "$coverage" | awk '{print $4}')
  now=$(date +%s)
  printf '%s %s %s %s %s %s %s %s\n' "$name" \
    "$(awk -v s=$((now - start)) 'BEGIN { printf "%.1f", s / 60 }')" "$executions" \
    "${cov:--}" "${ft:--}" "$(find "$dir/corpus" -type f | wc -l)" "$(finds "$dir")" \
    "$status" >"$dir/summary"
}

runners=()
stop() {
  trap - INT TERM
  echo "$0: stopping" >&2
  local pidfile
  for pidfile in "$results"/*/pid; do
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
  done
  local runner
  for runner in "${runners[@]}"; do kill "$runner" 2>/dev/null; done
  wait
  exit 130
}
trap stop INT TERM

echo "== Fuzzing ${#targets[@]} target(s) for $minutes minute(s) each, $jobs at a time"
echo "   results: $results"
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  run_target "$target" &
  runners+=($!)
done
wait

printf '\n%-14s %8s %12s %7s %7s %7s %8s  %s\n' target minutes executions cov ft corpus crashes status
found=0
failed=0
for target in "${targets[@]}"; do
  if [ -f "$results/$target/summary" ]; then
    read -r name mins execs cov ft corpus crashes status <"$results/$target/summary"
  else
    name=$target mins=- execs=- cov=- ft=- corpus=- crashes=0 status="no summary"
  fi
  printf '%-14s %8s %12s %7s %7s %7s %8s  %s\n' "$name" "$mins" "$execs" "$cov" "$ft" \
    "$corpus" "$crashes" "$status"
  [ "$crashes" != 0 ] && found=1
  [[ $status == error* || $status == "no summary" ]] && failed=1
done
echo
echo "Results (scratch corpora, logs, crash-/leak-/timeout-/oom- artifacts): $results"
if [ "$found" -ne 0 ]; then
  echo "Finds: minimise each with -minimize_crash=1 and commit it to fuzz/corpus/<target>/ (fuzz/README.md)."
  exit 1
fi
[ "$failed" -eq 0 ] || exit 2
exit 0
