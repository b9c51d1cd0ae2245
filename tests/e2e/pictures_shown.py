#!/usr/bin/env python3
"""pictures_shown.py SCREENSHOT.bmp BANNER.png LOGO.png: whether a screenshot of the welcome
page (24-bit BMP) shows both pictures: no magenta (the logo's transparent colour) anywhere,
and nearly every colour of each picture's palette somewhere on the page."""
import struct
import sys


def palette(png):
    data = open(png, 'rb').read()
    at = 8
    while at < len(data):
        length, kind = struct.unpack('>I4s', data[at:at + 8])
        if kind == b'PLTE':
            body = data[at + 8:at + 8 + length]
            return {tuple(body[i:i + 3]) for i in range(0, length, 3)}
        at += 12 + length
    sys.exit(f'{png}: no palette')


def colours(bmp):
    data = open(bmp, 'rb').read()
    offset, = struct.unpack('<I', data[10:14])
    width, height, _, bits = struct.unpack('<iiHH', data[18:30])
    if bits != 24:
        sys.exit(f'{bmp}: {bits}-bit, expected 24')
    stride = (width * 3 + 3) & ~3
    seen = set()
    for row in range(abs(height)):
        line = data[offset + row * stride:offset + row * stride + width * 3]
        seen.update((line[i + 2], line[i + 1], line[i]) for i in range(0, len(line), 3))
    return seen


shown = colours(sys.argv[1])
ok = (255, 0, 255) not in shown
print('magenta on the page' if not ok else 'no magenta on the page')
for name in sys.argv[2:]:
    wanted = palette(name) - {(255, 0, 255)}
    found = len(wanted & shown)
    print(f'{name}: {found} of {len(wanted)} palette colours shown')
    ok = ok and found >= 0.9 * len(wanted)
sys.exit(0 if ok else 1)
