#!/usr/bin/env python3
"""Writes the two LED pictures as 16-colour (4-bit) BMP files into resources/.

JvCustomLEDGREEN.bmp: the lamp, 17 x 17 pixels: grey rim, white highlight, pure green body, black
around it. The LED control replaces the pure green by its current colour.
JvCustomLEDMASK.bmp: the lamp's shape, black on white; it cuts the lamp out of the background.

Standard library only. The lamp is drawn row by row from the table below, so every pixel is
where the table says and nowhere else.

Usage: python3 tools/make_led_bitmaps.py [output-directory]
"""
import os
import struct
import sys

SIZE = 17

# The usual 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
    (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK = PALETTE.index((0, 0, 0))
GREY = PALETTE.index((128, 128, 128))
GREEN = PALETTE.index((0, 255, 0))
WHITE = PALETTE.index((255, 255, 255))

# row: (first lamp column, last lamp column, rim columns, highlight columns); rows not listed
# hold no lamp. None as rim columns: the whole row is rim.
LAMP_ROWS = {
    2: (6, 10, None, ()),
    3: (4, 12, (4, 5, 11, 12), ()),
    4: (3, 13, (3, 13), ()),
    5: (3, 13, (3, 13), (6, 7, 8)),
    6: (2, 14, (2, 14), (5, 6, 7)),
    7: (2, 14, (2, 14), (5, 6)),
    8: (2, 14, (2, 14), (5,)),
    9: (2, 14, (2, 14), ()),
    10: (2, 14, (2, 14), ()),
    11: (3, 13, (3, 13), ()),
    12: (3, 13, (3, 13), ()),
    13: (4, 12, (4, 5, 11, 12), ()),
    14: (6, 11, None, ()),
}


def lamp_picture():
    rows = [[BLACK] * SIZE for _ in range(SIZE)]
    for y, (first, last, rim, highlight) in LAMP_ROWS.items():
        for x in range(first, last + 1):
            if rim is None or x in rim:
                rows[y][x] = GREY
            elif x in highlight:
                rows[y][x] = WHITE
            else:
                rows[y][x] = GREEN
    return rows


def mask_picture():
    rows = [[WHITE] * SIZE for _ in range(SIZE)]
    for y, (first, last, _, _) in LAMP_ROWS.items():
        for x in range(first, last + 1):
            rows[y][x] = BLACK
    return rows


def bmp_4bit(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 4 + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        packed = bytearray(stride)
        for x, index in enumerate(row):
            packed[x // 2] |= index << 4 if x % 2 == 0 else index
        pixels += packed
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 0, 0, len(PALETTE), 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources")
    for name, rows in (("JvCustomLEDGREEN.bmp", lamp_picture()), ("JvCustomLEDMASK.bmp", mask_picture())):
        path = os.path.join(out_dir, name)
        with open(path, "wb") as f:
            f.write(bmp_4bit(rows))
        print("wrote", os.path.normpath(path))


if __name__ == "__main__":
    main()
