"""Small software rasteriser for the skin images: anti-aliased shapes, straight-alpha layers,
magenta keying and BMP/PNG output. Standard library only, deterministic.

Coordinates are in pixels; a pixel (x, y) covers [x, x+1) x [y, y+1) and is sampled at its
centre, so shapes given on integer bounds come out crisp and only curves are blended.
"""

import math
import struct
import zlib

MAGENTA = (255, 0, 255)


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def lerp(c1, c2, t):
    """Colour between c1 and c2; t is the share of c2."""
    return (c1[0] + (c2[0] - c1[0]) * t, c1[1] + (c2[1] - c1[1]) * t, c1[2] + (c2[2] - c1[2]) * t)


def shade(c, amount):
    """Lighter towards white for amount > 0, darker towards black for amount < 0."""
    return lerp(c, (255, 255, 255), amount) if amount >= 0 else lerp(c, (0, 0, 0), -amount)


def luminance(c):
    """Relative luminance of an sRGB colour, 0 (black) to 1 (white)."""
    def linear(v):
        v = v / 255.0
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    return 0.2126 * linear(c[0]) + 0.7152 * linear(c[1]) + 0.0722 * linear(c[2])


def contrast(a, b):
    """Contrast ratio of two colours, 1 to 21."""
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


def legible(c, under, level=4.5):
    """c, or c taken towards black or white (whichever the background allows) just far enough
    to stand out from under at the given contrast."""
    target = (0, 0, 0) if contrast((0, 0, 0), under) >= contrast((255, 255, 255), under) else (255, 255, 255)
    for step in range(21):
        out = lerp(c, target, step / 20.0)
        if contrast(tuple(to_byte(v) for v in out), under) >= level:
            return out
    return target


def to_byte(v):
    return 0 if v <= 0 else 255 if v >= 255 else int(v + 0.5)


def rgb(c):
    return (to_byte(c[0]), to_byte(c[1]), to_byte(c[2]))


# ---------------------------------------------------------------------------------------------
# Coverage functions: f(px, py) -> 0..1 for a pixel centre (px, py).

def sd_round_box(px, py, x0, y0, x1, y1, radii):
    """Signed distance to a box with per-corner radii (top-left, top-right, bottom-right,
    bottom-left); negative inside."""
    cx, cy = (x0 + x1) * 0.5, (y0 + y1) * 0.5
    hx, hy = (x1 - x0) * 0.5, (y1 - y0) * 0.5
    qx, qy = px - cx, py - cy
    if qy < 0:
        r = radii[1] if qx > 0 else radii[0]
    else:
        r = radii[2] if qx > 0 else radii[3]
    r = min(r, hx, hy)
    dx = abs(qx) - hx + r
    dy = abs(qy) - hy + r
    outside = math.hypot(max(dx, 0.0), max(dy, 0.0))
    return min(max(dx, dy), 0.0) + outside - r


def _radii(r):
    return (r, r, r, r) if isinstance(r, (int, float)) else tuple(r)


def rrect(x0, y0, x1, y1, r=0):
    radii = _radii(r)
    if max(radii) <= 0:
        return rect(x0, y0, x1, y1)

    def f(px, py):
        return clamp01(0.5 - sd_round_box(px, py, x0, y0, x1, y1, radii))
    return f


def rect(x0, y0, x1, y1):
    """Axis-aligned box with exact fractional coverage at its edges."""
    def f(px, py):
        cx = clamp01(min(px + 0.5, x1) - max(px - 0.5, x0))
        cy = clamp01(min(py + 0.5, y1) - max(py - 0.5, y0))
        return cx * cy
    return f


def inset(x0, y0, x1, y1, r, d):
    radii = tuple(max(v - d, 0) for v in _radii(r))
    return x0 + d, y0 + d, x1 - d, y1 - d, radii


def ring(x0, y0, x1, y1, r, width=1.0, at=0.0):
    """Band of the given width running `at` pixels inside the rounded box's edge."""
    outer = rrect(*inset(x0, y0, x1, y1, r, at))
    inner = rrect(*inset(x0, y0, x1, y1, r, at + width))
    return lambda px, py: max(outer(px, py) - inner(px, py), 0.0)


def outside(shape):
    return lambda px, py: 1.0 - shape(px, py)


def circle(cx, cy, radius):
    def f(px, py):
        return clamp01(radius + 0.5 - math.hypot(px - cx, py - cy))
    return f


def segment(ax, ay, bx, by, width):
    """Line segment with round caps and the given stroke width."""
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy or 1e-9
    half = width * 0.5

    def f(px, py):
        t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / ll))
        d = math.hypot(px - ax - dx * t, py - ay - dy * t)
        return clamp01(half + 0.5 - d)
    return f


def polyline(points, width):
    parts = [segment(*points[i], *points[i + 1], width) for i in range(len(points) - 1)]
    return union(*parts)


def polygon(points, samples=4):
    """Filled polygon (even-odd), coverage by supersampling."""
    n = len(points)
    offs = [(i + 0.5) / samples - 0.5 for i in range(samples)]
    total = samples * samples

    def inside(x, y):
        c = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c

    def f(px, py):
        hits = 0
        for oy in offs:
            for ox in offs:
                if inside(px + ox, py + oy):
                    hits += 1
        return hits / total
    return f


def union(*shapes):
    return lambda px, py: max(s(px, py) for s in shapes)


def intersect(*shapes):
    return lambda px, py: min(s(px, py) for s in shapes)


def subtract(a, b):
    return lambda px, py: max(a(px, py) - b(px, py), 0.0)


def pixel_mask(rows, x0=0, y0=0):
    """Hand-drawn glyph: '#' full, '+' half, ':' quarter, anything else empty."""
    weights = {'#': 1.0, '+': 0.5, ':': 0.25}
    cells = {}
    for j, line in enumerate(rows):
        for i, ch in enumerate(line):
            if ch in weights:
                cells[(x0 + i, y0 + j)] = weights[ch]

    def f(px, py):
        return cells.get((int(math.floor(px)), int(math.floor(py))), 0.0)
    return f


def mask_size(rows):
    return max(len(r) for r in rows), len(rows)


# ---------------------------------------------------------------------------------------------
# Colour functions: g(x, y) -> colour for integer pixel coordinates.

def ramp(stops, t):
    """Colour at t (0..1) of a list of (position, colour) stops."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return lerp(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 1.0)
    return stops[-1][1]


def vgrad(y0, y1, stops):
    """Vertical gradient sampled at pixel centres from row y0 (t=0) to row y1-1 (t=1)."""
    if not isinstance(stops[0][0], (int, float)) or len(stops[0]) != 2:
        stops = [(i / (len(stops) - 1), c) for i, c in enumerate(stops)]
    span = max(y1 - y0 - 1, 1)
    return lambda x, y: ramp(stops, (y - y0) / span)


def hgrad(x0, x1, stops):
    if not isinstance(stops[0][0], (int, float)) or len(stops[0]) != 2:
        stops = [(i / (len(stops) - 1), c) for i, c in enumerate(stops)]
    span = max(x1 - x0 - 1, 1)
    return lambda x, y: ramp(stops, (x - x0) / span)


def stops_of(colours):
    return [(i / (len(colours) - 1), c) for i, c in enumerate(colours)]


# ---------------------------------------------------------------------------------------------

class Layer:
    """Straight-alpha RGBA canvas with float channels."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        n = w * h
        self.r = [0.0] * n
        self.g = [0.0] * n
        self.b = [0.0] * n
        self.a = [0.0] * n

    def paint(self, shape, colour, alpha=1.0, box=None):
        """Composite colour (a colour or a function of x, y) over the layer where shape covers."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(int(x0), 0), max(int(y0), 0)
        x1, y1 = min(int(math.ceil(x1)), self.w), min(int(math.ceil(y1)), self.h)
        const = not callable(colour)
        r, g, b, a = self.r, self.g, self.b, self.a
        for y in range(y0, y1):
            for x in range(x0, x1):
                cov = shape(x + 0.5, y + 0.5) * alpha
                if cov <= 0.0:
                    continue
                c = colour if const else colour(x, y)
                i = y * self.w + x
                ad = a[i]
                ao = cov + ad * (1.0 - cov)
                k = cov / ao
                r[i] += (c[0] - r[i]) * k
                g[i] += (c[1] - g[i]) * k
                b[i] += (c[2] - b[i]) * k
                a[i] = ao

    def fill(self, colour, alpha=1.0):
        self.paint(lambda px, py: 1.0, colour, alpha)

    def erase(self, shape):
        """Remove coverage (cut a hole)."""
        for y in range(self.h):
            for x in range(self.w):
                cov = shape(x + 0.5, y + 0.5)
                if cov > 0.0:
                    self.a[y * self.w + x] *= (1.0 - cov)

    def keep(self, shape):
        """Keep only what the shape covers."""
        self.erase(outside(shape))

    def alpha_at(self, x, y):
        return self.a[y * self.w + x]

    def colour_at(self, x, y):
        i = y * self.w + x
        return (self.r[i], self.g[i], self.b[i])

    def draw_layer(self, other, dx, dy):
        """Composite another layer over this one at (dx, dy)."""
        for y in range(other.h):
            ty = y + dy
            if ty < 0 or ty >= self.h:
                continue
            for x in range(other.w):
                tx = x + dx
                if tx < 0 or tx >= self.w:
                    continue
                j = y * other.w + x
                cov = other.a[j]
                if cov <= 0.0:
                    continue
                i = ty * self.w + tx
                ad = self.a[i]
                ao = cov + ad * (1.0 - cov)
                k = cov / ao
                self.r[i] += (other.r[j] - self.r[i]) * k
                self.g[i] += (other.g[j] - self.g[i]) * k
                self.b[i] += (other.b[j] - self.b[i]) * k
                self.a[i] = ao

    def keyed(self, background=None, threshold=0.5):
        """Flatten to an opaque image with magenta where the layer is (nearly) empty.

        With a known background (colour or function of x, y) partly covered pixels are blended
        towards what will really be behind them, so no edge ever leans towards magenta. Without
        one (window outline, drawn over an unknown desktop) the layer's own colour is kept as is.
        """
        out = Image(self.w, self.h)
        const = background is not None and not callable(background)
        for y in range(self.h):
            for x in range(self.w):
                i = y * self.w + x
                a = self.a[i]
                if a < threshold:
                    continue
                c = (self.r[i], self.g[i], self.b[i])
                if background is not None and a < 1.0:
                    bg = background if const else background(x, y)
                    c = lerp(bg, c, a)
                out.set(x, y, c)
        return out

    def opaque(self, background):
        """Flatten over a background with no keying at all."""
        return self.keyed(background, threshold=-1.0)


class Image:
    """Opaque 8-bit RGB image; MAGENTA marks transparent pixels."""

    def __init__(self, w, h, fill=MAGENTA):
        self.w, self.h = w, h
        self.px = [fill] * (w * h)

    def set(self, x, y, c):
        c = rgb(c)
        # A drawn pixel must never read as the transparent key (the region scan allows one
        # step of tolerance).
        if c[0] >= 254 and c[1] <= 1 and c[2] >= 254:
            c = (c[0], 2, c[2])
        self.px[y * self.w + x] = c

    def get(self, x, y):
        return self.px[y * self.w + x]

    def crop(self, x0, y0, x1, y1):
        out = Image(x1 - x0, y1 - y0)
        for y in range(y0, y1):
            out.px[(y - y0) * out.w:(y - y0 + 1) * out.w] = self.px[y * self.w + x0:y * self.w + x1]
        return out

    def blit(self, src, dx, dy, keyed=False):
        for y in range(src.h):
            ty = y + dy
            if ty < 0 or ty >= self.h:
                continue
            for x in range(src.w):
                tx = x + dx
                if tx < 0 or tx >= self.w:
                    continue
                c = src.px[y * src.w + x]
                if keyed and c == MAGENTA:
                    continue
                self.px[ty * self.w + tx] = c

    def transposed(self):
        out = Image(self.h, self.w)
        for y in range(self.h):
            for x in range(self.w):
                out.px[x * out.w + y] = self.px[y * self.w + x]
        return out

    def mirrored(self):
        out = Image(self.w, self.h)
        for y in range(self.h):
            row = self.px[y * self.w:(y + 1) * self.w]
            out.px[y * self.w:(y + 1) * self.w] = row[::-1]
        return out

    def flipped(self):
        out = Image(self.w, self.h)
        for y in range(self.h):
            out.px[y * self.w:(y + 1) * self.w] = self.px[(self.h - 1 - y) * self.w:(self.h - y) * self.w]
        return out


def hstack(images):
    """Cells side by side (all of one height)."""
    h = images[0].h
    assert all(im.h == h for im in images), [im.h for im in images]
    out = Image(sum(im.w for im in images), h)
    x = 0
    for im in images:
        out.blit(im, x, 0)
        x += im.w
    return out


def vstack(images):
    """Cells stacked top to bottom (all of one width)."""
    w = images[0].w
    assert all(im.w == w for im in images), [im.w for im in images]
    out = Image(w, sum(im.h for im in images))
    y = 0
    for im in images:
        out.blit(im, 0, y)
        y += im.h
    return out


# ---------------------------------------------------------------------------------------------
# Files

def bmp_bytes(image):
    """24-bit bottom-up Windows bitmap with its file header."""
    stride = (image.w * 3 + 3) & ~3
    pad = b'\0' * (stride - image.w * 3)
    rows = []
    for y in range(image.h - 1, -1, -1):
        row = bytearray()
        for (r, g, b) in image.px[y * image.w:(y + 1) * image.w]:
            row += bytes((b, g, r))
        rows.append(bytes(row) + pad)
    data = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, image.w, image.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return header + info + data


def read_bmp(data):
    """Reads the 24-bit bitmaps this package writes (used by the previews and checks)."""
    if data[:2] != b'BM':
        raise ValueError('not a bitmap')
    offset = struct.unpack_from('<I', data, 10)[0]
    _, w, h, _, bits, comp = struct.unpack_from('<IiiHHI', data, 14)
    if bits != 24 or comp != 0:
        raise ValueError('only 24-bit uncompressed bitmaps are read here')
    top_down = h < 0
    h = abs(h)
    stride = (w * 3 + 3) & ~3
    out = Image(w, h)
    for row in range(h):
        y = row if top_down else h - 1 - row
        base = offset + row * stride
        for x in range(w):
            b, g, r = data[base + 3 * x:base + 3 * x + 3]
            out.px[y * w + x] = (r, g, b)
    return out


def png_bytes(image):
    raw = bytearray()
    for y in range(image.h):
        raw.append(0)
        for (r, g, b) in image.px[y * image.w:(y + 1) * image.w]:
            raw += bytes((r, g, b))

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF)
    ihdr = struct.pack('>IIBBBBB', image.w, image.h, 8, 2, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b'')
