#!/usr/bin/env bash
# The library, the unit runner and the determinism digest cross-built for
# another processor and run under qemu's user-mode emulation: every unit test
# must pass and every family give the recorded digest.
#   test-cross.sh arm64   64-bit ARM: the portable loops in place of SSE2 and
#                         the x86 dispatch, and an unsigned char
#   test-cross.sh s390x   64-bit IBM Z: a big-endian machine
# clang builds for the target with Debian's cross C and C++ libraries and
# binutils (Debian's cross gcc cannot be installed beside gcc-multilib, which
# scripts/test32.sh needs); GoogleTest is built from Debian's sources the same
# way. Only on amd64.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  arm64) triple=aarch64-linux-gnu qemu=qemu-aarch64 processor=aarch64 ;;
  s390x) triple=s390x-linux-gnu qemu=qemu-s390x processor=s390x ;;
  *) echo "usage: test-cross.sh arm64|s390x" >&2; exit 2 ;;
esac
if [ "$(dpkg --print-architecture)" != amd64 ]; then
  echo "not an amd64 system: skipped"; exit 0
fi
jobs=$(nproc)
dir=build-$1
sysroot=/usr/$triple
mkdir -p "$dir"
cat > "$dir/toolchain.cmake" <<END
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR $processor)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET $triple)
set(CMAKE_CXX_COMPILER_TARGET $triple)
set(CMAKE_FIND_ROOT_PATH $sysroot)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# The build lists the unit runner's tests by running it.
set(CMAKE_CROSSCOMPILING_EMULATOR $qemu;-L;$sysroot)
END
cmake -S /usr/src/googletest -B "$dir/gtest" -DCMAKE_TOOLCHAIN_FILE="$PWD/$dir/toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$PWD/$dir/gtest-prefix" >/dev/null
cmake --build "$dir/gtest" -j"$jobs" >/dev/null
cmake --install "$dir/gtest" >/dev/null
cmake -S . -B "$dir/tree" -DCMAKE_TOOLCHAIN_FILE="$PWD/$dir/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$PWD/$dir/gtest-prefix" -DTAVGEO_BUILD_PYTHON=OFF -DTAVGEO_BUILD_TOOLS=OFF >/dev/null
cmake --build "$dir/tree" -j"$jobs" --target tavgeo_tests tavgeo_digest
run() { "$qemu" -L "$sysroot" "$@"; }
run "$dir/tree/tests/tavgeo_tests" --gtest_brief=1
printf '%s digest: ' "$1"
run "$dir/tree/tests/tavgeo_digest" --check tests/digest/digest.txt
