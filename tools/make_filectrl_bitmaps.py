#!/usr/bin/env python3
"""Writes the folder chooser's pictures as 24-bit BMP files into resources/.

Folders (16 x 14): OPENFOLDER (an ancestor of the folder shown), CURRENTFOLDER (the folder shown,
open with a sheet in it), CLOSEDFOLDER (a subfolder). Drives (16 x 12): FLOPPY, HARD, NETWORK,
CDROM, RAM. Every picture stands on magenta, and its bottom-left pixel is magenta, which is the
colour the lists leave out when they draw it.

Standard library only. The pictures are drawn from the character tables below, one character a
pixel, so every pixel is where the table says and nowhere else; the disc is computed.

Usage: python3 tools/make_filectrl_bitmaps.py [output-directory]
"""
import math
import os
import struct
import sys

COLOURS = {
    ".": (255, 0, 255),    # transparent
    "o": (120, 88, 16),    # folder outline
    "l": (255, 240, 176),  # folder highlight
    "y": (255, 208, 80),   # folder front
    "Y": (216, 160, 40),   # folder inside and shadow
    "k": (48, 48, 48),     # outline of drives
    "w": (255, 255, 255),
    "s": (208, 208, 208),  # metal
    "g": (192, 192, 192),
    "G": (128, 128, 128),
    "b": (40, 72, 160),    # diskette
    "n": (0, 208, 0),      # lamp
    "e": (24, 136, 40),    # memory chip
    "E": (8, 88, 24),
    "c": (150, 200, 235),  # disc sheen
}

FOLDER_TOP = [
    "................",
    ".ooooo..........",
    "olllllo.........",
]
FOLDER_OPEN_FRONT = [
    "olYYoooooooooooo",
    "olYolyyyyyyyyyyo",
    "olYolyyyyyyyyyo.",
    "oloyyyyyyyyyyyo.",
    "oloyyyyyyyyyyo..",
    "ooyyyyyyyyyyyo..",
    "ooyyyyyyyyyyo...",
    "oooooooooooo....",
    "................",
]

PICTURES = {
    "CLOSEDFOLDER": FOLDER_TOP + [
        "olllllloooooooo.",
        "olyyyyyyyyyyyyYo",
        "olyyyyyyyyyyyyYo",
        "olyyyyyyyyyyyyYo",
        "olyyyyyyyyyyyyYo",
        "olyyyyyyyyyyyyYo",
        "olyyyyyyyyyyyyYo",
        "olyyyyyyyyyyyyYo",
        "oYYYYYYYYYYYYYYo",
        "oooooooooooooooo",
        "................",
    ],
    "OPENFOLDER": FOLDER_TOP + [
        "olYYYYYoooooo...",
        "olYYYYYYYYYYYo..",
    ] + FOLDER_OPEN_FRONT,
    "CURRENTFOLDER": [
        "................",
        ".ooooo.GGGGG....",
        "olllllGwwwwwG...",
        "olYYYYGwGGGwGo..",
        "olYYYYGwwwwwGo..",
    ] + FOLDER_OPEN_FRONT,
    "FLOPPY": [
        "..kkkkkkkkkkk...",
        "..kbbsssssbbbk..",
        "..kbbsGGssbbbk..",
        "..kbbsGGssbbbk..",
        "..kbbsssssbbbk..",
        "..kbbbbbbbbbbk..",
        "..kbwwwwwwwwbk..",
        "..kbwwwwwwwwbk..",
        "..kbwGGGGGGwbk..",
        "..kbwwwwwwwwbk..",
        "..kbwwwwwwwwbk..",
        "..kkkkkkkkkkkk..",
    ],
    "HARD": [
        "................",
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kwwwwwwwwwwwgk.",
        ".kwggggggggggGk.",
        ".kwggggggggggGk.",
        ".kwggggggggnnGk.",
        ".kwggggggggggGk.",
        ".kgGGGGGGGGGGGk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        "................",
    ],
    "NETWORK": [
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kwwwwwwwwwwwgk.",
        ".kwggggggggggGk.",
        ".kwggggggggnnGk.",
        ".kgGGGGGGGGGGGk.",
        ".kkkkkkkkkkkkkk.",
        ".......kk.......",
        ".......kk.......",
        ".kkkkkkkkkkkkkk.",
        "................",
        "................",
    ],
    "RAM": [
        "................",
        "..k.k.k.k.k.k...",
        "..k.k.k.k.k.k...",
        ".kkkkkkkkkkkkkk.",
        ".keeeeeeeeeeeek.",
        ".keEEEEEEEEEEek.",
        ".keEEEEEEEEEEek.",
        ".keeeeeeeeeeeek.",
        ".kkkkkkkkkkkkkk.",
        "..k.k.k.k.k.k...",
        "..k.k.k.k.k.k...",
        "................",
    ],
}


def disc_picture():
    """A compact disc, 12 pixels across, centred in a 16 x 12 cell."""
    rows = []
    cx, cy, outer = 7.5, 5.5, 6.0
    for y in range(12):
        row = ""
        for x in range(16):
            d = math.hypot(x - cx, y - cy)
            angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
            if d > outer:
                row += "."
            elif d > outer - 1.2:
                row += "k"
            elif d < 1.3:
                row += "."
            elif d < 2.4:
                row += "G"
            elif 200 <= angle <= 250 or 20 <= angle <= 70:
                row += "c"
            else:
                row += "s"
        rows.append(row)
    rows[-1] = "." + rows[-1][1:]
    return rows


PICTURES["CDROM"] = disc_picture()

FILE_NAMES = {
    "OPENFOLDER": "FileCtrlOpenFolder.bmp",
    "CLOSEDFOLDER": "FileCtrlClosedFolder.bmp",
    "CURRENTFOLDER": "FileCtrlCurrentFolder.bmp",
    "FLOPPY": "FileCtrlFloppy.bmp",
    "HARD": "FileCtrlHard.bmp",
    "NETWORK": "FileCtrlNetwork.bmp",
    "CDROM": "FileCtrlCDROM.bmp",
    "RAM": "FileCtrlRAM.bmp",
}


def check(name, rows):
    width = len(rows[0])
    for y, row in enumerate(rows):
        if len(row) != width:
            raise SystemExit(f"{name}: row {y} is {len(row)} pixels wide, not {width}")
        for ch in row:
            if ch not in COLOURS:
                raise SystemExit(f"{name}: unknown colour {ch!r} in row {y}")
    if rows[-1][0] != ".":
        raise SystemExit(f"{name}: the bottom-left pixel must be the transparent colour")


def bmp_24bit(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for ch in row:
            r, g, b = COLOURS[ch]
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return file_header + info_header + bytes(pixels)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    for name, rows in PICTURES.items():
        check(name, rows)
        with open(os.path.join(out_dir, FILE_NAMES[name]), "wb") as f:
            f.write(bmp_24bit(rows))


if __name__ == "__main__":
    main()
