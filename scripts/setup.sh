#!/usr/bin/env bash
# Installs the Debian packages that ornibe needs. Quick when everything is
# there; runs `apt-get update` once otherwise.
#   scripts/setup.sh --run   what the programs need to build and run
#   scripts/setup.sh         that, and what the tests, the sanitizer, fuzz
#                            and benchmark builds, CI and the pictures need
set -euo pipefail

# Building the wizard, ornibe-build and their tools, and running them: the
# compiler, Qt with its Japanese texts and its translation tools (lupdate
# and lrelease, which make the pages' English texts), a Japanese font, and
# the cabinet and ISO 9660 libraries, and mtools, which reads driver floppy
# images; for the USB stick image, mkfs.fat (dosfstools), mtools and syslinux with
# its modules (syslinux-common).
run_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  qt6-tools-dev qt6-l10n-tools
  fonts-ipafont-gothic
  libgcab-dev libisofs-dev
  mtools dosfstools syslinux syslinux-common
)

# The tests and CI: GoogleTest, libbenchmark, clang for the fuzz build,
# the pinned clang-format, the outside tools that check the results
# (cabextract, gcab, xorriso, a qemu boot of an image with a boot sector
# built by nasm; qemu-img for the README's virtio-win step), mkfs.fat for
# the test floppy images (dosfstools), sfdisk to read the stick image's
# partition table (fdisk), the test-tree generator (python3), Xvfb for the
# pictures, the mingw-w64 cross compilers for the stand-in Windows drivers
# and CD modules of the load check's tests, the Debian package build and
# its check (lintian), and the C library's locale data, for the log test
# under ja_JP.UTF-8.
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format-14
  gcab cabextract xorriso python3 dosfstools fdisk
  nasm qemu-system-x86 qemu-utils
  mingw-w64
  xvfb xauth
  git dpkg-dev file lintian
  locales
)

packages=("${run_packages[@]}")
case "${1:-}" in
--run) ;;
"") packages+=("${test_packages[@]}") ;;
*)
  echo "usage: scripts/setup.sh [--run]" >&2
  exit 2
  ;;
esac

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The log test also runs both programs under ja_JP.UTF-8, where the
# system's reasons are Japanese. A fresh Debian root has no locale but
# C.UTF-8: this one is added to /etc/locale.gen and generated.
if [ "${1:-}" = "" ] && ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
