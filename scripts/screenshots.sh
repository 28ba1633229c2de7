#!/usr/bin/env bash
# Starts the wizard under Xvfb over a copy of the shipped sample tree and
# driver (samples/), runs the build with the project's tools, and saves a
# picture of each page into docs/ (settings-page.png, about-box.png,
# confirm-page.png, build-log.png).
set -euo pipefail
cd "$(dirname "$0")/.."
"./scripts/setup.sh"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target ornibe_screenshots makecab extract cdimage attrib
mkdir -p docs
export LANG=C.UTF-8 QT_QPA_PLATFORM=xcb
# Keep the user's own settings out of the pictures.
export XDG_CONFIG_HOME="$(mktemp -d)"
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  ./build/tests/ui/ornibe_screenshots "$PWD/docs" "$PWD/samples"
