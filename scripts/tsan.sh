#!/usr/bin/env bash
# Builds the library and the determinism digest with ThreadSanitizer (clang) and
# runs it on many threads at once: each thread runs every fuzz target's checker
# (tests/fuzz) on its corpus and seeded inputs, starting at another target, and
# must get the single-threaded digests. Fails on any data race, differing digest
# or broken check. Then the same build must give the recorded digest.
#   scripts/tsan.sh [threads]     (default 8)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TSAN_BUILD_DIR:-build-tsan}
san="-fsanitize=thread -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S tests/tsan -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVGEO_WERROR=OFF -DCMAKE_CXX_FLAGS="$san" -DCMAKE_EXE_LINKER_FLAGS="$san" \
  -DCMAKE_SHARED_LINKER_FLAGS="$san" >/dev/null
cmake --build "$build" -j"${TSAN_BUILD_JOBS:-2}"
TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1} "$build/tavgeo_digest" --threads "${1:-8}"
TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1} "$build/tavgeo_digest" --check tests/digest/digest.txt
