#!/usr/bin/env bash
# Formats every C++ file of the project with clang-format (CI checks the same files).
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' | xargs clang-format -i
