#!/usr/bin/env bash
# Installs the Debian packages Kalvetra needs (only the missing ones) and builds it with
# the given CMake preset. Sourced by run.sh and test.sh; safe to run again at any time.
set -euo pipefail

KALVETRA_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libharfbuzz-dev
  fp-utils libchm-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool xclip
  desktop-file-utils appstream dpkg-dev
  clang libclang-rt-14-dev
)

kalvetra_install_packages() {
  local missing=()
  local p
  for p in "${KALVETRA_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

kalvetra_build() {
  local preset="$1"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}
