#!/usr/bin/env bash
# Builds the library and the concurrency test with ThreadSanitizer (clang) and
# runs it: many threads run the fuzz targets' checkers (tests/fuzz) on their
# corpus and seeded inputs at once, and every target's digest must equal the
# single-threaded one. Fails on any data race, mismatch or broken check. The
# determinism digest is checked in the same build.
#   scripts/tsan.sh [threads rounds]     (default 8 2)
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
