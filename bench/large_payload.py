#!/usr/bin/env python3
"""Makes a payload folder of about 5 MB, or of about BYTES, from a folder of stand-in
payloads, for scripts/benchmark.sh (TK_BENCH_PAYLOAD=large, TK_BENCH_SCALING=1).

    bench/large_payload.py STAND_IN_FOLDER NEW_FOLDER [BYTES]

Every file is copied; the programs and libraries get program-like bytes appended (runs,
name tables, low-entropy code-like bytes; zlib packs them about 2.7 to 1). Appended bytes
are ignored by the loader, so each program still starts and does what its stand-in does.
With BYTES every file's share of the growth is scaled so that the folder holds about that.
"""
import shutil
import sys
from pathlib import Path

# Bytes added to each file, about the proportions of a real release.
GROWTH = {
    "fltsrv.exe": 1_900_000,
    "fltcln.exe": 1_400_000,
    "plugin/_kfilter.dll": 650_000,
    "fltfw.exe": 350_000,
    "Uninstall.exe": 250_000,
    "_fltw.exe": 200_000,
    "sporder.dll": 100_000,
}


def program_like(size, seed):
    data = bytearray()
    state = seed
    text = b"GetProcAddress LoadLibraryA tidyKiosk Filter Settings "
    while len(data) < size:
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        kind = (state >> 16) % 4
        if kind == 0:
            data += bytes([(state >> 8) & 0xFF]) * 64
        elif kind == 1:
            data += text
        else:
            for _ in range(48):
                state = (state * 1103515245 + 12345) & 0xFFFFFFFF
                data.append((state >> 24) & 0x3F)
    return bytes(data[:size])


def main():
    source, target = Path(sys.argv[1]), Path(sys.argv[2])
    scale = 1.0
    if len(sys.argv) > 3:
        base = sum(f.stat().st_size for f in source.rglob("*") if f.is_file())
        scale = (int(sys.argv[3]) - base) / sum(GROWTH.values())
        if scale < 0:
            sys.exit(f"large_payload: the stand-ins alone hold {base} bytes")
    if target.exists():
        shutil.rmtree(target)
    shutil.copytree(source, target)
    for seed, (name, size) in enumerate(sorted(GROWTH.items()), start=1):
        with open(target / name, "ab") as file:
            file.write(program_like(round(size * scale), seed))
    total = sum(f.stat().st_size for f in target.rglob("*") if f.is_file())
    print(f"{target}: {total} bytes")


if __name__ == "__main__":
    main()
