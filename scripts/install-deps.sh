#!/usr/bin/env bash
# Installs what the build, the tests and the demo need, from Debian's packages:
# the i686 MinGW-w64 cross compiler, 32-bit Wine and Wine's own fonts, CMake,
# GoogleTest's source, nasm (the 16-bit stand-ins), Python (the help file's
# writer), Xvfb and ImageMagick (make screenshots), mtools and dosfstools (the
# floppy image and its check). Where this machine's kernel cannot start 32-bit
# x86 programs itself, 32-bit Wine runs under QEMU's user-mode emulator,
# registered with binfmt_misc.
# Everything already present is skipped; safe to run again. Works as root.
#
# A package mirror part-way through a sync is survived: an index that fails to
# download is named and left out, a failed install is tried once more after a
# pause, and when the i386 and amd64 versions of a multi-arch library disagree
# (one architecture's index newer than the other's) the packages come from the
# release's own suite, where both agree. Every failure ends with one line
# saying what is missing and what to try.
set -euo pipefail

packages=(g++-mingw-w64-i686-posix wine wine32:i386 wine32-preloader:i386 python3
          cmake make googletest nasm xvfb xauth imagemagick fonts-wine mtools dosfstools)
retry_pause=${ZOR_APT_RETRY_PAUSE:-30}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

fail() {
  echo "install-deps: $*" >&2
  exit 1
}

need_root() {
  [ "$(id -u)" -eq 0 ] || fail "$1; run as root (sudo make setup)"
}

log=$(mktemp)
trap 'rm -f "$log"' EXIT

# apt-get update, going on without the indexes that could not be fetched:
# apt keeps the older copy of each (or none) and says which they were.
apt_updated=no
unfetched=0
apt_update() {
  [ $apt_updated = no ] || return 0
  apt_updated=yes
  if apt-get update >"$log" 2>&1; then return 0; fi
  # Each index apt could not fetch is an "Err:N URI SUITE WHAT" line with the
  # reason on the line after it.
  local failed
  failed=$(awk '/^Err:/ { sub(/^Err:[0-9]+ /, ""); index_ = $0; next }
                index_ != "" { sub(/^ +/, ""); print index_ " (" $0 ")"; index_ = "" }' "$log")
  if [ -z "$failed" ]; then
    cat "$log" >&2
    fail "apt-get update failed (above); check /etc/apt/sources.list and the network, then run make setup again"
  fi
  unfetched=$(wc -l <<<"$failed")
  echo "install-deps: warning: apt-get update could not fetch these indexes; going on without them:" >&2
  sed 's/^/install-deps:   /' <<<"$failed" >&2
}

# The multi-arch libraries whose i386 and amd64 candidates differ, among those
# an install named as unmet ("Depends: libfoo:i386 ... not going to be installed").
disagreeing_libraries() {
  local name amd64 i386
  for name in $(grep -oE 'Depends: [^ :]+:i386' "$log" | sed -E 's/Depends: //; s/:i386$//' | sort -u); do
    amd64=$(apt-cache policy "$name:amd64" 2>/dev/null | awk '/Candidate:/ {print $2}')
    i386=$(apt-cache policy "$name:i386" 2>/dev/null | awk '/Candidate:/ {print $2}')
    [ -n "$amd64" ] && [ -n "$i386" ] && [ "$amd64" != "$i386" ] && echo "$name (amd64 $amd64, i386 $i386)"
  done
  return 0
}

# Quiet, but a refusal is explained: apt's reasons are shown only without -qq,
# so a failed install is simulated again to add them to the log.
apt_install() {
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1 && return 0
  apt-get install -s --no-install-recommends "$@" >>"$log" 2>&1 || true
  return 1
}

# Installs packages (apt-get install options may come first); a failure is
# tried once more after a pause, and a disagreement between the architectures
# is resolved from the release's own suite.
install_packages() {
  local what release disagreeing
  what=$(sed -E 's/(^| )-t [^ ]+//g; s/^ //' <<<"$*")
  apt_update
  apt_install "$@" && return 0
  if ! grep -q 'unmet dependencies' "$log"; then
    tail -n 5 "$log" >&2
    echo "install-deps: the install failed; trying once more in $retry_pause s" >&2
    sleep "$retry_pause"
    apt_updated=no
    apt_update
    apt_install "$@" && return 0
  fi
  if grep -q 'unmet dependencies' "$log"; then
    disagreeing=$(disagreeing_libraries)
    release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    if [ -n "$disagreeing" ] && [ -n "$release" ]; then
      echo "install-deps: the i386 and amd64 versions of these libraries disagree (a mirror part-way through a sync?):" >&2
      sed 's/^/install-deps:   /' <<<"$disagreeing" >&2
      echo "install-deps: installing from the release's own suite, $release, where both architectures agree" >&2
      apt_install -t "$release" "$@" && return 0
    fi
  fi
  tail -n 15 "$log" >&2
  local sources=""
  [ "$unfetched" -eq 0 ] || sources=", and fix or remove the sources of the $unfetched indexes named above"
  fail "could not install ${what}; try 'apt-get update' and run make setup again in a while (a mirror part-way through a sync heals within hours)$sources"
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  need_root "missing packages: ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  install_packages "${missing[@]}"
  for p in "${missing[@]}"; do installed "$p" || fail "$p is still not installed after apt-get install; run 'apt-get install $p' to see why"; done
fi

# Can this kernel start a 32-bit x86 program? The loader of 32-bit glibc is one.
runs_i386() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
runs_i386 && exit 0

need_root "this kernel cannot run 32-bit x86 programs and QEMU must be set up"
# QEMU 7.2 of bookworm cannot host 32-bit Wine; the backported QEMU can.
if ! qemu-i386-static --version 2>/dev/null | grep -q -E 'version ([89]|[1-9][0-9])\.'; then
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
  install_packages -t bookworm-backports qemu-user-static
fi

binfmt=/proc/sys/fs/binfmt_misc
[ -e $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt
if [ ! -e $binfmt/qemu-i386 ]; then
  # ELF, 32-bit, little-endian, executable or shared object, machine 3 (i386).
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' > $binfmt/register
fi
runs_i386 || fail "32-bit x86 programs still cannot run after QEMU was registered; check that /usr/bin/qemu-i386-static runs and that binfmt_misc is mounted"
