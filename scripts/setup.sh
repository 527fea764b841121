#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail
# clang and its compiler-rt (libFuzzer, the sanitizers' runtimes) build the fuzz targets. OpenCL comes
# through the ICD loader; PoCL is an OpenCL device on the CPU, so the GPU override runs everywhere.
packages=(cmake g++ make libtbb-dev libgtest-dev libgmock-dev libbenchmark-dev libtinyobjloader-dev libnanoflann-dev
          clang libclang-rt-14-dev ocl-icd-opencl-dev opencl-headers pocl-opencl-icd)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
