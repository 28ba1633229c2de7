#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test.
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   the AddressSanitizer + UBSan build, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/setup.sh"

build_dir=build
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORNIBE_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  options=(-DCMAKE_BUILD_TYPE=Debug -DORNIBE_SANITIZE=ON -DORNIBE_BENCH=OFF -DORNIBE_WERROR=ON)
fi

cmake -S . -B "$build_dir" "${options[@]}" >/dev/null
cmake --build "$build_dir" -j2
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
ctest --test-dir "$build_dir" --output-on-failure -j2
