#!/usr/bin/env bash
# Rewrites tests/golden_frames.txt, the stored hashes of the golden frames, after a
# deliberate change of art, levels or a screen: builds the tests, plays the golden
# games in every graphic set at 16 and 24 bits per pixel, and stores what they
# show. Look at the frames first (a failing golden test saves them as PNG in
# <build>/golden/), then commit the file. BUILD_DIR picks the build (build-test).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build-test}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2 --target blomp_tests blompharness gamedata
(cd "$build/run" && BLOMP_UPDATE_GOLDEN=1 ../blomp_tests --gtest_filter='Golden*')
git --no-pager diff --stat -- tests/golden_frames.txt
