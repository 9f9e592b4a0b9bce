#!/usr/bin/env bash
# Builds the library and the determinism digest with GCC and with Clang, at -O0
# and at -O2 (Clang's -O2 with the portable loops in place of SSE2 and the
# bit-scan builtins), and checks each digest against tests/digest/digest.txt. (The
# release build and the sanitizer build run the same check through ctest.)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
for cc in gcc clang; do
  cxx=g++; [ "$cc" = clang ] && cxx=clang++
  for opt in O0 O2; do
    dir="build-digest-$cc-$opt"
    # Clang at -O2 compiles the portable loops that other processors take.
    portable=OFF; [ "$cc-$opt" = clang-O2 ] && portable=ON
    CC=$cc CXX=$cxx cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-$opt" \
      -DTAVGEO_BUILD_PYTHON=OFF -DTAVGEO_BUILD_TOOLS=OFF -DTAVGEO_BUILD_BENCH=OFF -DTAVGEO_PORTABLE=$portable >/dev/null
    cmake --build "$dir" -j"$jobs" --target tavgeo_digest >/dev/null
    printf '%-6s -%s%s: ' "$cc" "$opt" "$([ $portable = ON ] && echo ', portable loops')"
    "$dir/tests/tavgeo_digest" --check tests/digest/digest.txt
  done
done

# The families documented as independent of the C library's transcendental
# functions keep their digests when those functions' results move by one ulp.
cc -O2 -shared -fPIC tests/digest/perturb_libm.c -o build-digest-gcc-O2/perturb_libm.so -ldl -lm
perturbed() { LD_PRELOAD="$PWD/build-digest-gcc-O2/perturb_libm.so" build-digest-gcc-O2/tests/tavgeo_digest "$@"; }
# First make sure the preload takes effect: angles must move.
if perturbed --check tests/digest/digest.txt point >/dev/null; then
  echo "the perturbed C library had no effect on angles"; exit 1
fi
printf 'C library sin/cos/atan2/log one ulp off: '
perturbed --check tests/digest/digest.txt bbox,circle,fit,fitmeasure,fitoutliers,parsecounts,parselist,parsestring,perimeter,perimeterhostile,polygon,ransac,rlecalc,tooloptions,toolpoints
