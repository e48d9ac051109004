#!/usr/bin/env python3
"""Writes a copy of a DLL whose version resource's fixed info carries another
file and product version, as a later (or earlier) release's file would: what
the setup compares before it replaces an installed file. Nothing else of the
file changes, so the copy still loads and works.

Usage: restamp_version.py DLL COPY VERSION    (VERSION: four numbers, 1.0.0.1)
A file without a version resource is refused (exit 1): no disk of another
version can be made from it, and the setup could not tell the two apart."""
import struct
import sys

# VS_FIXEDFILEINFO: its signature and structure version, then the file
# version (MS, LS) and the product version (MS, LS).
SIGNATURE = struct.pack('<II', 0xFEEF04BD, 0x00010000)


def restamp(data, version):
    at = data.find(SIGNATURE)
    if at < 0 or data.find(SIGNATURE, at + 1) >= 0:
        return None
    major, minor, patch, tweak = version
    ms, ls = (major << 16) | minor, (patch << 16) | tweak
    numbers = struct.pack('<IIII', ms, ls, ms, ls)
    start = at + len(SIGNATURE)
    return data[:start] + numbers + data[start + len(numbers):]


def main(argv):
    if len(argv) != 4:
        print(__doc__.split('\n\n')[1], file=sys.stderr)
        return 2
    version = [int(n) for n in argv[3].split('.')]
    if len(version) != 4 or not all(0 <= n <= 0xFFFF for n in version):
        print(f'restamp_version: "{argv[3]}" is not four numbers up to 65535', file=sys.stderr)
        return 2
    with open(argv[1], 'rb') as f:
        data = f.read()
    copy = restamp(data, version)
    if copy is None:
        print(f'restamp_version: {argv[1]} has no version resource (or more than one)', file=sys.stderr)
        return 1
    with open(argv[2], 'wb') as f:
        f.write(copy)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
