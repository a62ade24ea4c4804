#!/usr/bin/env python3
"""Writes the small images of the worked test levels: stone.bmp, light0.bmp
and light1.bmp, 8 x 8 24-bit BMPs, into each folder named on the command
line (tests/data/worked and tests/data/levels/worked5)."""

import os
import struct
import sys


def bmp(path, w, h, pixel):
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        line += bytes(row - len(line))
        data += line
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def main():
    for folder in sys.argv[1:]:
        bmp(os.path.join(folder, 'stone.bmp'), 8, 8,
            lambda x, y: (120 + 8 * ((x + y) % 4), 110, 100))
        bmp(os.path.join(folder, 'light0.bmp'), 8, 8, lambda x, y: (255, 255, 255))
        bmp(os.path.join(folder, 'light1.bmp'), 8, 8,
            lambda x, y: (160 + 10 * x, 160 + 10 * x, 160 + 10 * x))


if __name__ == '__main__':
    main()
