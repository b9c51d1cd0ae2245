#!/usr/bin/env python3
"""Checks that PROGRAM without its payload stays within the size budget.

    check_size.py PROGRAM PACKED_DIR BUDGET

The payload is the packed streams (PACKED_DIR/*.z) the program carries as resources; a
signature appended by the signing step is not part of the program either.
"""
import glob
import os
import struct
import sys


def signature_size(path):
    with open(path, "rb") as program:
        data = program.read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    directories = pe + 24 + (96 if magic == 0x10B else 112)
    # The fifth data directory: the attribute certificate table (offset, size).
    return struct.unpack_from("<II", data, directories + 4 * 8)[1]


def main():
    program, packed_dir, budget = sys.argv[1], sys.argv[2], int(sys.argv[3])
    payload = sum(os.path.getsize(p) for p in glob.glob(os.path.join(packed_dir, "*.z")))
    if payload == 0:
        sys.exit(f"no packed payload in {packed_dir}")
    size = os.path.getsize(program) - payload - signature_size(program)
    print(f"{program}: {size} bytes without its payload of {payload} bytes (budget {budget})")
    if size > budget:
        sys.exit(f"over the budget by {size - budget} bytes")


if __name__ == "__main__":
    main()
