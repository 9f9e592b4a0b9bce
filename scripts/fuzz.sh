#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer,
# the library instrumented for coverage) and runs each for a bounded time.
# Fails on any finding: a sanitizer report, a broken invariant, a timeout, a
# crash or an allocation beyond the memory limit.
#
#   scripts/fuzz.sh                   every target, 20 s each
#   FUZZ_SECONDS=600 scripts/fuzz.sh fuzz_regions     one target, longer
#   FUZZ_JOBS=2 scripts/fuzz.sh       two targets at a time
#
# Environment: FUZZ_SECONDS (per target, default 20), FUZZ_JOBS (targets run at
# once, default 1), FUZZ_BUILD_DIR (default build-fuzz), FUZZ_NO_BUILD=1 (reuse
# the build), FUZZ_ARGS (extra libFuzzer flags). New inputs go to a working
# corpus in the build directory; the committed seeds in tests/fuzz/corpus/ are
# only read. Crashing inputs are written to <build>/artifacts/. Every run is
# appended to <build>/fuzz-runs.log with its number of executions.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-20}
jobs=${FUZZ_JOBS:-1}

if [[ "${FUZZ_NO_BUILD:-0}" != 1 ]]; then
  echo "== building the fuzz targets in $build"
  san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVGEO_BUILD_FUZZ=ON -DTAVGEO_BUILD_TESTS=OFF -DTAVGEO_BUILD_TOOLS=OFF \
    -DTAVGEO_BUILD_BENCH=OFF -DTAVGEO_BUILD_PYTHON=OFF -DTAVGEO_WERROR=OFF \
    -DCMAKE_CXX_FLAGS="$san -fsanitize=fuzzer-no-link" \
    -DCMAKE_EXE_LINKER_FLAGS="$san" -DCMAKE_SHARED_LINKER_FLAGS="$san" >/dev/null
  cmake --build "$build" -j"${FUZZ_BUILD_JOBS:-2}"
fi

if [[ $# -gt 0 ]]; then
  targets=("$@")
else
  mapfile -t targets <"$build/tests/fuzz/targets.txt"
fi
if [[ ${#targets[@]} -eq 0 ]]; then
  echo "no fuzz targets built" >&2
  exit 1
fi

mkdir -p "$build/artifacts" "$build/work-corpus" "$build/logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:allocator_may_return_null=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Runs one target; prints "<target> <status> <executions> <seconds>".
run_one() {
  local t=$1
  local exe="$build/tests/fuzz/$t"
  local seeds="$root/tests/fuzz/corpus/$t"
  local work="$build/work-corpus/$t"
  local log="$build/logs/$t.log"
  mkdir -p "$work" "$seeds"
  local start=$SECONDS status=ok
  # shellcheck disable=SC2086
  if ! "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" ${FUZZ_ARGS:-} \
      "$work" "$seeds" >"$log" 2>&1; then
    status=FAILED
  fi
  local execs
  execs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -1)
  echo "$t $status ${execs:-0} $((SECONDS - start))"
}

echo "== running ${#targets[@]} target(s), ${seconds} s each, $jobs at a time"
results=$(mktemp)
trap 'rm -f "$results"' EXIT
active=0
for t in "${targets[@]}"; do
  run_one "$t" >>"$results" &
  active=$((active + 1))
  if [[ $active -ge $jobs ]]; then
    wait -n || true
    active=$((active - 1))
  fi
done
wait

failed=0
total=0
while read -r t status execs secs; do
  printf '%-22s %-7s %12s executions in %s s\n' "$t" "$status" "$execs" "$secs"
  printf '%s %s %s %s %s\n' "$(date -u +%FT%TZ)" "$t" "$status" "$execs" "$secs" >>"$build/fuzz-runs.log"
  total=$((total + execs))
  if [[ $status != ok ]]; then
    failed=1
    echo "---- $t: last lines of $build/logs/$t.log" >&2
    tail -n 40 "$build/logs/$t.log" >&2
  fi
done <"$results"
echo "== total executions this run: $total"
if [[ $failed != 0 ]]; then
  echo "fuzzing found a problem; the inputs are in $build/artifacts/" >&2
  exit 1
fi
