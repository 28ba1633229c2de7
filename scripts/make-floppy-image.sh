#!/usr/bin/env bash
# Writes a 1.44 MB FAT12 floppy image that holds a folder's files, as a
# driver floppy for F6 is shipped: the build makes the sample's image from
# samples/f6 this way, so that no binary image is kept in the project.
#   scripts/make-floppy-image.sh FOLDER IMAGE
set -euo pipefail
[ $# = 2 ] || { echo "usage: $0 FOLDER IMAGE" >&2; exit 2; }
folder=$1
image=$2
# mkfs.fat is in /usr/sbin, which an ordinary user's PATH may leave out.
mkfs=$(PATH="$PATH:/usr/sbin:/sbin" command -v mkfs.fat) ||
  { echo "$0: mkfs.fat not found (apt-get install dosfstools)" >&2; exit 1; }
command -v mcopy >/dev/null || { echo "$0: mcopy not found (apt-get install mtools)" >&2; exit 1; }
partial="$image.partial"
rm -f "$partial"
# The same bytes every time: no serial number or date from the clock.
"$mkfs" --invariant -C -n ORRAID "$partial" 1440 >/dev/null
MTOOLS_SKIP_CHECK=1 mcopy -s -m -i "$partial" "$folder"/* ::/
mv "$partial" "$image"
