#!/usr/bin/env bash
# Installs the Debian packages the build, tests and tool need; with --bench also
# what the benchmarks need: Google Benchmark and OpenCV, in C++ and Python (its
# Python module alone brings about 185 packages), which no build or test uses.
# Idempotent: does nothing when everything is already there. Installing needs
# root or sudo; apt's own notices on standard error still show.
set -euo pipefail
pkgs=(cmake g++ make clang libclang-rt-14-dev libgtest-dev libgmock-dev
      nlohmann-json3-dev libcli11-dev python3 pkg-config
      python3-dev python3-venv python3-pip python3-wheel python3-setuptools pybind11-dev python3-pybind11
      python3-numpy python3-pytest python3-hypothesis python3-skimage python3-distributed python3-mypy
      doxygen lcov)
# The 32-bit x86 build of the tests (scripts/test32.sh), and the 64-bit ARM
# and IBM Z ones run under emulation (scripts/test-cross.sh). Debian's cross
# compilers conflict with g++-multilib: clang builds for those with the cross
# C++ libraries and binutils.
if [ "$(dpkg --print-architecture)" = amd64 ]; then
  pkgs+=(g++-multilib libstdc++-12-dev-arm64-cross binutils-aarch64-linux-gnu
         libstdc++-12-dev-s390x-cross binutils-s390x-linux-gnu qemu-user)
fi
case "${1:-}" in
  "") ;;
  --bench) pkgs+=(libbenchmark-dev libopencv-imgproc-dev python3-opencv) ;;
  *) echo "usage: deps.sh [--bench]" >&2; exit 2 ;;
esac
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "deps.sh: run as root (or install sudo) to install: ${missing[*]}" >&2
      exit 1
    fi
    SUDO=(sudo)
  fi
  "${SUDO[@]}" apt-get update -qq
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
