#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, skipping apt when
# everything is present already.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev clang-format clang-tidy
  libgtest-dev libgmock-dev libbenchmark-dev
  libtbb-dev libboost-dev libnlopt-cxx-dev libdxflib-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-multimedia-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev qt6-tools-dev-tools
  libgl-dev
  fonts-liberation fontconfig
  xvfb xauth x11-utils xdotool imagemagick poppler-utils
  desktop-file-utils dpkg-dev file
  python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
