#!/usr/bin/env bash
# Builds the library and the determinism digest with GCC and with Clang, at -O0
# and at -O2, and checks each digest against tests/digest/digest.txt. (The
# release build and the sanitizer build run the same check through ctest.)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
for cc in gcc clang; do
  cxx=g++; [ "$cc" = clang ] && cxx=clang++
  for opt in O0 O2; do
    dir="build-digest-$cc-$opt"
    CC=$cc CXX=$cxx cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-$opt" \
      -DTAVGEO_BUILD_PYTHON=OFF -DTAVGEO_BUILD_TOOLS=OFF -DTAVGEO_BUILD_BENCH=OFF >/dev/null
    cmake --build "$dir" -j"$jobs" --target tavgeo_digest >/dev/null
    printf '%-6s -%s: ' "$cc" "$opt"
    "$dir/tests/tavgeo_digest" --check tests/digest/digest.txt
  done
done
