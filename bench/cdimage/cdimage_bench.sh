#!/usr/bin/env bash
# Measures the cdimage tool against xorriso's mkisofs emulation with the
# nearest equal options on the same synthetic Windows setup tree, and the
# space that -o saves when the tree holds the same 10 MB file twice.
#
#   bench/cdimage/cdimage_bench.sh [BUILD_DIR] [TREE_MB]
#
# Prints the best of three timed runs of each program and their ratio.
# xorriso's mkisofs emulation has no -boot-load-seg; its default load
# segment 0 means 0x07C0 to the BIOS.
set -euo pipefail

build=${1:-build}
tree_mb=${2:-300}
cdimage="$build/tooldir/cdimage"
[ -x "$cdimage" ] || { echo "no $cdimage: build the project first" >&2; exit 1; }

work=$(mktemp -d)
started=$(date +%s)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"

# A tree shaped like a Windows CD: one large I386 folder of small and
# middle-sized files, a few large cabinets, some subfolders.
mkdir -p "$tree/I386/SYSTEM32" "$tree/I386/LANG" "$tree/I386/WINNTUPG" "$tree/DOCS" "$tree/SUPPORT/TOOLS"
head -c $((tree_mb * 1024 * 1024)) /dev/urandom > "$work/pool"
offset=0
n=0
pool_size=$((tree_mb * 1024 * 1024))
folders=("I386" "I386" "I386" "I386/SYSTEM32" "I386/LANG" "I386/WINNTUPG" "DOCS" "SUPPORT/TOOLS")
while true; do
  case $((n % 50)) in
    0) size=$((4 * 1024 * 1024)) ;;
    1|2|3|4|5) size=$((200 * 1024 + n * 37 % 300000)) ;;
    *) size=$((2000 + n * 7919 % 60000)) ;;
  esac
  [ $((offset + size)) -le $pool_size ] || break
  folder=${folders[$((n % ${#folders[@]}))]}
  dd if="$work/pool" of="$tree/$folder/FILE$n.SY_" bs=64K iflag=skip_bytes,count_bytes \
     skip=$offset count=$size status=none
  offset=$((offset + size))
  n=$((n + 1))
done
rm "$work/pool"
head -c 2048 /dev/zero > "$work/BOOTSECT.BIN"
files=$(find "$tree" -type f | wc -l)
echo "tree made in $(( $(date +%s) - started )) s"
echo "tree: $files files, $(du -sm "$tree" | cut -f1) MB"

run_cdimage() {
  "$cdimage" -lBENCH -h -n -m -o -x "-b$work/BOOTSECT.BIN" "$tree" "$work/cdimage.iso" > /dev/null
}
run_xorriso() {
  xorriso -as mkisofs -quiet -iso-level 3 -N -d -D -max-iso9660-filenames -relaxed-filenames \
    -V BENCH -o "$work/xorriso.iso" -graft-points \
    -b BOOTSECT.BIN -no-emul-boot -boot-load-size 4 \
    -hide /BOOTSECT.BIN -c BOOT.CAT --boot-catalog-hide \
    "/=$tree" "/BOOTSECT.BIN=$work/BOOTSECT.BIN" 2> /dev/null
}
best_of_three() {
  local best=""
  for _ in 1 2 3; do
    local start end took
    start=$(date +%s.%N)
    "$1"
    end=$(date +%s.%N)
    took=$(echo "$end - $start" | bc)
    if [ -z "$best" ] || [ "$(echo "$took < $best" | bc)" = 1 ]; then
      best=$took
    fi
  done
  echo "$best"
}

run_cdimage # warms the page cache for both
c=$(best_of_three run_cdimage)
x=$(best_of_three run_xorriso)
printf 'cdimage: %.3f s  (%s bytes)\n' "$c" "$(stat -c %s "$work/cdimage.iso")"
printf 'xorriso: %.3f s  (%s bytes)\n' "$x" "$(stat -c %s "$work/xorriso.iso")"
printf 'ratio cdimage/xorriso: %.3f (goal <= 1.1)\n' "$(echo "$c / $x" | bc -l)"

# Space saved by -o: the same 10 MB twice.
twins="$work/twins"
mkdir -p "$twins/I386/LANG"
head -c $((10 * 1024 * 1024)) /dev/urandom > "$twins/I386/DRIVER.CAB"
cp "$twins/I386/DRIVER.CAB" "$twins/I386/LANG/DRIVER.CAB"
"$cdimage" -lBENCH -h -n -m -x "-b$work/BOOTSECT.BIN" "$twins" "$work/plain.iso" > /dev/null
"$cdimage" -lBENCH -h -n -m -o -x "-b$work/BOOTSECT.BIN" "$twins" "$work/once.iso" > /dev/null
plain=$(stat -c %s "$work/plain.iso")
once=$(stat -c %s "$work/once.iso")
echo "10 MB file twice: without -o $plain bytes, with -o $once bytes, saved $((plain - once)) bytes ($(echo "scale=2; ($plain - $once) / 1048576" | bc) MB)"
