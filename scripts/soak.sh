#!/usr/bin/env bash
# The monkey soak: random input through the whole game on the simulated clock,
# built with AddressSanitizer and UndefinedBehaviorSanitizer, for a number of frames.
#
#   scripts/soak.sh [-n] [frames] [seed]      (default 1000000 frames, seed 1)
#
# Builds into $FUZZ_BUILD (default build-fuzz, the fuzzers' build) unless -n, then
# prints the frames spent in each state of the game and the events counted. Most
# fresh level starts are played by the level's recorded demo (tests/demos), so
# that levels are completed and what follows them is soaked too.
# Exits with status 1 when a session crashed, failed a sanitizer check or could
# not be left. The same seed plays the same run.
set -euo pipefail
cd "$(dirname "$0")/.."

build=1
if [ "${1:-}" = "-n" ]; then
  build=0
  shift
fi
frames="${1:-1000000}"
seed="${2:-1}"
dir="${FUZZ_BUILD:-build-fuzz}"
if [ "$build" = 1 ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -DBLOMP_FUZZ=ON -DBLOMP_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-} >/dev/null
  cmake --build "$dir" -j"${JOBS:-$(nproc)}" --target blompsoak gamedata
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/.ci/lsan.supp}"
soak="$PWD/$dir/blompsoak"
demos="$PWD/tests/demos"
cd "$dir/run"
start=$(date +%s)
status=0
"$soak" "$frames" "$seed" "$demos" || status=$?
echo "soak: $(($(date +%s) - start)) s"
exit $status
