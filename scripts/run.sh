#!/usr/bin/env bash
# Installs what is missing, builds the wizard and the tools that its build
# runs (makecab, extract, cdimage, attrib), and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
"./scripts/setup.sh"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target ornibe
exec ./build/src/ui/ornibe "$@"
