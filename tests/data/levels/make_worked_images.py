#!/usr/bin/env python3
"""Writes the small images of the worked test levels: stone.bmp, light0.bmp
and light1.bmp, 8 x 8 24-bit BMPs, into each folder named on the command
line (tests/data/worked and tests/data/levels/worked5)."""

import os
import sys

# The BMP writer of the arena level's generator.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'tools'))
from make_test_level import bmp  # noqa: E402


def main():
    for folder in sys.argv[1:]:
        bmp(os.path.join(folder, 'stone.bmp'), 8, 8,
            lambda x, y: (120 + 8 * ((x + y) % 4), 110, 100))
        bmp(os.path.join(folder, 'light0.bmp'), 8, 8, lambda x, y: (255, 255, 255))
        bmp(os.path.join(folder, 'light1.bmp'), 8, 8,
            lambda x, y: (160 + 10 * x, 160 + 10 * x, 160 + 10 * x))


if __name__ == '__main__':
    main()
