#!/usr/bin/env bash
# Installs the Debian packages the build, tests, tool and benchmarks need.
# Idempotent and quiet: does nothing when everything is already there.
set -euo pipefail
pkgs=(cmake g++ make clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
      nlohmann-json3-dev libcli11-dev libopencv-imgproc-dev python3 pkg-config
      python3-dev python3-venv python3-pip python3-wheel python3-setuptools pybind11-dev python3-pybind11
      python3-numpy python3-pytest python3-hypothesis python3-skimage python3-opencv python3-distributed python3-mypy
      doxygen lcov)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
