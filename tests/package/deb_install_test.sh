#!/usr/bin/env bash
# Makes the .deb from a build folder, unpacks it into a scratch root and
# checks what it holds: both programs, the private tool folder, the desktop
# entry, the icon, the manual pages, and dependencies read from the linked
# libraries. Then the unpacked ornibe-build answers --version and builds
# the shipped sample with the unpacked tools.
#   deb_install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/out/*.deb)
[ "$(echo "$deb" | wc -l)" = 1 ] || fail "one package expected: $deb"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libisofs libgcab libc6 libstdc++; do
  case "$depends" in *"$library"*) ;; *) fail "Depends lacks $library: $depends" ;; esac
done

root="$scratch/root"
dpkg -x "$deb" "$root"
for file in usr/bin/ornibe-build usr/share/man/man1/ornibe-build.1; do
  [ -f "$root/$file" ] || fail "missing $file"
done
if [ -f "$build/src/ui/ornibe" ]; then
  for file in usr/bin/ornibe usr/share/applications/ornibe.desktop \
              usr/share/icons/hicolor/scalable/apps/ornibe.svg usr/share/man/man1/ornibe.1; do
    [ -f "$root/$file" ] || fail "missing $file"
  done
fi
tools=$(dirname "$(find "$root/usr/lib" -name cdimage -type f)")
for tool in makecab extract cdimage attrib; do
  [ -x "$tools/$tool" ] || fail "tool folder lacks $tool"
done

version=$("$root/usr/bin/ornibe-build" --version)
[ "$version" = "ornibe-build $(dpkg-deb -f "$deb" Version)" ] || fail "version: $version"

# A whole build with the unpacked program, which must run the unpacked
# tools (the log names the cdimage it ran).
cp -r "$source/samples/xp" "$scratch/xp"
"$root/usr/bin/ornibe-build" --work "$scratch/xp" --driver "$source/samples/driver/OrScsi.inf" \
  --iso "$scratch/sample.iso" --label PACKAGED >"$scratch/build.log" ||
  { cat "$scratch/build.log"; fail "build from the package"; }
grep -q "\"$tools/cdimage\"" "$scratch/build.log" || fail "the package's cdimage was not used"
[ -s "$scratch/sample.iso" ] || fail "no image"
echo "package $(basename "$deb") installs and builds"
