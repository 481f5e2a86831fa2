#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
kalvetra_install_packages
preset=default
if [ "${CI:-}" = "true" ]; then
  preset=ci
fi
kalvetra_build "$preset"
ctest --preset "$preset" -j "$(nproc)"
