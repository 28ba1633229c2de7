#!/usr/bin/env bash
# Installs what is missing (the programs' packages and the test packages),
# configures, builds and runs every test.
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   the AddressSanitizer + UBSan build, in build-asan/
# The tests that read real files from outside the project find them in
# $ORNIBE_REAL_FIXTURES, or else in ../shared/fixtures/real beside the
# checkout, and are reported as skipped when they are not there.
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/setup.sh"

build_dir=build
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORNIBE_TESTS=ON -DORNIBE_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  options=(-DCMAKE_BUILD_TYPE=Debug -DORNIBE_SANITIZE=ON -DORNIBE_TESTS=ON -DORNIBE_BENCH=OFF -DORNIBE_WERROR=ON)
fi

cmake -S . -B "$build_dir" "${options[@]}" >/dev/null
cmake --build "$build_dir" -j2
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
ctest --test-dir "$build_dir" --output-on-failure -j2
