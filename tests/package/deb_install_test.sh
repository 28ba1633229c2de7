#!/usr/bin/env bash
# Makes the .deb from a build folder, unpacks it into a scratch root and
# checks what it holds: both programs, the private tool folder, the desktop
# entry, the icon, the manual pages compressed as Debian keeps them, the
# machine-readable copyright file, the changelog, and dependencies read from
# the linked libraries; the manual pages render without a warning, and
# lintian finds no error and no warning in it. Then the unpacked
# ornibe-build answers --version and builds the shipped sample with the
# unpacked tools.
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
# Each page in both languages: English where man looks under every locale,
# Japanese where it looks first under a Japanese locale.
pages=(man1/ornibe-build.1 ja/man1/ornibe-build.1)
for file in usr/bin/ornibe-build usr/share/doc/ornibe/copyright usr/share/doc/ornibe/changelog.gz; do
  [ -f "$root/$file" ] || fail "missing $file"
done
if [ -f "$build/src/ui/ornibe" ]; then
  # The wizard's page likewise in both languages.
  pages+=(man1/ornibe.1 ja/man1/ornibe.1)
  for file in usr/bin/ornibe usr/share/applications/ornibe.desktop \
              usr/share/icons/hicolor/scalable/apps/ornibe.svg; do
    [ -f "$root/$file" ] || fail "missing $file"
  done
fi

# Manual pages: gzip -9n copies of the pages in docs/man (no name and no
# time in the gzip header, so that every build gives the same bytes), and
# no uncompressed page.
for page in "${pages[@]}"; do
  gz="$root/usr/share/man/$page.gz"
  # man1/X is docs/man/X; ja/man1/X is docs/man/ja/X.
  text="$source/docs/man/$(echo "$page" | sed 's|man1/||')"
  [ -f "$gz" ] || fail "missing usr/share/man/$page.gz"
  gzip -t "$gz" || fail "$page.gz is not gzip"
  cmp -s <(gzip -dc "$gz") "$text" || fail "$page.gz is not $text"
  header=$(od -An -tx1 -N8 "$gz" | tr -d ' \n')
  [ "${header:6:10}" = "0000000000" ] || fail "$page.gz names a file or a time: $header"
done
# Each page renders without a warning of groff or man (a line that starts
# with a period is read as a request, and its text is lost).
for page in "${pages[@]}"; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/$page.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page renders with warnings: $warnings"
done
uncompressed=$(find "$root/usr/share/man" -type f ! -name '*.gz')
# The English texts of the terminal and the log.
[ -f "$root/usr/share/locale/en/LC_MESSAGES/ornibe.mo" ] ||
  fail "missing usr/share/locale/en/LC_MESSAGES/ornibe.mo"
[ -z "$uncompressed" ] || fail "uncompressed manual pages: $uncompressed"

# The copyright file is in the machine-readable format, with a licence
# paragraph for every licence its files name.
copyright="$root/usr/share/doc/ornibe/copyright"
head -1 "$copyright" |
  grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ||
  fail "copyright: not the machine-readable format"
grep -q "^Files: \*$" "$copyright" || fail "copyright: no paragraph for all files"
grep -q "^Copyright: ." "$copyright" || fail "copyright: no Copyright field"
for licence in $(sed -n 's/^License: //p' "$copyright" | sort -u); do
  [ "$(grep -c "^License: $licence$" "$copyright")" -ge 2 ] ||
    fail "copyright: licence $licence has no text"
done

command -v lintian >/dev/null || fail "lintian is not installed (scripts/setup.sh installs it)"
lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
  { cat "$scratch/lintian.log"; fail "lintian finds errors or warnings"; }
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
