#!/usr/bin/env bash
# Installs what the wizard needs and is missing (no test packages), builds
# the wizard and the tools that its build runs (makecab, extract, cdimage,
# attrib), and starts it. The tests are not configured unless GoogleTest is
# there already (scripts/test.sh installs it).
set -euo pipefail
cd "$(dirname "$0")/.."
"./scripts/setup.sh" --run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target ornibe
exec ./build/src/ui/ornibe "$@"
