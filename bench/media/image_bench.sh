#!/usr/bin/env bash
# Times reading a Windows CD from its ISO image:
# 1. the copy of the image's tree into an empty work folder against
#    "xorriso -osirrox on -indev IMAGE -extract / DIR" (goal: at most 1.1);
# 2. the whole build from the image file (copy, boot image, one driver, the
#    new image) against xorriso's extraction followed by xorriso's mkisofs
#    emulation of the tree (goal: at most 0.75).
#
#   bench/media/image_bench.sh [BUILD_DIR] [TREE_MB] [EXTRA_FILES] [RUNS]
#
# The image is made from a generated XP tree topped up with EXTRA_FILES
# files to TREE_MB, with its boot image only in the boot catalog, as on a
# Windows CD. The medians of RUNS runs are compared. About 5 times RUNS
# plus 2 times TREE_MB must be free below ${TMPDIR:-/tmp}: every run writes
# into a folder of its own and everything is removed only at the end. On
# an ext4 file system without a journal, a file created within minutes of
# many deletions waits while the kernel passes over the inodes just freed,
# so removing one run's tree before the next would time the deletions, not
# the copy; figures taken within five minutes of deleting many files
# elsewhere on the disk are slower on both sides for the same reason.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../figures.sh
source "$root/bench/figures.sh"
build=${1:-build}
# Benchmarks are built only when asked for.
cmake -S "$root" -B "$build" -DORNIBE_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target ornibe_bench_image_copy ornibe_bench_whole_build makecab extract cdimage attrib >/dev/null
build=$(cd "$build" && pwd)
tree_mb=${2:-500}
extra_files=${3:-6000}
runs=${4:-3}
copier="$build/bench/media/ornibe_bench_image_copy"
headless="$build/bench/runner/ornibe_bench_whole_build"
for program in "$copier" "$headless" "$build/tooldir/cdimage" "$build/tooldir/attrib"; do
  [ -x "$program" ] || { echo "no $program: build the project with ORNIBE_BENCH=ON" >&2; exit 1; }
done
command -v xorriso > /dev/null || { echo "no xorriso: run scripts/setup.sh" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ornibe-image-bench.XXXXXX")
trap 'chmod -R u+w "$work" 2> /dev/null || true; rm -rf "$work"' EXIT
now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }

# The image bench's own spread of folders, as its figures were taken with.
python3 "$root/bench/make_cd_tree.py" "$work/cd" "$tree_mb" "$extra_files" \
  I386 I386 I386 I386 I386 I386 I386/SYSTEM32 I386/LANG I386/WINNTUPG DOCS SUPPORT/TOOLS
# The boot sector file goes into the boot catalog only, as on a real CD.
boot_file=$(cd "$work/cd" && ls | grep -ix bootsect.bin)
mv "$work/cd/$boot_file" "$work/boot.bin"
xorriso -as mkisofs -quiet -J -R -V WXPBENCH -o "$work/cd.iso" \
  -b hidden/boot.bin -no-emul-boot -boot-load-size 4 -hide /hidden -hide-joliet /hidden \
  -hide /boot.catalog -hide-joliet /boot.catalog -graft-points /="$work/cd" \
  hidden/boot.bin="$work/boot.bin"
echo "image: $(stat -c %s "$work/cd.iso") bytes," \
  "$(xorriso -indev "$work/cd.iso" -find / -type f 2> /dev/null | wc -l) files"
cat "$work/cd.iso" > /dev/null # both sides read from a warm page cache

# A fresh output folder for each run; none is removed before the end.
outs=0
fresh() {
  outs=$((outs + 1))
  out="$work/out.$outs"
  mkdir -p "$out/work"
  sync
}

ours_copy=() theirs_copy=() ours_build=() theirs_build=()
ours_steps_copy=() ours_steps_image=() theirs_steps_image=()
run_ours() {
  fresh
  ours_copy+=("$("$copier" "$work/cd.iso" "$out/work")")
  fresh
  local start
  start=$(now)
  "$headless" "$work/cd.iso" "$out/work" "$root/samples/driver/OrScsi.inf" \
    "$out/ornibe.iso" WXPBENCH > "$work/ours.log" 2> "$work/ours.steps" ||
    { cat "$work/ours.steps" "$work/ours.log" >&2; exit 1; }
  ours_build+=("$(elapsed "$start" "$(now)")")
  # The steps, from the times the build's log lines arrived.
  local copied imaging finished
  copied=$(awk '/files copied\)/ { print $1; exit }' "$work/ours.steps")
  imaging=$(awk '/ISO イメージを作成しています/ { print $1; exit }' "$work/ours.steps")
  finished=$(awk '/完成です！/ { print $1; exit }' "$work/ours.steps")
  ours_steps_copy+=("$copied")
  ours_steps_image+=("$(elapsed "$imaging" "$finished")")
}
run_theirs() {
  fresh
  local start middle
  start=$(now)
  xorriso -osirrox on -indev "$work/cd.iso" -extract / "$out/work" > /dev/null 2>&1
  middle=$(now)
  theirs_copy+=("$(elapsed "$start" "$middle")")
  boot=$(cd "$out/work" && ls | grep -ix bootsect.bin || true)
  [ -n "$boot" ] || { boot=BOOTSECT.BIN; cp "$work/boot.bin" "$out/work/$boot"; }
  xorriso -as mkisofs -quiet -iso-level 3 -N -d -D -max-iso9660-filenames -relaxed-filenames \
    -V WXPBENCH -o "$out/xorriso.iso" \
    -b "$boot" -no-emul-boot -boot-load-size 4 -c BOOT.CAT --boot-catalog-hide \
    "$out/work" 2> /dev/null
  local end
  end=$(now)
  theirs_build+=("$(elapsed "$start" "$end")")
  theirs_steps_image+=("$(elapsed "$middle" "$end")")
}
for ((run = 0; run < runs; run++)); do
  if ((run % 2 == 0)); then run_ours; run_theirs; else run_theirs; run_ours; fi
done

oc=$(median "${ours_copy[@]}") tc=$(median "${theirs_copy[@]}")
ob=$(median "${ours_build[@]}") tb=$(median "${theirs_build[@]}")
echo "runs: $runs each, median shown"
printf 'copy   ornibe: %.3f s   xorriso -extract: %.3f s   ratio %.3f (goal <= 1.1)\n' \
  "$oc" "$tc" "$(echo "$oc / $tc" | bc -l)"
printf 'build  ornibe: %.3f s   xorriso -extract + mkisofs: %.3f s   ratio %.3f (goal <= 0.75)\n' \
  "$ob" "$tb" "$(echo "$ob / $tb" | bc -l)"
run_by_run "build  ratio run by run:" ours_build theirs_build
printf 'build steps   ornibe: copy %.3f s, image %.3f s   xorriso: extract %.3f s, mkisofs %.3f s\n' \
  "$(median "${ours_steps_copy[@]}")" "$(median "${ours_steps_image[@]}")" "$tc" \
  "$(median "${theirs_steps_image[@]}")"
