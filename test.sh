#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
kalvetra_install_packages
kalvetra_generate_locales
preset=default
if [ "${CI:-}" = "true" ]; then
  preset=ci
fi
kalvetra_build "$preset"
ctest --preset "$preset" -j "$(nproc)"

# In CI the whole suite runs once more under AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer; the asan test preset names the two tests it leaves to the run above, and why.
if [ "${CI:-}" = "true" ]; then
  kalvetra_build asan
  ctest --preset asan -j "$(nproc)"
fi
