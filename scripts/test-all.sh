#!/usr/bin/env bash
# Runs every test: the release build (unit, packaging and tool tests) and its
# reference manual (doxygen; any warning fails), the determinism digest with
# GCC and Clang at -O0 and -O2, the library and tests again under
# AddressSanitizer + UndefinedBehaviorSanitizer (clang, and GCC for 32-bit
# x86), the unit tests and digest built for 64-bit ARM and for big-endian
# IBM Z and run under emulation, every fuzz target for a bounded time, and the
# concurrency test under ThreadSanitizer.
# Any failure stops the run with a non-zero status.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)

echo "== release build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
echo "== reference manual"
cmake --build build --target docs
ctest --test-dir build --output-on-failure -j"$jobs" | tee build/ctest.log

echo "== determinism: GCC and Clang at -O0 and -O2 give the recorded digest"
bash scripts/determinism.sh

echo "== clang + AddressSanitizer + UndefinedBehaviorSanitizer"
san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$san" -DCMAKE_EXE_LINKER_FLAGS="$san" -DCMAKE_SHARED_LINKER_FLAGS="$san" \
  -DTAVGEO_BUILD_TOOLS=ON -DTAVGEO_BUILD_PYTHON=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" -E "package_consumer|python" | tee build-asan/ctest.log

echo "== 32-bit x86 build (GCC + AddressSanitizer + UndefinedBehaviorSanitizer)"
bash scripts/test32.sh

echo "== 64-bit ARM and big-endian IBM Z builds (clang), run under qemu's user-mode emulation"
bash scripts/test-cross.sh arm64
bash scripts/test-cross.sh s390x

echo "== fuzz targets, ${FUZZ_SECONDS:-20} s each (clang, libFuzzer + ASan + UBSan)"
bash scripts/fuzz.sh

echo "== concurrency test under ThreadSanitizer"
bash scripts/tsan.sh

# Every stage above stops the run on a failure, so reaching this line means all passed.
count() { sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$1" | tail -n 1; }
echo "fuzz targets and ThreadSanitizer test: no findings"
n32=0; [ -f build-32/ctest.log ] && n32=$(count build-32/ctest.log)
echo "summary: $(( $(count build/ctest.log) + $(count build-asan/ctest.log) + n32 )) passed, 0 failed"
