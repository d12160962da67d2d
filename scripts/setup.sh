#!/usr/bin/env bash
# Installs what the build needs (Debian packages, when missing), then configures and builds
# the workstation into build/ (build/bin is the installation folder).
#   scripts/setup.sh [extra cmake arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VEMORA_BUILD_DIR:-$here/build}

packages=(
  build-essential cmake ninja-build ccache git pkg-config
  libvtk9-dev libvtk9-qt-dev qtbase5-dev mpi-default-dev
  libgdcm-dev libvtkgdcm-dev libfast-float-dev
  libgtest-dev libgmock-dev libbenchmark-dev libtinyobjloader-dev clang-format-14 clang-tidy-14
  dpkg-dev lintian python3 shared-mime-info libglib2.0-bin
  xvfb xauth libgl1-mesa-dri fonts-dejavu-core
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DVEMORA_STRICT=ON "$@"
elif [ $# -gt 0 ]; then
  cmake -S "$here" -B "$build" "$@"
fi
cmake --build "$build" -j "$(nproc)"
