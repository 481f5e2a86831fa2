#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kalvetra. Without a display it renders a
# sample picture with kalvetra-render instead and says where it is.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
kalvetra_install_packages
kalvetra_generate_locales
kalvetra_build default

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  sample="$PWD/build/sample.png"
  echo "No display is available, so Kalvetra's window cannot open here."
  ./build/bin/kalvetra-render --text "カルベトラ Kalvetra" --type 1 --shadow -o "$sample"
  echo "Rendered a sample picture with kalvetra-render instead: $sample"
  exit 0
fi
exec ./build/bin/kalvetra "$@"
