#!/usr/bin/env bash
# Times the integration of a whole mass-storage driver pack: a generated
# pack (make_driver_pack.py: COUNT drivers, each an INF with 30 hardware
# IDs, three driver files and a catalog) goes into a copy of samples/xp as
# text-mode drivers with ornibe-build (no image), and the wall time of the
# build and the number of programs it started are printed (goal: at most
# 1.0 s for 150 drivers), with the load average before and after the runs.
#
#   bench/drivers/driver_pack_bench.sh [BUILD_DIR] [COUNT] [RUNS] [STANDINS] [BEFORE]
#
# BUILD_DIR  the configured build tree (default: build); ornibe-build and
#            the tools are built there first
# COUNT      drivers in the pack (default: 150)
# RUNS       timed builds, each into a fresh copy; the median is shown
#            (default: 5)
# STANDINS   the stand-in Windows binaries the test build makes with
#            mingw-w64 (BUILD_DIR/tests/standin): every driver file of the
#            pack is then a copy of its clean x86 driver, and the tree
#            carries its kernel, HAL and SCSIPORT.SYS in cabinets, so that
#            the load check reads every driver against the CD's modules
#            (give "" to leave them out and name BEFORE)
# BEFORE     another ornibe-build (one built from an earlier commit) timed
#            on the same pack, its runs alternating with this build's, so
#            that both figures come from the same state of the machine
#
# The same pack is then given whole with --driver-pack (no target: every
# driver is taken) and timed the same way, and a pack of 500 drivers
# (15,000 hardware IDs) is scanned and matched against a listing of 40
# devices by ornibe_pack_choice_bench (goal: at most 1.0 s), which also
# times the whole selection with the load check.
#
# The child processes are counted with strace (-f, execve calls) in one
# further build when strace is there, and the instructions of the build
# with its children with valgrind's callgrind in another when valgrind is
# there; the timed builds run without either.
#
# Every build goes into a copy of its own, and the copies are removed only
# at the end: on an ext4 file system without a journal, a file created
# within minutes of many deletions waits while the kernel passes over the
# inodes just freed, so removing one build's tree before the next would
# time the deletions, not the build.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../figures.sh
source "$root/bench/figures.sh"
build=${1:-build}
count=${2:-150}
runs=${3:-5}
standins=${4:-}
before=${5:-}
cmake -S "$root" -B "$build" -DORNIBE_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target ornibe-build makecab extract cdimage attrib \
  ornibe_pack_choice_bench >/dev/null
build=$(cd "$build" && pwd)
program="$build/src/cli/ornibe-build"
[ -x "$program" ] || { echo "no $program: configure the build first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ornibe-pack-bench.XXXXXX")
trap 'chmod -R u+w "$work" 2> /dev/null || true; rm -rf "$work"' EXIT
python3 "$root/bench/drivers/make_driver_pack.py" "$work/pack" "$count" > "$work/infs"
template="$root/samples/xp"
if [ -n "$standins" ]; then
  find "$work/pack" -path '*/X86/*' -iname '*.sys' -exec cp "$standins/X86/ORCLEAN.SYS" {} \;
  template="$work/template"
  cp -a "$root/samples/xp" "$template"
  python3 - "$template/I386/TXTSETUP.SIF" <<'PY'
import sys
path = sys.argv[1]
text = open(path, "rb").read()
section = b"[SourceDisksFiles]\r\n"
lines = (b"ntoskrnl.exe = 1,,,,,,,2,0,0\r\nhal.dll = 1,,,,,,,2,0,0\r\n"
         b"scsiport.sys = 1,,,,,,4_,4,1,,,1,4\r\n")
open(path, "wb").write(text.replace(section, section + lines, 1))
PY
  mkdir "$work/modules"
  cp "$standins"/X86/cd/* "$work/modules"/
  # The CD's own miniport smpide.sys imports SCSIPORT.SYS.
  cp "$standins/X86/ORCLEAN.SYS" "$work/modules/SMPIDE.SYS"
  rm "$template/I386/SMPIDE.SY_"
  for module in "$work/modules"/*; do
    "$build/tooldir/makecab" /L "$template/I386" "$module" > /dev/null
  done
fi
drivers=()
while IFS= read -r inf; do drivers+=(--driver "$inf"); done < "$work/infs"

now() { date +%s.%N; }
trees=0
fresh() {
  trees=$((trees + 1))
  tree="$work/tree.$trees"
  cp -a "$template" "$tree"
  sync
}
build_once() {
  "$@" "${builder:-$program}" --work "$tree" --yes --quiet "${drivers[@]}" > "$work/build.log" \
    2> "$work/build.err" || { cat "$work/build.err" "$work/build.log" >&2; exit 1; }
}
pack_once() {
  "$program" --work "$tree" --yes --quiet --driver-pack "$work/pack" > "$work/pack.log" \
    2> "$work/pack.err" || { cat "$work/pack.err" "$work/pack.log" >&2; exit 1; }
}

# The machine's load beside the figure: on a shared machine it says how
# far the figure can be trusted.
load() { cut -d' ' -f1-3 /proc/loadavg; }
load_before=$(load)
times=()
cpus=()
befores=()
for ((run = 0; run < runs; run++)); do
  if [ -n "$before" ]; then
    fresh
    start=$(now)
    builder=$before build_once
    end=$(now)
    befores+=("$(echo "$end - $start" | bc)")
  fi
  fresh
  start=$(now)
  # The processor time of the build and its children (user + system),
  # which a loaded machine stretches far less than the wall time.
  cpu=$( { TIMEFORMAT='%U %S'; time build_once; } 2>&1 | awk '{ print $1 + $2 }')
  end=$(now)
  times+=("$(echo "$end - $start" | bc)")
  cpus+=("$cpu")
done
packs=()
for ((run = 0; run < runs; run++)); do
  fresh
  start=$(now)
  pack_once
  end=$(now)
  packs+=("$(echo "$end - $start" | bc)")
done
load_after=$(load)

echo "pack: $count drivers, $(grep -c 'PCI\\VEN' "$work/pack"/*/*.inf | awk -F: '{ s += $2 } END { print s / 2 }') hardware IDs," \
  "$(find "$work/pack" -path '*/X86/*' -type f | wc -l) driver files," \
  "$(find "$work/pack" -iname '*.cat' | wc -l) catalogs"
echo "log: $(wc -l < "$work/build.log") lines," \
  "$(grep -c 'をコピーしています。。。完了' "$work/build.log") files placed"
printf "builds:"; printf " %.3f" "${times[@]}"; echo " s"
printf "processor time:"; printf " %.3f" "${cpus[@]}"; printf " s (median %.3f)\n" "$(median "${cpus[@]}")"
if command -v strace > /dev/null; then
  fresh
  build_once strace -f -qq -e trace=execve -e signal=none -o "$work/strace.out"
  # The first execve is ornibe-build itself.
  echo "child processes: $(($(grep -c 'execve(' "$work/strace.out") - 1))"
  # The cabinet tool's runs among them: the load checks of one build take
  # the CD's modules out of their cabinets once between them.
  echo "extract runs: $(grep -c 'execve("[^"]*/extract"' "$work/strace.out")"
else
  echo "child processes: not counted (no strace)"
fi
if command -v valgrind > /dev/null; then
  # The instructions of the build and all its children, counted by
  # callgrind: unlike the times above, the figure hardly moves with the
  # machine's load, so two builds (a change and the commit before it) can
  # be held against each other on a busy machine.
  fresh
  build_once valgrind -q --tool=callgrind --trace-children=yes \
    --callgrind-out-file="$work/callgrind.%p"
  echo "instructions with children: $(awk '/^(summary|totals):/ && !seen[FILENAME]++ { s += $2 }
    END { printf "%.0f", s }' "$work"/callgrind.*)" \
    "in $(find "$work" -maxdepth 1 -name 'callgrind.*' | wc -l) processes"
else
  echo "instructions: not counted (no valgrind)"
fi
printf 'driver pack build: %.3f s (median of %s; goal <= 1.0; load average %s before, %s after)\n' \
  "$(median "${times[@]}")" "$runs" "$load_before" "$load_after"
if [ -n "$before" ]; then
  printf 'the same builds by %s:' "$before"; printf ' %.3f' "${befores[@]}"
  printf ' s (median %.3f)\n' "$(median "${befores[@]}")"
fi
printf 'the same pack with --driver-pack:'; printf ' %.3f' "${packs[@]}"
printf ' s (median %.3f; %s files placed)\n' "$(median "${packs[@]}")" \
  "$(grep -c 'をコピーしています。。。完了' "$work/pack.log")"

# 500 drivers of 30 IDs each against 40 devices: ten of the pack's storage
# controllers (each the first device of its driver), among 30 others.
python3 "$root/bench/drivers/make_driver_pack.py" "$work/pack500" 500 30 > /dev/null
for ((n = 1; n <= 40; n++)); do
  if ((n % 4 == 0)); then
    printf '%02x:00.0 RAID bus controller [0104]: Bench Storage %d [%04x:0100] (rev 01)\n' \
      "$n" "$n" $((0x1B00 + n * 12))
  else
    printf '00:%02x.0 Ethernet controller [0200]: Bench Network %d [8086:%04x] (rev 02)\n' \
      "$n" "$n" $((0x1000 + n))
  fi
done > "$work/listing.txt"
"$build/bench/drivers/ornibe_pack_choice_bench" "$work/pack500" "$work/listing.txt" \
  "$template" "$build/tooldir" "$runs"
