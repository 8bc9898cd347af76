#!/usr/bin/env python3
"""Writes the menu glyph picture of the skinned system menu as a 24-bit BMP into resources/.

SkinMenuGlyphs.bmp (resource MENUGLYPHS): four 16 x 16 cells side by side on white, which is the
transparent colour: restore (two overlapping windows), maximize (one window), minimize (a bar at
the bottom) and close (a cross), drawn in a dark grey. Only their shapes count: the menu
painter draws them as symbols in the item's text colour. Standard library only.

Usage: python3 tools/make_menu_glyphs.py [output-directory]
"""
import os
import struct
import sys

CELL = 16
WHITE = (255, 255, 255)
INK = (48, 48, 48)


def window(cell, left, top, right, bottom):
    """A window outline with a two-pixel title bar, corners inclusive."""
    for x in range(left, right + 1):
        cell[top][x] = cell[top + 1][x] = cell[bottom][x] = INK
    for y in range(top, bottom + 1):
        cell[y][left] = cell[y][right] = INK


def restore():
    cell = [[WHITE] * CELL for _ in range(CELL)]
    window(cell, 6, 2, 13, 8)
    # The front window covers the back one's lower left part.
    for y in range(6, 14):
        for x in range(2, 10):
            cell[y][x] = WHITE
    window(cell, 2, 6, 9, 13)
    return cell


def maximize():
    cell = [[WHITE] * CELL for _ in range(CELL)]
    window(cell, 2, 2, 13, 13)
    return cell


def minimize():
    cell = [[WHITE] * CELL for _ in range(CELL)]
    for y in (11, 12):
        for x in range(4, 11):
            cell[y][x] = INK
    return cell


def close():
    cell = [[WHITE] * CELL for _ in range(CELL)]
    for i in range(3, 12):
        cell[i + 1][i] = cell[i + 1][i + 1] = INK
        cell[i + 1][14 - i] = cell[i + 1][15 - i] = INK
    return cell


def side_by_side(cells):
    return [sum((cell[y] for cell in cells), []) for y in range(CELL)]


def bmp24(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    with open(os.path.join(out, "SkinMenuGlyphs.bmp"), "wb") as f:
        f.write(bmp24(side_by_side([restore(), maximize(), minimize(), close()])))


if __name__ == "__main__":
    main()
