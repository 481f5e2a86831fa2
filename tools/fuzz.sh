#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (the fuzz preset) and runs one of them for
# as long as asked, starting from its seed corpus:
#
#   tools/fuzz.sh TARGET [SECONDS] [libFuzzer options...]
#
# TARGET is profile, cp932, settings, picture, metafile or render_args; SECONDS defaults to
# 600. New inputs that reach new code go to build-fuzz/corpus/TARGET, crashing inputs to
# build-fuzz/crashes/TARGET/ (add them to tests/fuzz/corpus/TARGET/ with a test).
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:?usage: tools/fuzz.sh TARGET [SECONDS] [libFuzzer options...]}"
seconds="${2:-600}"
shift $(( $# < 2 ? $# : 2 ))
source tools/setup.sh
kalvetra_install_packages
kalvetra_build fuzz
mkdir -p "build-fuzz/corpus/$target" "build-fuzz/crashes/$target"
dict=()
if [ -f "tests/fuzz/$target.dict" ]; then
  dict=("-dict=tests/fuzz/$target.dict")
fi
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1" \
       LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
exec "build-fuzz/bin/fuzz_$target" "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 \
  -artifact_prefix="build-fuzz/crashes/$target/" "${dict[@]}" "$@"
