#!/usr/bin/env python3
"""Writes the built-in track-bar channel pictures as 24-bit BMP files into resources/.

SkinTrack.bmp (resource TRACK): a horizontal groove, 16 x 8 pixels. SkinTrackVert.bmp (resource
TRACKVERT): the same groove standing upright, 8 x 16. A skin without its own track images gets
these, cut with fixed edges of 3 pixels on every side, so everything that gives the groove its
shape (the rounded ends and the two rings) lies inside those 3 pixels and the centre is plain.

The groove is sunken: a darker ring at the top and left, a light ring at the bottom and right,
neutral greys that sit on any skin's button face. Standard library only.

Usage: python3 tools/make_track_bitmaps.py [output-directory]
"""
import os
import struct
import sys

WIDTH, HEIGHT = 16, 8

OUTER_DARK = (160, 160, 160)
OUTER_LIGHT = (255, 255, 255)
INNER_DARK = (105, 105, 105)
INNER_LIGHT = (227, 227, 227)
FILL = (232, 232, 232)
CORNER = (200, 200, 200)  # softens the outer corners so the ends look rounded


def groove():
    rows = [[FILL] * WIDTH for _ in range(HEIGHT)]
    last_x, last_y = WIDTH - 1, HEIGHT - 1
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if x in (0, last_x) and y in (0, last_y):
                rows[y][x] = CORNER
            elif y == 0 or x == 0:
                rows[y][x] = OUTER_DARK
            elif y == last_y or x == last_x:
                rows[y][x] = OUTER_LIGHT
            elif y == 1 or x == 1:
                rows[y][x] = INNER_DARK
            elif y == last_y - 1 or x == last_x - 1:
                rows[y][x] = INNER_LIGHT
    return rows


def upright(rows):
    """Rows become columns (a mirror along the diagonal), so the light still falls from the
    top left: the dark ring stays on the top and left sides."""
    height, width = len(rows), len(rows[0])
    return [[rows[x][y] for x in range(height)] for y in range(width)]


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
    horizontal = groove()
    for name, rows in (("SkinTrack.bmp", horizontal), ("SkinTrackVert.bmp", upright(horizontal))):
        with open(os.path.join(out, name), "wb") as f:
            f.write(bmp24(rows))


if __name__ == "__main__":
    main()
