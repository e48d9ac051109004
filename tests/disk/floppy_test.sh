#!/usr/bin/env bash
# Checks the installation disk's floppy image, BUILD/ZORNET.IMA: a sound
# 1.44 MB FAT12 file system labelled ZORNET; in its root exactly the disk's
# seven files, no long names and no folders, each the same bytes as
# BUILD/bin's; a README.TXT Windows 95's Notepad shows as written, naming
# this version; every time stamp the release date's midnight. And that the
# image's writer refuses files that do not fit, leaving no image.
# Usage: floppy_test.sh BUILD
set -uo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
image=$build/ZORNET.IMA
files=(ZORNET.INF ZORNET32.DLL ZORN3216.DLL QENREGIO.DLL ZORSETUP.DLL ZORNET32.HLP README.TXT)
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MTOOLS_SKIP_CHECK=1

fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# The version and release date the build wrote down.
header=$build/include/product_version.h
version=$(sed -n 's/^#define ZOR_VERSION_TEXT "\(.*\)"$/\1/p' "$header")
date=$(sed -n 's/^#define ZOR_RELEASE_DATE "\(.*\)"$/\1/p' "$header")
[[ $version =~ ^[0-9.]+$ && $date =~ ^([0-9]{4})-([0-9]{2})-([0-9]{2})$ ]] ||
  { echo "FAIL no version or release date in $header"; exit 1; }
# The date as a FAT entry holds it: years since 1980, month, day in 7, 4, 5 bits.
fat_date=$(((${BASH_REMATCH[1]} - 1980) << 9 | 10#${BASH_REMATCH[2]} << 5 | 10#${BASH_REMATCH[3]}))

[ -s "$image" ] || { echo "FAIL $image is missing"; exit 1; }
size=$(stat -c %s "$image")
[ "$size" -eq 1474560 ] || fail "the image is $size bytes, not the 1474560 of a 1.44 MB disk"
# The boot sector's BIOS parameter block from byte 11: 512-byte sectors, one
# per cluster, one reserved sector, two FATs, 224 root entries, 2880 sectors,
# media F0, 9 sectors per FAT: the 1.44 MB disk, whose root directory starts
# at sector 1 + 2 * 9 = 19, byte 0x2600.
bpb=$(od -An -tx1 -j11 -N13 "$image" | tr -d ' \n')
[ "$bpb" = 000201010002e000400bf00900 ] || fail "the boot sector is not a 1.44 MB disk's: $bpb"
if ! fsck.fat -n "$image" >"$work/fsck" 2>&1; then
  fail "fsck.fat -n finds faults:"
  cat "$work/fsck"
fi

# The root directory's 224 entries, one line of 32 bytes in hex each, up to
# the first unused one.
names=()
labels=0
while read -r -a b; do
  [ "${b[0]}" = 00 ] && break
  attributes=$((16#${b[11]}))
  if [ $attributes -eq 15 ]; then fail "a long-name (VFAT) entry"; continue; fi
  name=$(printf "$(printf '\\x%s' "${b[@]:0:11}")")
  if [ "${b[0]}" = e5 ]; then fail "a deleted entry: '$name'"; continue; fi
  if ((attributes & 16)); then fail "a folder: '$name'"; fi
  if ((attributes & 8)); then
    labels=$((labels + 1))
    [ "$name" = "ZORNET     " ] || fail "the volume label is '$name', not ZORNET"
  else
    base=${name:0:8} extension=${name:8:3}
    base=${base%% *} extension=${extension%% *}
    names+=("$base${extension:+.}$extension")
  fi
  # Creation time (hundredths, time, date), access date, modification time and
  # date: midnight of the release date, whenever the image was written.
  stamps="$((16#${b[13]})) $((16#${b[15]}${b[14]})) $((16#${b[17]}${b[16]})) $((16#${b[19]}${b[18]}))"
  stamps+=" $((16#${b[23]}${b[22]})) $((16#${b[25]}${b[24]}))"
  want="0 0 $fat_date $fat_date 0 $fat_date"
  [ "$stamps" = "$want" ] || fail "'$name' has the time stamps $stamps, not $want (release date $date)"
done < <(od -An -v -tx1 -w32 -j$((0x2600)) -N$((224 * 32)) "$image")
[ $labels -eq 1 ] || fail "$labels volume labels in the root directory, not 1"
listed=$(printf '%s\n' "${names[@]}" | sort)
wanted=$(printf '%s\n' "${files[@]}" | sort)
[ "$listed" = "$wanted" ] || fail "the root directory holds: ${names[*]}; it should hold: ${files[*]}"
label=$(od -An -c -j43 -N11 "$image" | tr -d ' \n')
[ "$label" = ZORNET ] || fail "the boot sector's volume label is '$label', not ZORNET"

# Each file read back through the file system, as Windows reads it.
for f in "${files[@]}"; do
  if ! mcopy -n -i "$image" "::$f" "$work/$f" 2>"$work/mcopy"; then
    fail "$f cannot be read from the image: $(cat "$work/mcopy")"
  elif ! cmp -s "$work/$f" "$build/bin/$f"; then
    fail "$f on the image is not $build/bin/$f"
  fi
done

# README.TXT: CRLF line ends only, printable ASCII in at most 72 columns.
readme=$build/bin/README.TXT
LC_ALL=C awk '
  !/\r$/ { print "FAIL README.TXT line " NR " does not end in CRLF" }
  { sub(/\r$/, "") }
  /[^ -~]/ { print "FAIL README.TXT line " NR " holds a byte that is not printable ASCII" }
  length($0) > 72 { print "FAIL README.TXT line " NR " is " length($0) " columns wide" }
  ' "$readme" >"$work/readme"
# A last line without its line end ends the file.
[ "$(tail -c 2 "$readme" | od -An -tx1 | tr -d ' ')" = 0d0a ] || echo "FAIL README.TXT does not end in CRLF" >>"$work/readme"
grep -q -F "Version $version, released $date" "$readme" || echo "FAIL README.TXT does not say: Version $version, released $date" >>"$work/readme"
if [ -s "$work/readme" ]; then
  cat "$work/readme"
  failures=$((failures + $(wc -l <"$work/readme")))
fi

# The writer refuses what does not fit: two files, each of which would fit
# alone, and an older image of the same name is gone too.
mkdir "$work/big"
truncate -s 800000 "$work/big/ONE.BIN" "$work/big/TWO.BIN"
echo older >"$work/big/DISK.IMA"
if "$source/generators/floppy/make_disk.sh" "$work/big/DISK.IMA" ZORNET "$date" \
  "$work/big/ONE.BIN" "$work/big/TWO.BIN" 2>"$work/refusal"; then
  fail "the writer took 1600000 bytes for a 1.44 MB disk"
else
  grep -q "1600512 bytes.*room for 1457664 bytes" "$work/refusal" ||
    fail "the refusal does not name the room the files take and the disk's: $(cat "$work/refusal")"
fi
left=$(cd "$work/big" && ls | grep -v '^ONE.BIN$\|^TWO.BIN$')
[ -z "$left" ] || fail "a refused image leaves: $left"

echo "floppy image: ${#files[@]} files, $failures failures"
[ $failures -eq 0 ]
