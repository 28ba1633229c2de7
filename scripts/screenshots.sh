#!/usr/bin/env bash
# Starts the wizard under Xvfb over a copy of the shipped sample tree and
# driver (samples/), runs the build with the project's tools, and saves a
# picture of each page into docs/ (settings-page.png, about-box.png,
# confirm-page.png, build-log.png, answer-file-dialog.png); then the same
# again under an English locale, whose pictures go into docs/en/. It notes
# the commit they were made from in docs/screenshots.txt, which CI's
# scripts/check-screenshots.sh compares with the pages' last changes. The
# screen is 1280x800, the smallest the pages are laid out to show whole.
#
# The pictures show paths. So that they say nothing of this machine, the
# run takes place under the neutral home folder /home/user, as the README's
# walk-through leaves it: the checkout as /home/user/ornibe (its samples and
# links to the build's tools) and the sample copy in /home/user/ornibe-try.
# Both are made for the run and removed after it; the script stops when
# either is there already.
set -euo pipefail
cd "$(dirname "$0")/.."
"./scripts/setup.sh"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target ornibe_screenshots makecab extract cdimage attrib
mkdir -p docs/en

home=/home/user
checkout="$home/ornibe"
try="$home/ornibe-try"
for folder in "$checkout" "$try"; do
  if [ -e "$folder" ] || [ -L "$folder" ]; then
    echo "screenshots: $folder exists; the pictures are made there and it is removed after." >&2
    echo "screenshots: move it away first." >&2
    exit 1
  fi
done
made_home=
if [ ! -d "$home" ]; then
  mkdir "$home"
  made_home=yes
fi
# The language of the pages follows the locale of each run alone.
unset LC_ALL LC_MESSAGES LANGUAGE
export LANG=C.UTF-8 QT_QPA_PLATFORM=xcb
# Keep the user's own settings out of the pictures.
export XDG_CONFIG_HOME="$(mktemp -d)"
cleanup() {
  rm -rf "$XDG_CONFIG_HOME" "$checkout" "$try"
  if [ -n "$made_home" ]; then
    rmdir "$home"
  fi
}
trap cleanup EXIT

mkdir -p "$checkout/samples" "$checkout/build/tooldir"
cp -r samples/driver "$checkout/samples/driver"
for tool in build/tooldir/*; do
  ln -s "$PWD/$tool" "$checkout/build/tooldir/"
done
# shoot FOLDER [VARIABLE=VALUE...]: one run over a fresh copy of the sample
# (the run builds into it), its pictures into FOLDER.
shoot() {
  local folder=$1
  shift
  rm -rf "$try"
  mkdir -p "$try"
  cp -r samples/xp "$try/xp"
  env "$@" xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
    ./build/tests/ui/ornibe_screenshots "$PWD/$folder" "$home"
}
shoot docs
shoot docs/en LANG=en_US.UTF-8
commit=$(git rev-parse --short HEAD)
if ! git diff --quiet HEAD -- src/ui; then
  commit="$commit with changes to src/ui not yet committed"
fi
echo "The pictures in this folder were made by scripts/screenshots.sh from commit $commit." \
  >docs/screenshots.txt
