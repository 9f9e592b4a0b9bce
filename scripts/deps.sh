#!/usr/bin/env bash
# Installs the Debian packages the build, tests, tool and benchmarks need.
# Idempotent and quiet: does nothing when everything is already there.
set -euo pipefail
pkgs=(cmake g++ make clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
      nlohmann-json3-dev libcli11-dev libopencv-imgproc-dev python3 pkg-config)
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
