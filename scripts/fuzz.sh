#!/usr/bin/env bash
# Runs the libFuzzer targets, each for a chosen time, and prints what each did.
#
#   scripts/fuzz.sh [-t seconds] [-k] [-n] [target ...]
#
#   -t seconds  time per target (default 30)
#   -k          keep going after a crash, a leak, a time-out or too much memory
#               (libFuzzer's fork mode); every crash input is still kept
#   -n          do not build first
#   target      archive map config hiscores savegame bitmap wav music (default: all)
#
# Builds the targets with clang into $FUZZ_BUILD (default build-fuzz) unless -n.
# Each target's corpus grows in $FUZZ_BUILD/corpus/<target> from the seeds the
# build made of our data; crash inputs land in $FUZZ_BUILD/crashes/<target>/ and
# the full output in $FUZZ_BUILD/logs/<target>.log. Exits with status 1 when a
# target found anything. Keep a crash input as a regression case by copying it
# to tests/regress/<target>/ (see tests/test_fuzz.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30
keep=0
build=1
while getopts "t:kn" opt; do
  case $opt in
  t) seconds=$OPTARG ;;
  k) keep=1 ;;
  n) build=0 ;;
  *) sed -n '2,19p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
all=(archive map config hiscores savegame bitmap wav music)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

dir="${FUZZ_BUILD:-build-fuzz}"
if [ "$build" = 1 ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -DBLOMP_FUZZ=ON -DBLOMP_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-} >/dev/null
  cmake --build "$dir" -j"${JOBS:-$(nproc)}"
fi

# The targets' scratch folders go in a folder of this run, removed at the end
# even when a target dies before it could clean up.
base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
scratch=$(mktemp -d "$base/blompfuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

failed=0
for t in "${targets[@]}"; do
  prog="$dir/fuzz_$t"
  if [ ! -x "$prog" ]; then
    echo "fuzz.sh: no target $t (have: ${all[*]})" >&2
    exit 2
  fi
  corpus="$dir/corpus/$t"
  crashes="$dir/crashes/$t"
  log="$dir/logs/$t.log"
  mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
  stamp="$scratch/started.$t"
  touch "$stamp"
  opts=(-max_total_time="$seconds" -close_fd_mask=1 -timeout=30 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$crashes/")
  [ "$keep" = 1 ] && opts+=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)
  status=0
  "$prog" "${opts[@]}" "$corpus" "$dir/seeds/$t" >"$log" 2>&1 || status=$?
  found=$(find "$crashes" -type f -newer "$stamp" | wc -l)
  # The last status line: "#<execs> ... cov: <n> ft: <n> corp: <units>/<size>".
  last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
  execs=$(sed -nE 's/^#([0-9]+).*/\1/p' <<<"$last")
  cov=$(sed -nE 's/.*cov: ([0-9]+).*/\1/p' <<<"$last")
  ft=$(sed -nE 's/.*ft: ([0-9]+).*/\1/p' <<<"$last")
  corp=$(sed -nE 's/.*corp: ([0-9]+(\/[0-9]+[a-zA-Z]*)?).*/\1/p' <<<"$last")
  rate=$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+).*/\1/p' "$log" | tail -1)
  [ -z "$rate" ] && [ -n "$execs" ] && rate=$((execs / seconds)) # fork mode prints no final stats
  printf '%-9s %4ss  execs %-9s exec/s %-6s cov %-5s ft %-6s corpus %-12s found %s\n' \
    "$t" "$seconds" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$found"
  if [ "$found" -gt 0 ] || { [ "$status" -ne 0 ] && [ "$keep" = 0 ]; }; then
    failed=1
    echo "  $t: see $log; inputs in $crashes:" >&2
    find "$crashes" -type f -newer "$stamp" | head -5 | sed 's/^/    /' >&2
    grep -m3 -E 'ERROR|fuzz: |SUMMARY' "$log" | sed 's/^/    /' >&2 || true
  fi
done
exit $failed
