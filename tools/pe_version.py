#!/usr/bin/env python3
"""The version resource of Wordlark's program files, read and (for tests) rewritten.

usage: tools/pe_version.py FILE          prints the file version, MAJOR.MINOR.PATCH

The version lives in the resource's fixed part (VS_FIXEDFILEINFO), right after the key
"VS_VERSION_INFO"; the file and product versions are read there and rewritten together."""

import struct
import sys

KEY = "VS_VERSION_INFO\0".encode("utf-16-le")
SIGNATURE = struct.pack("<I", 0xFEEF04BD)
# From the start of the key to the fixed part: the key, padded to four bytes from the resource's
# start (six bytes of header before the key).
FIXED_AFTER_KEY = 40 - 6


def fixed_part(data):
    """Offset of the fixed part; ValueError when the file has none or more than one."""
    found = []
    at = data.find(KEY)
    while at >= 0:
        fixed = at + FIXED_AFTER_KEY
        if data[fixed:fixed + 4] == SIGNATURE:
            found.append(fixed)
        at = data.find(KEY, at + 1)
    if len(found) != 1:
        raise ValueError("%d version resources" % len(found))
    return found[0]


def read(data):
    """(major, minor, patch) of the file version."""
    ms, ls = struct.unpack_from("<II", data, fixed_part(data) + 8)
    return ms >> 16, ms & 0xFFFF, ls >> 16


def with_version(data, version):
    """The bytes with file and product version set to version (major, minor, patch)."""
    major, minor, patch = version
    fixed = fixed_part(data)
    out = bytearray(data)
    numbers = struct.pack("<II", major << 16 | minor, patch << 16)
    out[fixed + 8:fixed + 16] = numbers
    out[fixed + 16:fixed + 24] = numbers
    return bytes(out)


def text(version):
    return "%d.%d.%d" % version


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    try:
        print(text(read(data)))
    except ValueError as e:
        print("%s: %s" % (sys.argv[1], e), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
