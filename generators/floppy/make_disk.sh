#!/usr/bin/env bash
# Writes a 1.44 MB 3½-inch FAT12 floppy image with the given files in its
# root, in the order given, under their own (upper-case 8.3) names. The same
# files give the same bytes at any time, on any machine with the same mtools:
# a volume serial number and every time stamp taken from the release date,
# none from the clock. Files that do not fit are refused, and no image, not
# even an older one, is left behind when the image is not written.
# Usage: make_disk.sh IMAGE LABEL RELEASE_DATE(YYYY-MM-DD) FILE...
set -euo pipefail
image=$1 label=$2 date=$3
shift 3

fail() {
  echo "make_disk: $*" >&2
  exit 1
}

rm -f "$image"
[[ $date =~ ^([0-9]{4})-([0-9]{2})-([0-9]{2})$ ]] || fail "the release date '$date' is not YYYY-MM-DD"
# The date's digits as the serial number (mdir shows 2026-1210): fixed for a
# release, and a different one for the next, so that Windows sees a new disk.
serial=${BASH_REMATCH[1]}${BASH_REMATCH[2]}${BASH_REMATCH[3]}

# mtools takes the time for every entry it writes from SOURCE_DATE_EPOCH and
# turns it into a DOS time, a local time, in the zone TZ names; counted in
# the same zone, the release date's midnight is midnight on the disk.
export TZ=UTC
SOURCE_DATE_EPOCH=$(date -d "$date" +%s) || fail "the release date '$date' is no date"
export SOURCE_DATE_EPOCH
# No long-name (VFAT) entries, and no check of the image against a drive's
# geometry (there is no drive).
export MTOOLS_NO_VFAT=1 MTOOLS_SKIP_CHECK=1

for f in "$@"; do
  [ -f "$f" ] || fail "$f is missing"
  [[ $(basename "$f") =~ ^[A-Z0-9_-]{1,8}(\.[A-Z0-9_-]{1,3})?$ ]] ||
    fail "$(basename "$f") is not an upper-case 8.3 name; Windows 95's setup finds the files by their short names"
done

# Written beside the image and renamed into place when complete.
partial=$image.partial
rm -f "$partial"
trap 'rm -f "$partial"' EXIT
mformat -C -i "$partial" -f 1440 -v "$label" -N "$serial" ::

# The room for files, from the boot sector mformat wrote: the sectors that
# the boot sector, the two FATs and the root directory leave, in whole
# clusters. A file takes whole clusters.
field() { od -An -tu"$2" -j"$1" -N"$2" "$partial" | tr -d ' '; } # OFFSET SIZE
sector=$(field 11 2) per_cluster=$(field 13 1) reserved=$(field 14 2) fats=$(field 16 1)
root_entries=$(field 17 2) sectors=$(field 19 2) per_fat=$(field 22 2)
cluster=$((sector * per_cluster))
clusters=$(((sectors - reserved - fats * per_fat - root_entries * 32 / sector) / per_cluster))
room=$((clusters * cluster))
size=0 taken=0
for f in "$@"; do
  bytes=$(stat -c %s "$f")
  size=$((size + bytes))
  taken=$((taken + (bytes + cluster - 1) / cluster * cluster))
done
if [ $taken -gt $room ]; then
  fail "the files do not fit the 1.44 MB disk: $# files of $size bytes take $taken bytes in $cluster-byte clusters, and the disk has room for $room bytes"
fi

for f in "$@"; do
  mcopy -i "$partial" "$f" "::$(basename "$f")"
done
mv "$partial" "$image"
