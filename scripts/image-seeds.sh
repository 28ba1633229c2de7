#!/usr/bin/env bash
# Makes the seed images of the image reader's fuzz target in FOLDER: small
# ISO images of the tests' files written by xorriso (Joliet with a
# no-emulation boot image as on a Windows CD, plain ISO 9660, Rock Ridge
# with a link and a hidden boot image, nested folders), each cut to start
# at its volume descriptors as the target reads its input.
#   scripts/image-seeds.sh FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: scripts/image-seeds.sh FOLDER}
mkdir -p "$out"
command -v xorriso > /dev/null || { echo "no xorriso: run scripts/setup.sh" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/cd/I386/SYSTEM32" "$work/cd/DOCS"
cp samples/xp/BOOTSECT.BIN "$work/cd/"
cp tests/check/data/q35-guest.nn.txt "$work/cd/I386/LSPCI.TXT"
cp "$(find tests/answer/data -type f -name '*.sif' | sort | head -n 1)" "$work/cd/I386/WINNT.SIF"
printf 'readme\r\n' > "$work/cd/DOCS/README.TXT"
: > "$work/cd/I386/SYSTEM32/EMPTY.DLL"

# seed NAME MKISOFS-OPTIONS...: one image of the tree, without the 16
# sectors of its system area.
seed() {
  local name=$1
  shift
  xorriso -as mkisofs -quiet -no-pad -V SEED "$@" -o "$work/$name.iso" "$work/cd" 2> /dev/null
  tail -c +32769 "$work/$name.iso" > "$out/$name"
}
seed joliet-boot -J -b BOOTSECT.BIN -no-emul-boot -boot-load-size 4 -c BOOT.CAT --boot-catalog-hide
seed plain -iso-level 1
seed nested -iso-level 3 -N -d -D -relaxed-filenames -max-iso9660-filenames
ln -s ../DOCS/README.TXT "$work/cd/I386/LINK.TXT"
seed rockridge-boot -J -R -b BOOTSECT.BIN -no-emul-boot -boot-load-size 4 -hide BOOTSECT.BIN \
  -hide-joliet BOOTSECT.BIN -c BOOT.CAT -hide BOOT.CAT -hide-joliet BOOT.CAT
ls -l "$out"
