#!/usr/bin/env bash
# Builds the installation disk twice from this source tree, in two fresh build
# folders one after the other, and compares the disk's files and its floppy
# image byte for byte: what users get must not depend on when or where it was
# built. Also checks that none of them names the source or the build folder.
# Usage: disk_test.sh BUILD [CMAKE]
set -euo pipefail
build=$(cd "$1" && pwd)
cmake=${2:-cmake}
source=$(cd "$(dirname "$0")/../.." && pwd)
# The disk as build/bin holds it, and its image at the build folder's top;
# the target disk makes the image and, before it, every file on it (the INF
# and README.TXT are written when the build is configured).
files=(bin/ZORNET32.DLL bin/ZORN3216.DLL bin/QENREGIO.DLL bin/ZORSETUP.DLL bin/ZORNET.INF
       bin/ZORNET32.HLP bin/README.TXT ZORNET.IMA)
targets=(disk)
# Paths of different lengths: a path that got into a file would also shift
# what follows it.
first=$build/repro-a
second=$build/repro-b-second
failures=0

fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# The build must give the same bytes on its own, not through a time handed in
# from outside; the inner builds take their own -j2, not the job slots of a
# make that runs this test.
unset SOURCE_DATE_EPOCH MAKEFLAGS MFLAGS MAKELEVEL

# Configured as the Makefile configures build/, and only the disk built: the
# rest of the tree would cost minutes and is not shipped.
build_disk() { # FOLDER
  rm -rf "$1"
  "$cmake" -S "$source" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/toolchain-i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release >"$1.log" 2>&1 &&
    "$cmake" --build "$1" -j2 --target "${targets[@]}" >>"$1.log" 2>&1
}

# A name for a difference in a DLL that lies in one of the PE header's fields
# the linker fills in by itself.
pe_field() { # FILE OFFSET
  case $1 in *.DLL) ;; *) return 0 ;; esac
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  if (($2 >= pe + 8 && $2 < pe + 12)); then echo " (the PE header's time stamp)"
  elif (($2 >= pe + 88 && $2 < pe + 92)); then echo " (the PE checksum)"
  fi
}

compare() { # NAME
  local a=$first/$1 b=$second/$1 size_a size_b first_offset count sizes=""
  if [ ! -s "$a" ] || [ ! -s "$b" ]; then
    [ -s "$a" ] || fail "$1 is missing or empty in ${first#"$build"/}"
    [ -s "$b" ] || fail "$1 is missing or empty in ${second#"$build"/}"
    return 0
  fi
  cmp -s "$a" "$b" && return 0
  size_a=$(stat -c %s "$a") size_b=$(stat -c %s "$b")
  [ "$size_a" = "$size_b" ] || sizes=", $size_a bytes in one build and $size_b in the other"
  # cmp -l: one line per differing byte, its offset counted from 1.
  read -r first_offset count < <(cmp -l "$a" "$b" 2>/dev/null |
    awk 'NR == 1 { first = $1 - 1 } END { print (NR ? first : -1), NR }')
  if [ "$first_offset" -lt 0 ]; then
    fail "$1 differs between the two builds: one is the start of the other$sizes"
  else
    fail "$1 differs between the two builds at offset $(printf '0x%x' "$first_offset")$(pe_field "$a" "$first_offset"), $count bytes in all$sizes"
  fi
}

# No path of this machine in a disk file, in ANSI or in UTF-16 (as resources
# hold text): it would tell every user where the disk was built, and differ
# from one machine to the next even where both builds here agree.
check_paths() { # NAME
  local f=$first/$1 folder
  [ -s "$f" ] || return 0
  for folder in "$source" "$build"; do
    if grep -q -a -F -e "$folder" "$f"; then
      fail "$1 holds the folder name $folder"
    elif grep -q -a -F -f <(printf '%s' "$folder" | iconv -t UTF-16LE) "$f"; then
      fail "$1 holds the folder name $folder in UTF-16"
    fi
  done
}

start=$(date +%s)
for folder in "$first" "$second"; do
  if ! build_disk "$folder"; then
    echo "FAIL the disk does not build in $folder; the end of $folder.log:"
    tail -20 "$folder.log"
    exit 1
  fi
done
# A time taken from the clock shows as a difference only if the two images
# were written at different times, and a FAT time stamp counts in 2 s steps:
# a second image written less than 4 s after the first is written again.
if [ -f "$first/ZORNET.IMA" ] && [ -f "$second/ZORNET.IMA" ]; then
  apart=$(($(stat -c %Y "$second/ZORNET.IMA") - $(stat -c %Y "$first/ZORNET.IMA")))
  if [ $apart -lt 4 ]; then
    sleep $((4 - apart))
    rm "$second/ZORNET.IMA"
    "$cmake" --build "$second" --target disk >>"$second.log" 2>&1 || fail "the second image is not written again (see $second.log)"
  fi
fi
for f in "${files[@]}"; do
  compare "$f"
  check_paths "$f"
done
echo "reproducible disk: ${#files[@]} files, $failures failures, $(($(date +%s) - start)) s"
if [ $failures -ne 0 ]; then
  echo "the two builds are kept for a look: $first $second"
  exit 1
fi
rm -rf "$first" "$second" "$first.log" "$second.log"
