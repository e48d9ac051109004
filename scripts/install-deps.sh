#!/usr/bin/env bash
# Installs what the build, the tests and the demo need, from Debian's packages:
# the i686 MinGW-w64 cross compiler, 32-bit Wine and Wine's own fonts, CMake,
# GoogleTest's source, nasm (the 16-bit stand-ins), Xvfb and ImageMagick (make
# screenshots). Where this machine's kernel cannot start 32-bit x86 programs
# itself, 32-bit Wine runs under QEMU's user-mode emulator, registered with
# binfmt_misc.
# Everything already present is skipped; safe to run again. Works as root.
set -euo pipefail

packages=(g++-mingw-w64-i686-posix wine wine32:i386 wine32-preloader:i386
          cmake make googletest nasm xvfb xauth imagemagick fonts-wine)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: $1; run as root" >&2
    exit 1
  fi
}

apt_updated=no
apt_update() {
  if [ $apt_updated = no ]; then
    apt-get update -qq
    apt_updated=yes
  fi
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  need_root "missing packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt_update
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Can this kernel start a 32-bit x86 program? The loader of 32-bit glibc is one.
runs_i386() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
runs_i386 && exit 0

need_root "this kernel cannot run 32-bit x86 programs and QEMU must be set up"
# QEMU 7.2 of bookworm cannot host 32-bit Wine; the backported QEMU can.
if ! qemu-i386-static --version 2>/dev/null | grep -q -E 'version ([89]|[1-9][0-9])\.'; then
  export DEBIAN_FRONTEND=noninteractive
  src=/etc/apt/sources.list.d/bookworm-backports.sources
  if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    cat > "$src" <<'SOURCES'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    apt_updated=no
  fi
  apt_update
  apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null
fi

binfmt=/proc/sys/fs/binfmt_misc
[ -e $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt
if [ ! -e $binfmt/qemu-i386 ]; then
  # ELF, 32-bit, little-endian, executable or shared object, machine 3 (i386).
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' > $binfmt/register
fi
runs_i386 || { echo "install-deps: 32-bit x86 programs still cannot run" >&2; exit 1; }
