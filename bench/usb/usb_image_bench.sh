#!/usr/bin/env bash
# Times the USB stick image of a stand-in CD tree (about 500 MB and 6,124
# files, as a real CD) written by ornibe-build --usb-image, against the
# same done by hand with the usual tools (a partition table by sfdisk,
# mkfs.fat, mcopy -s of the tree, syslinux --install) into an image of the
# same size, and beside them dd of a file of that size (what the disk
# itself allows). Prints the median of each and the ratio run by run
# (goal: at most 1).
#
#   bench/usb/usb_image_bench.sh [BUILD_DIR] [TREE_MB] [EXTRA_FILES] [RUNS]
#
# Every run writes into a folder of its own, removed only at the end (see
# bench/runner/build_bench.sh on why). About (3 * RUNS + 1) * TREE_MB MB
# must be free below ${TMPDIR:-/tmp}.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../figures.sh
source "$root/bench/figures.sh"
build=${1:-build}
tree_mb=${2:-500}
extra_files=${3:-6000}
runs=${4:-3}
cmake --build "$build" -j2 --target ornibe-build makecab extract cdimage attrib >/dev/null
build=$(cd "$build" && pwd)
program="$build/src/cli/ornibe-build"
for tool in sfdisk mkfs.fat mcopy syslinux; do
  command -v "$tool" > /dev/null || { echo "no $tool: run scripts/setup.sh" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/ornibe-usb-bench.XXXXXX")
trap 'chmod -R u+w "$work" 2> /dev/null || true; rm -rf "$work"' EXIT
cd "$work"
now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }

python3 "$root/bench/make_cd_tree.py" tree "$tree_mb" "$extra_files" > /dev/null
echo "tree: $(find tree -type f | wc -l) files, $(du -sm tree | cut -f1) MB"

ours() {
  cp -a tree "work$1"
  local start end
  start=$(now)
  "$program" --work "$work/work$1" --usb-image "$work/ours$1.img" --quiet > /dev/null 2>&1
  end=$(now)
  elapsed "$start" "$end"
}

by_hand() {
  local size image start end
  size=$(stat -c %s "$work/ours1.img")
  image="$work/hand$1.img"
  start=$(now)
  truncate -s "$size" "$image"
  echo 'start=2048, type=c, bootable' | sfdisk -q "$image"
  mkfs.fat -F 32 --offset 2048 "$image" $(( (size - 1048576) / 1024 )) > /dev/null
  mcopy -s -i "$image@@1M" "$work/tree/"* ::/
  syslinux --offset 1048576 --install "$image"
  end=$(now)
  elapsed "$start" "$end"
}

with_dd() {
  local size start end
  size=$(stat -c %s "$work/ours1.img")
  start=$(now)
  dd if=/dev/zero of="$work/dd$1.img" bs=4M count=$(( size / 4194304 )) status=none
  end=$(now)
  elapsed "$start" "$end"
}

ours_times=()
hand_times=()
dd_times=()
for ((run = 1; run <= runs; run++)); do
  # Taking turns at going first; the hand-made image takes the size of the
  # first run's.
  if ((run % 2)); then
    ours_times+=("$(ours "$run")")
    hand_times+=("$(by_hand "$run")")
  else
    hand_times+=("$(by_hand "$run")")
    ours_times+=("$(ours "$run")")
  fi
  dd_times+=("$(with_dd "$run")")
done
echo "image: $(( $(stat -c %s "$work/ours1.img") / 1048576 )) MiB"
printf 'ornibe-build --usb-image:            %.2f s (median of %d)\n' "$(median "${ours_times[@]}")" "$runs"
printf 'sfdisk + mkfs.fat + mcopy + syslinux: %.2f s\n' "$(median "${hand_times[@]}")"
printf 'dd of an equal-size file:            %.2f s\n' "$(median "${dd_times[@]}")"
run_by_run "ratio ours/by hand, run by run:" ours_times hand_times
