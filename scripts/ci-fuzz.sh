#!/usr/bin/env bash
# CI's fuzzing step: builds the fuzz targets and the soak with clang and the
# sanitizers, runs every target for a short while from the seeds of our data,
# then a short soak. Fails on anything found. About 4 minutes on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
export FUZZ_BUILD=build-ci-fuzz
CMAKE_ARGS="-DBLOMP_WERROR=ON" scripts/fuzz.sh -t "${FUZZ_SECONDS:-20}"
scripts/soak.sh -n "${SOAK_FRAMES:-100000}" 1
