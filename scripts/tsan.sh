#!/usr/bin/env bash
# Builds the library and the concurrency test with ThreadSanitizer (clang) and
# runs it: many threads call the free functions, the fits and their own region
# calculators at once, and every result must equal the single-threaded one.
# Fails on any data race or mismatch. The determinism digest is checked in the
# same build.
#   scripts/tsan.sh [threads tasks rounds]     (default 8 48 3)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TSAN_BUILD_DIR:-build-tsan}
san="-fsanitize=thread -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S tests/tsan -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVGEO_WERROR=OFF -DCMAKE_CXX_FLAGS="$san" -DCMAKE_EXE_LINKER_FLAGS="$san" \
  -DCMAKE_SHARED_LINKER_FLAGS="$san" >/dev/null
cmake --build "$build" -j"${TSAN_BUILD_JOBS:-2}"
TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1} "$build/tavgeo_tsan" "$@"
# The same build gives the recorded determinism digest.
TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1} "$build/tavgeo_digest" --check tests/digest/digest.txt
