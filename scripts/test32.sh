#!/usr/bin/env bash
# The library, unit runner, tool and digest built for 32-bit x86 (-m32, where
# compilers use the x87 unit unless told otherwise, as in a caller's build)
# under AddressSanitizer + UndefinedBehaviorSanitizer with GCC, GoogleTest
# built from Debian's sources with the same flags. Runs the unit and tool
# tests, and checks the digest of the families independent of the C library's
# transcendental functions (the 32-bit C library rounds those differently).
# Only on amd64, where Debian's multilib compilers build it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(dpkg --print-architecture)" != amd64 ]; then
  echo "not an amd64 system: skipped"; exit 0
fi
jobs=$(nproc)
dir=build-32
san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S /usr/src/googletest -B "$dir/gtest" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-m32 \
  -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$PWD/$dir/gtest-prefix" >/dev/null
cmake --build "$dir/gtest" -j"$jobs" >/dev/null
cmake --install "$dir/gtest" >/dev/null
CC=gcc CXX=g++ cmake -S . -B "$dir/tree" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-m32 -O1 $san" \
  -DCMAKE_EXE_LINKER_FLAGS="-m32 $san" -DCMAKE_SHARED_LINKER_FLAGS="-m32 $san" \
  -DCMAKE_PREFIX_PATH="$PWD/$dir/gtest-prefix" -DTAVGEO_BUILD_PYTHON=OFF >/dev/null
cmake --build "$dir/tree" -j"$jobs"
# The packaging test builds a 64-bit consumer; the full digest is checked below.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$dir/tree" --output-on-failure -j"$jobs" -E "package_consumer|determinism_digest" \
  | tee "$dir/ctest.log"
printf '32-bit digest: '
"$dir/tree/tests/tavgeo_digest" --check tests/digest/digest.txt "$(cat tests/digest/libm-free-families.txt)"
