#!/usr/bin/env bash
# The two package sets of scripts/install-deps against what each must hold:
# `run` has what building and running the program need and none of the
# test tools; `test` has everything in `run` and the test tools.
set -euo pipefail
source_dir=${1:?usage: InstallSetsTest.sh SOURCE_DIR}
deps="$source_dir/scripts/install-deps"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

run_set=$(bash "$deps" --list run)
test_set=$(bash "$deps" --list test)
has() { grep -qx -- "$2" <<<"$1"; }

# Building and running: tools, FFmpeg 5.1, SDL 1.2, AMR-NB, pictures, text,
# fonts and the X11 back end.
needed_to_run="make build-essential cmake ninja-build pkg-config
  libavcodec-dev libavformat-dev libavfilter-dev libavutil-dev libswscale-dev libswresample-dev
  libsdl1.2-dev libopencore-amrnb0 zlib1g-dev libjpeg62-turbo-dev libpng-dev libgif-dev
  libfreetype-dev libfontconfig-dev fonts-wqy-microhei libx11-dev libxext-dev libxrender-dev"
# Tests, fixtures, fuzzing, benchmarks and the tests' X server and tools.
test_tools="libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev ffmpeg
  xvfb xauth xcompmgr xdotool libxtst-dev desktop-file-utils"

for p in $needed_to_run; do
  has "$run_set" "$p" || fail "the run set lacks $p"
done
for p in $test_tools; do
  has "$run_set" "$p" && fail "the run set holds the test tool $p"
  has "$test_set" "$p" || fail "the test set lacks $p"
done
while read -r p; do
  has "$test_set" "$p" || fail "the test set lacks $p of the run set"
done <<<"$run_set"
for name in run test; do
  dups=$(bash "$deps" --list $name | sort | uniq -d)
  [ -z "$dups" ] || fail "the $name set names twice: $dups"
done
# Anything else is refused, not taken for a set.
if bash "$deps" --list everything >/dev/null 2>&1; then fail "an unknown set was accepted"; fi

[ $failed -eq 0 ] && echo "install sets: run $(wc -l <<<"$run_set") packages, test $(wc -l <<<"$test_set")"
exit $failed
