#!/usr/bin/env bash
# Times one whole build (CD copy from a stand-in CD folder into an empty
# work folder, attributes, the sample driver, the ISO image, with the tools
# of the build tree) against "cp -a" of the same tree followed by xorriso's
# mkisofs emulation with the nearest equal options, and prints both times
# and their ratio (goal: at most 0.65).
#
#   bench/runner/build_bench.sh [BUILD_DIR] [TREE_MB] [EXTRA_FILES] [RUNS]
#
# BUILD_DIR  the configured and built build tree (default: build)
# TREE_MB    size of the synthetic XP tree in MB (default: 500)
# EXTRA_FILES  files added to the generated tree so that it has about as
#            many files as a real CD (default: 6000; 0 keeps the
#            generator's hundred or so large files)
# RUNS       timed runs of each side, taking turns at going first; the
#            median is compared (default: 3)
#
# The trees go below ${TMPDIR:-/tmp}; about 4 times RUNS plus 1 times
# TREE_MB must be free there. Every run writes into a folder of its own
# and everything is removed only at the end: on an ext4 file system
# without a journal, a file created within minutes of many deletions waits
# while the kernel passes over the inodes just freed, so removing one run's
# tree before the next would time the deletions, not the build. For the
# same reason, figures taken within five minutes of deleting many files
# elsewhere on the disk are slower on both sides.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../figures.sh
source "$root/bench/figures.sh"
build=${1:-build}
# Benchmarks are built only when asked for.
cmake -S "$root" -B "$build" -DORNIBE_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target ornibe_bench_whole_build makecab extract cdimage attrib >/dev/null
build=$(cd "$build" && pwd)
tree_mb=${2:-500}
extra_files=${3:-6000}
runs=${4:-3}
headless="$build/bench/runner/ornibe_bench_whole_build"
for program in "$headless" "$build/tooldir/cdimage" "$build/tooldir/makecab" \
               "$build/tooldir/extract" "$build/tooldir/attrib"; do
  [ -x "$program" ] || { echo "no $program: build the project first" >&2; exit 1; }
done
command -v xorriso > /dev/null || { echo "no xorriso: run scripts/setup.sh" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ornibe-bench.XXXXXX")
trap 'chmod -R u+w "$work" 2> /dev/null || true; rm -rf "$work"' EXIT
cd "$work"
free_mb=$(df -Pm "$work" | awk 'NR == 2 { print $4 }')
if [ "$free_mb" -lt $((tree_mb * (4 * runs + 1))) ]; then
  echo "only $free_mb MB free below $work; $((tree_mb * (4 * runs + 1))) MB needed" >&2
  exit 1
fi

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }

# The stand-in CD: a generated XP tree (setup files, cabinets, boot sector)
# whose filler is topped up with files of mixed sizes to the size and file
# count of a real CD, then made read-only as a CD is.
started=$(now)
python3 "$root/bench/make_cd_tree.py" "$work/cd" "$tree_mb" "$extra_files"
chmod -R a-w "$work/cd"
boot_file=$(cd "$work/cd" && ls | grep -ix bootsect.bin)
echo "tree made in $(printf '%.0f' "$(elapsed "$started" "$(now)")") s:" \
  "$(find "$work/cd" -type f | wc -l) files, $(du -sm "$work/cd" | cut -f1) MB"
# Both sides read the CD from a warm page cache.
find "$work/cd" -type f -exec cat {} + > /dev/null

# A fresh output folder for each run; none is removed before the end.
outs=0
fresh() {
  outs=$((outs + 1))
  out="$work/out.$outs"
  mkdir -p "$out/work"
  sync
}

ours() {
  "$headless" "$work/cd" "$out/work" "$root/samples/driver/OrScsi.inf" \
    "$out/ornibe.iso" WXPBENCH > "$work/ours.log" 2> "$work/ours.steps" ||
    { cat "$work/ours.steps" "$work/ours.log" >&2; exit 1; }
}

theirs_copy() {
  rmdir "$out/work"
  cp -a "$work/cd" "$out/work"
}
theirs_image() {
  xorriso -as mkisofs -quiet -iso-level 3 -N -d -D -max-iso9660-filenames -relaxed-filenames \
    -V WXPBENCH -o "$out/xorriso.iso" \
    -b "$boot_file" -no-emul-boot -boot-load-size 4 -c BOOT.CAT --boot-catalog-hide \
    "$out/work" 2> "$work/theirs.err" ||
    { cat "$work/theirs.err" >&2; exit 1; }
}

ours_times=()
theirs_times=()
copy_times=()
mkisofs_times=()
ours_copy_times=()
ours_image_times=()
run_ours() {
  fresh
  local start end
  start=$(now)
  ours
  end=$(now)
  ours_times+=("$(elapsed "$start" "$end")")
  # The steps, from the times the build's log lines arrived.
  ours_copy_times+=("$(awk '/files copied\)/ { print $1; exit }' "$work/ours.steps")")
  local imaging finished
  imaging=$(awk '/ISO イメージを作成しています/ { print $1; exit }' "$work/ours.steps")
  finished=$(awk '/完成です！/ { print $1; exit }' "$work/ours.steps")
  ours_image_times+=("$(elapsed "$imaging" "$finished")")
  image_bytes=$(stat -c %s "$out/ornibe.iso")
  cp "$work/ours.steps" "$work/ours.steps.last"
}
run_theirs() {
  fresh
  local start middle end
  start=$(now)
  theirs_copy
  middle=$(now)
  theirs_image
  end=$(now)
  theirs_times+=("$(elapsed "$start" "$end")")
  copy_times+=("$(elapsed "$start" "$middle")")
  mkisofs_times+=("$(elapsed "$middle" "$end")")
  xorriso_bytes=$(stat -c %s "$out/xorriso.iso")
}

for ((run = 0; run < runs; run++)); do
  if ((run % 2 == 0)); then
    run_ours
    run_theirs
  else
    run_theirs
    run_ours
  fi
done

o=$(median "${ours_times[@]}")
t=$(median "${theirs_times[@]}")
c=$(median "${copy_times[@]}")

echo "runs: $runs each, median shown"
printf "ornibe whole build:   "; printf " %.3f" "${ours_times[@]}"; echo " s"
printf "cp -a + xorriso:      "; printf " %.3f" "${theirs_times[@]}"; echo " s"
printf "  ornibe copy:        "; printf " %.3f" "${ours_copy_times[@]}"; echo " s"
printf "  cp -a:              "; printf " %.3f" "${copy_times[@]}"; echo " s"
printf "  ornibe image:       "; printf " %.3f" "${ours_image_times[@]}"; echo " s"
printf "  xorriso -as mkisofs:"; printf " %.3f" "${mkisofs_times[@]}"; echo " s"
echo "steps of the last ornibe build (seconds since its start):"
sed 's/^/  /' "$work/ours.steps.last"
printf 'ornibe whole build:    %.3f s  (image %s bytes)\n' "$o" "$image_bytes"
printf 'cp -a + xorriso:       %.3f s  (cp -a %.3f s; image %s bytes)\n' "$t" "$c" "$xorriso_bytes"
printf 'ratio ornibe / (cp -a + xorriso): %.3f (goal <= 0.65)\n' "$(echo "$o / $t" | bc -l)"
run_by_run "ratio run by run:               " ours_times theirs_times
printf 'steps (medians): ornibe copy %.3f s, image %.3f s; cp -a %.3f s, xorriso -as mkisofs %.3f s\n' \
  "$(median "${ours_copy_times[@]}")" "$(median "${ours_image_times[@]}")" "$c" \
  "$(median "${mkisofs_times[@]}")"
