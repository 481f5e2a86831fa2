#!/usr/bin/env bash
# Installs the Debian packages Kalvetra needs (only the missing ones) and builds it with
# the given CMake preset. Sourced by run.sh and test.sh; safe to run again at any time.
set -euo pipefail

KALVETRA_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libharfbuzz-dev libfontconfig-dev qt6-svg-dev libpolyclipping-dev
  qt6-translations-l10n locales
  fp-utils libchm-dev libturbojpeg0-dev libdeflate-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool xclip x11-utils poppler-utils
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

# The program's users run a Japanese desktop, and the tests run under ja_JP.UTF-8 (and
# en_US.UTF-8) as well as C.UTF-8: those locales must exist.
kalvetra_generate_locales() {
  local wanted=(ja_JP en_US) missing=() l
  for l in "${wanted[@]}"; do
    if ! locale -a 2>/dev/null | grep -qix "$l\.utf-\?8"; then
      missing+=("$l")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  echo "Generating the locales: ${missing[*]}"
  for l in "${missing[@]}"; do
    if ! grep -q "^$l.UTF-8 UTF-8" /etc/locale.gen; then
      echo "$l.UTF-8 UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    fi
  done
  "${sudo[@]}" locale-gen >/dev/null
}

kalvetra_build() {
  local preset="$1"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}
