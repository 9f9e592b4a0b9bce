#!/usr/bin/env bash
# The library, the unit runner and the determinism digest cross-built for
# 64-bit ARM (clang with Debian's aarch64 C and C++ libraries; GoogleTest built
# from Debian's sources the same way) and run under qemu's user-mode emulation:
# every unit test must pass and every family give the recorded digest. There
# the library takes its portable loops in place of SSE2 and the x86 dispatch,
# and char is unsigned. Only on amd64.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(dpkg --print-architecture)" != amd64 ]; then
  echo "not an amd64 system: skipped"; exit 0
fi
jobs=$(nproc)
dir=build-arm64
sysroot=/usr/aarch64-linux-gnu
mkdir -p "$dir"
cat > "$dir/toolchain.cmake" <<END
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
# Debian's cross gcc cannot be installed beside gcc-multilib (scripts/test32.sh);
# clang targets ARM with the same libraries.
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET aarch64-linux-gnu)
set(CMAKE_CXX_COMPILER_TARGET aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH $sysroot)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# The build lists the unit runner's tests by running it.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64;-L;$sysroot)
END
cmake -S /usr/src/googletest -B "$dir/gtest" -DCMAKE_TOOLCHAIN_FILE="$PWD/$dir/toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$PWD/$dir/gtest-prefix" >/dev/null
cmake --build "$dir/gtest" -j"$jobs" >/dev/null
cmake --install "$dir/gtest" >/dev/null
cmake -S . -B "$dir/tree" -DCMAKE_TOOLCHAIN_FILE="$PWD/$dir/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$PWD/$dir/gtest-prefix" -DTAVGEO_BUILD_PYTHON=OFF -DTAVGEO_BUILD_TOOLS=OFF >/dev/null
cmake --build "$dir/tree" -j"$jobs" --target tavgeo_tests tavgeo_digest
run() { qemu-aarch64 -L "$sysroot" "$@"; }
run "$dir/tree/tests/tavgeo_tests" --gtest_brief=1
printf 'arm64 digest: '
run "$dir/tree/tests/tavgeo_digest" --check tests/digest/digest.txt
