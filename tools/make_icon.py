#!/usr/bin/env python3
"""Draws the Perchpoints icon (a bird perched on a folder tab) and writes resources/perchpoints.ico.

Standard library only. The picture is described once with signed-distance shapes on a 48-unit
grid and rendered at each icon size with supersampling, so the small sizes stay smooth instead
of being shrunk copies of the large one. Outlines are kept about one device pixel wide at
every size so the shapes stay readable on light and dark backgrounds alike.

Usage: python3 tools/make_icon.py [output.ico] [--png-dir DIR]
"""
import math
import os
import struct
import sys
import zlib

GRID = 48.0
SIZES = (16, 32, 48)
SUPERSAMPLE = 5


def rounded_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def sdf(x, y):
        dx, dy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(dx, 0.0), max(dy, 0.0))
        return outside + min(max(dx, dy), 0.0) - r

    return sdf


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry):
    # Scaled distance: not exact, but close enough for a small, nearly round body.
    k = min(rx, ry)
    return lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * k


def polygon(points):
    n = len(points)

    def sdf(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best

    return sdf


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def segment(ax, ay, bx, by, half_width):
    ex, ey = bx - ax, by - ay

    def sdf(x, y):
        wx, wy = x - ax, y - ay
        t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
        return math.hypot(wx - ex * t, wy - ey * t) - half_width

    return sdf


def rgb(hex_colour):
    return tuple(int(hex_colour[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


OUTLINE = rgb("#5a3a0a")
FOLDER_BACK = rgb("#d9901c")
FOLDER_FRONT = rgb("#f6c04a")
FOLDER_SHINE = rgb("#fbd97e")
BIRD_OUTLINE = rgb("#12264a")
BIRD = rgb("#2f66c4")
BIRD_DARK = rgb("#1f4fa6")
BELLY = rgb("#8fb8f0")
BEAK = rgb("#f0781e")
EYE = rgb("#ffffff")
PUPIL = rgb("#0b0b0b")


def layers(px):
    """Returns (shape, fill, outline width, outline colour) from back to front, for a device pixel of px grid units.

    Edges sit on multiples of 3 grid units where it matters, so at 16x16 they land on whole pixels.
    """
    small = px >= 3.0
    line = px
    folder_back = union(rounded_rect(3, 21, 45, 45, 2.5), rounded_rect(3, 15, 24, 24, 2.0))
    folder_front = rounded_rect(3, 27, 45, 45, 2.5)
    shine = rounded_rect(5.5, 29, 42.5, 31, 1.0)

    # The bird stands on the tab (its top edge is y = 15), facing right.
    body = ellipse(13.5, 8.6, 7.2, 5.2)
    head = circle(20.6, 5.4, 4.0)
    tail = polygon([(8.5, 6.8), (1.0, 11.5), (2.6, 13.2), (9.5, 10.6)])
    bird = union(body, head, tail)
    belly = ellipse(15.0, 10.6, 4.8, 2.6)
    beak = polygon([(24.0, 3.6), (29.0, 5.6), (24.0, 7.4)])
    legs = union(segment(12.0, 12.0, 11.4, 15.2, 0.7), segment(15.4, 12.0, 16.0, 15.2, 0.7))
    eye = circle(21.6, 4.4, 1.4)
    pupil = circle(22.0, 4.4, 0.7)

    out = [
        (folder_back, FOLDER_BACK, line, OUTLINE),
        (folder_front, FOLDER_FRONT, line, OUTLINE),
        (legs, BIRD_OUTLINE, 0.0, None),
    ]
    if small:
        # A one-pixel outline would swallow the bird at 16x16; a darker body reads better.
        out += [(bird, BIRD_DARK, 0.0, None), (beak, BEAK, 0.0, None)]
    else:
        out += [
            (shine, FOLDER_SHINE, 0.0, None),
            (bird, BIRD, line, BIRD_OUTLINE),
            (belly, BELLY, 0.0, None),
            (beak, BEAK, line * 0.8, BIRD_OUTLINE),
            (eye, EYE, 0.0, None),
            (pupil, PUPIL, 0.0, None),
        ]
    return out


def render(size):
    px = GRID / size
    shapes = layers(px)
    pixels = []
    offsets = [(i + 0.5) / SUPERSAMPLE for i in range(SUPERSAMPLE)]
    samples = SUPERSAMPLE * SUPERSAMPLE
    for row in range(size):
        for col in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for oy in offsets:
                for ox in offsets:
                    x, y = (col + ox) * px, (row + oy) * px
                    r = g = b = a = 0.0
                    for sdf, fill, width, edge in shapes:
                        d = sdf(x, y)
                        if d >= 0.0:
                            continue
                        colour = edge if edge is not None and d > -width else fill
                        # Painted shapes are opaque: "over" with alpha 1.
                        r, g, b, a = colour[0], colour[1], colour[2], 1.0
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            alpha = acc[3] / samples
            if alpha > 0:
                colour = tuple(c / acc[3] for c in acc[:3])
            else:
                colour = (0.0, 0.0, 0.0)
            pixels.append(tuple(int(round(c * 255)) for c in colour) + (int(round(alpha * 255)),))
    return pixels


def dib(size, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(range(size)):
        for col in range(size):
            r, g, b, a = pixels[row * size + col]
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(range(size)):
        line = bytearray(mask_stride)
        for col in range(size):
            if pixels[row * size + col][3] == 0:
                line[col // 8] |= 0x80 >> (col % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def ico(images):
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, pixels in images:
        blob = dib(size, pixels)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def png(size, pixels):
    raw = bytearray()
    for row in range(size):
        raw.append(0)
        for col in range(size):
            raw += bytes(pixels[row * size + col])

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    output = os.path.join(root, "resources", "perchpoints.ico")
    png_dir = None
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--png-dir":
            png_dir = args.pop(0)
        else:
            output = arg
    images = [(size, render(size)) for size in SIZES]
    with open(output, "wb") as f:
        f.write(ico(images))
    if png_dir:
        os.makedirs(png_dir, exist_ok=True)
        for size, pixels in images:
            with open(os.path.join(png_dir, "perchpoints-%d.png" % size), "wb") as f:
                f.write(png(size, pixels))
    print("wrote %s (%s)" % (output, ", ".join("%dx%d" % (s, s) for s in SIZES)))


if __name__ == "__main__":
    main(sys.argv[1:])
