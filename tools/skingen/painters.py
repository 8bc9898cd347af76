"""Element painters: each returns the finished image of one skin element for a theme.

Everything that is keyed against magenta is painted over the colour that will really be behind
it at run time (the caption, ButtonFace, a track, a menu) and blended towards that, so edge
pixels never drift towards magenta. Window corners sit over an unknown desktop and are cut
without blending; only their inner transitions are smoothed.
"""

import math

from raster import (Image, Layer, circle, clamp01, legible, sd_round_box, hstack, intersect, inset, lerp, outside,
                    pixel_mask, polygon, polyline, rect, ring, rrect, segment, shade, subtract, union,
                    vgrad, hgrad, ramp, stops_of, vstack)

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


def _stops(stops):
    if isinstance(stops[0][0], (int, float)) and len(stops[0]) == 2:
        return stops
    return stops_of(stops)


def key_by(layer, mask, threshold=0.2):
    """Opaque layer -> image that is magenta wherever mask (the drawn shapes) is thin."""
    out = Image(layer.w, layer.h)
    for y in range(layer.h):
        for x in range(layer.w):
            if mask(x + 0.5, y + 0.5) >= threshold:
                out.set(x, y, layer.colour_at(x, y))
    return out


def backed(w, h, background):
    layer = Layer(w, h)
    layer.paint(rect(0, 0, w, h), background)
    return layer


def bevel_colour(x, y, w, h, tl, br):
    """Top and left edges take tl, bottom and right br; the two odd corners go to br, as the
    system draws its own raised edges."""
    return tl if min(x, y) < min(w - 1 - x, h - 1 - y) else br


def paint_bevel(layer, x0, y0, x1, y1, rings, r=0):
    """rings: list of (tl, br) colours from the outside in, one pixel each."""
    w, h = x1 - x0, y1 - y0
    for i, (tl, br) in enumerate(rings):
        shape = ring(x0, y0, x1, y1, r, 1.0, i)
        layer.paint(shape, lambda x, y, tl=tl, br=br: bevel_colour(x - x0, y - y0, w, h, tl, br),
                    box=(x0, y0, x1, y1))


# ---------------------------------------------------------------------------------------------
# Window frame

def grain(v, seed):
    """Deterministic 1-D wood grain: slow waves plus fine streaks, about -1..1."""
    s = (math.sin(v * 0.71 + seed) * 0.45 + math.sin(v * 1.93 + seed * 2.1) * 0.25
         + math.sin(v * 4.1 + seed * 0.7) * 0.12)
    h = (int(v) * 2654435761 + int(seed * 1000)) & 0xFFFF
    return s + ((h / 65535.0) - 0.5) * 0.35


class FrameGeometry:
    def __init__(self, t):
        self.B = t.border
        self.CH = t.caption
        self.cap = max(max(t.r_top, t.r_bottom) - t.border + 2, 4)
        self.bot_fixed = max(t.border, t.r_bottom + 1)
        self.W = 2 * self.B + 2 * self.cap + t.mid_w
        self.H = self.CH + 8 + self.bot_fixed


def caption_colour_fn(t, active, g):
    stops = _stops(t.cap_active if active else t.cap_inactive)
    if t.caption_axis == 'h':
        x0, x1 = (g.B, g.W - g.B) if t.frame_style == 'bevel' else (0, g.W)
        base = hgrad(x0, x1, stops)
    else:
        base = vgrad(0, g.CH, stops)
    if not t.wood:
        return base

    def wood(x, y):
        v = grain(y * 1.0, 3.0 if active else 5.0)
        c = base(x, y)
        return shade(c, 0.10 * v) if v > 0 else shade(c, 0.16 * v)
    return wood


def border_colour_fn(t, active, g):
    """Side borders vary only across their width and the bottom only across its height, so the
    stretched middles of the pieces stay seamless."""
    base = getattr(t, 'border_active' if active else 'border_inactive', None)
    if base is None:
        cap = caption_colour_fn(t, active, g)
        return lambda x, y: shade(cap(x, g.CH - 2), -0.08)
    if not t.wood:
        return lambda x, y: base

    def wood(x, y):
        d_side = min(x, g.W - 1 - x)
        d_bottom = g.H - 1 - y
        v = grain(d_bottom * 1.7 + 11, 7.0) if d_bottom < d_side else grain(d_side * 1.7 + 3, 9.0)
        return shade(base, 0.09 * v) if v > 0 else shade(base, 0.15 * v)
    return wood


def frame_model(t, active):
    """The whole window outline at a small size; the four border pieces are cut from it."""
    g = FrameGeometry(t)
    W, H, B, CH = g.W, g.H, g.B, g.CH
    radii = (t.r_top, t.r_top, t.r_bottom, t.r_bottom)
    L = Layer(W, H)
    outline = t.outline_active if active else t.outline_inactive
    edge = t.edge_active if active else t.edge_inactive
    if t.frame_style == 'bevel':
        L.paint(rect(0, 0, W, H), t.face)
        L.paint(rect(B, B, W - B, CH - 1), caption_colour_fn(t, active, g))
        L.paint(rect(B, CH, W - B, H - B), t.face)
        paint_bevel(L, 0, 0, W, H, [(t.light, t.dkshadow), (t.hilight, t.shadow)], radii)
    else:
        L.paint(rect(0, 0, W, H), border_colour_fn(t, active, g))
        L.paint(rect(0, 0, W, CH), caption_colour_fn(t, active, g))
        hl_colour, hl_alpha = t.highlight
        if hl_alpha > 0:
            # A light line just inside the outline gives the caption a polished upper edge.
            top_only = rect(0, 0, W, CH - 1)
            L.paint(intersect(ring(0, 0, W, H, radii, 1.0, 1.0), top_only), hl_colour, hl_alpha)
        # The inner edge frames the client area and separates the caption from it.
        L.paint(rect(B - 1, CH - 1, W - B + 1, H - B + 1), edge)
        L.paint(rect(B, CH, W - B, H - B), t.face)
        L.paint(outside(rrect(*inset(0, 0, W, H, radii, 1.0))), outline)
    silhouette = rrect(0, 0, W, H, radii)
    return key_by(L, silhouette, 0.5), g


def frame_pieces(t):
    act, g = frame_model(t, True)
    ina, _ = frame_model(t, False)
    W, H, B, CH = g.W, g.H, g.B, g.CH
    left = hstack([act.crop(0, 0, B, H), ina.crop(0, 0, B, H)])
    right = hstack([act.crop(W - B, 0, W, H), ina.crop(W - B, 0, W, H)])
    top = vstack([act.crop(B, 0, W - B, CH), ina.crop(B, 0, W - B, CH)])
    bottom = vstack([act.crop(B, H - B, W - B, H), ina.crop(B, H - B, W - B, H)])
    return dict(left=left, right=right, top=top, bottom=bottom, model_active=act, model_inactive=ina, geometry=g)


def caption_background(t, frames, active):
    """Colour behind caption row y near the right end, where the caption buttons sit."""
    g = frames['geometry']
    model = frames['model_active' if active else 'model_inactive']
    xc = g.W - g.B - g.cap - 1
    return lambda x, y: model.get(xc, min(max(y, 0), g.CH - 1))


def caption_background_left(t, frames, active, fraction=0.2):
    g = frames['geometry']
    model = frames['model_active' if active else 'model_inactive']
    xc = g.B + g.cap + int(t.mid_w * fraction)
    return lambda x, y: model.get(xc, min(max(y, 0), g.CH - 1))


# ---------------------------------------------------------------------------------------------
# Caption buttons

HELP_BOLD = [
    '.####.',
    '##..##',
    '....##',
    '...##.',
    '..##..',
    '..##..',
    '......',
    '..##..',
]
HELP_THIN = [
    '.###.',
    '#...#',
    '....#',
    '...#.',
    '..#..',
    '..#..',
    '.....',
    '..#..',
]


def glyph(kind, gx, gy, s, weight):
    """Caption glyph in an s x s box at (gx, gy)."""
    bold = weight == 'bold'
    if kind == 'close':
        w = 1.9 if bold else 1.15
        a, b = 0.5 + (0.3 if bold else 0.0), s - 0.5 - (0.3 if bold else 0.0)
        return union(segment(gx + a, gy + a, gx + b, gy + b, w), segment(gx + a, gy + b, gx + b, gy + a, w))
    if kind == 'maximize':
        top = 2 if bold else 1
        return subtract(rect(gx, gy, gx + s, gy + s), rect(gx + 1, gy + top, gx + s - 1, gy + s - 1))
    if kind == 'restore':
        top = 2 if bold else 1
        k = s - 2
        front_outer = rect(gx, gy + 2, gx + k, gy + 2 + k)
        front = subtract(front_outer, rect(gx + 1, gy + 2 + top, gx + k - 1, gy + 1 + k))
        back = subtract(rect(gx + 2, gy, gx + 2 + k, gy + k), rect(gx + 3, gy + top, gx + 1 + k, gy + k - 1))
        return union(front, subtract(back, front_outer))
    if kind == 'minimize':
        if bold:
            return rect(gx + 1, gy + s - 2, gx + s - 1, gy + s)
        mid = gy + s // 2
        return rect(gx, mid, gx + s, mid + 1)
    if kind == 'help':
        rows = HELP_BOLD if bold else HELP_THIN
        w = max(len(r) for r in rows)
        return pixel_mask(rows, gx + (s - w + 1) // 2, gy + (s - len(rows) + 1) // 2)
    raise ValueError(kind)


def glyph_size(t):
    if t.cb_style == 'bevel':
        return 8
    if t.cb_style == 'round':
        return 7 if t.glyph_weight == 'thin' else 7
    return 10 if t.glyph_weight == 'thin' else 9


CAPTION_STATES = ('normal', 'pressed', 'hot', 'inactive')


def caption_button(t, kind, frames, ycoord):
    bw, bh = t.cb_size
    s = glyph_size(t)
    cells = []
    for state in CAPTION_STATES:
        active_bg = caption_background(t, frames, True)
        if state == 'inactive':
            inactive_bg = caption_background(t, frames, False)

            def bg(x, y):
                return lerp(active_bg(x, y + ycoord), inactive_bg(x, y + ycoord), 0.5)
        else:
            def bg(x, y):
                return active_bg(x, y + ycoord)
        L = backed(bw, bh, bg)
        face, glyph_colour, shift = caption_face(t, kind, state, L, bw, bh, bg(bw // 2, bh // 2))
        gx = (bw - s) // 2 + shift
        gy = (bh - s) // 2 + shift + (1 if t.cb_style == 'bevel' else 0)
        gshape = glyph(kind, gx, gy, s, t.glyph_weight)
        if t.cb_style == 'glass':
            L.paint(lambda px, py: gshape(px, py - 1), (20, 40, 80), 0.35)
        if t.cb_style == 'bevel' and state == 'inactive':
            L.paint(lambda px, py: gshape(px - 1, py - 1), t.hilight)
        L.paint(gshape, glyph_colour)
        mask = union(face, gshape) if face else gshape
        cells.append(key_by(L, mask, 0.2))
    return hstack(cells)


def luminance(c):
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]


def caption_face(t, kind, state, L, bw, bh, behind):
    """Paints the button body; returns (shape for keying, glyph colour, glyph shift)."""
    style = t.cb_style
    close = kind == 'close'
    if style == 'bevel':
        body = rect(0, 0, bw, bh)
        L.paint(body, t.face)
        if state == 'pressed':
            paint_bevel(L, 0, 0, bw, bh, [(t.dkshadow, t.hilight), (t.shadow, t.light)])
            return body, BLACK, 1
        paint_bevel(L, 0, 0, bw, bh, [(t.light, t.dkshadow), (t.hilight, t.shadow)])
        return body, (t.shadow if state == 'inactive' else BLACK), 0
    if style == 'flat':
        dark_caption = luminance(behind) < 140
        body = rrect(1, 1, bw - 1, bh - 1, 4)
        on_caption = WHITE if dark_caption else BLACK
        normal_glyph = t.title_active
        if state == 'inactive':
            # also the disabled look on an active caption, so it has to read on both
            return None, getattr(t, 'cb_disabled_glyph', lerp(t.title_inactive, t.title_active, 0.15)), 0
        if state == 'normal':
            return None, normal_glyph, 0
        if close:
            fill = (196, 43, 28) if state == 'hot' else (150, 30, 20)
            L.paint(body, fill)
            return body, WHITE, 0
        alpha = {'hot': 0.14, 'pressed': 0.26}[state] if dark_caption else {'hot': 0.09, 'pressed': 0.18}[state]
        L.paint(body, on_caption, alpha)
        return body, normal_glyph, 0
    if style == 'glass':
        body = rrect(0, 0, bw, bh, 4)
        if state == 'inactive':
            top, mid_hi, mid_lo, bot, rim = (232, 236, 242), (206, 214, 224), (188, 198, 212), (206, 214, 226), (128, 140, 158)
        elif close:
            top, mid_hi, mid_lo, bot, rim = (250, 170, 150), (230, 102, 80), (200, 52, 34), (232, 100, 70), (120, 26, 14)
        else:
            top, mid_hi, mid_lo, bot, rim = (190, 222, 250), (122, 174, 232), (62, 120, 200), (110, 176, 240), (26, 58, 112)
        amt = {'normal': 0.0, 'hot': 0.18, 'pressed': -0.22, 'inactive': 0.0}[state]
        grad = vgrad(0, bh, [(0.0, shade(top, amt)), (0.48, shade(mid_hi, amt)), (0.5, shade(mid_lo, amt)),
                             (1.0, shade(bot, amt))])
        L.paint(body, grad)
        L.paint(ring(0, 0, bw, bh, 4, 1.0, 0.0), rim)
        L.paint(intersect(ring(0, 0, bw, bh, 4, 1.0, 1.0), rect(0, 0, bw, bh * 0.55)), WHITE, 0.55 if state != 'pressed' else 0.25)
        colour = (90, 104, 124) if state == 'inactive' else WHITE
        return body, colour, 0
    if style == 'round':
        d = min(bw, bh) - 2
        cx, cy = bw / 2, bh / 2
        body = circle(cx, cy, d / 2 - 0.5)
        if t.title == 'Walnut':
            if state == 'inactive':
                hi, mid, lo, rim = (226, 212, 190), (190, 170, 140), (160, 138, 108), (110, 90, 66)
            elif close:
                hi, mid, lo, rim = (255, 200, 170), (214, 110, 72), (160, 62, 36), (84, 30, 14)
            else:
                hi, mid, lo, rim = (255, 240, 178), (222, 172, 74), (160, 108, 30), (82, 52, 16)
            amt = {'normal': 0.0, 'hot': 0.2, 'pressed': -0.2, 'inactive': 0.0}[state]
            hi, mid, lo = shade(hi, amt), shade(mid, amt), shade(lo, amt)

            def brass(x, y):
                # light falls from the upper left
                dist = math.hypot(x + 0.5 - (cx - d * 0.22), y + 0.5 - (cy - d * 0.25)) / d
                return ramp([(0.0, hi), (0.45, mid), (1.0, lo)], dist)
            L.paint(body, brass)
            L.paint(subtract(body, circle(cx, cy, d / 2 - 1.5)), rim)
            glyph_colour = (96, 78, 60) if state == 'inactive' else ((255, 240, 230) if close else (64, 36, 10))
            return body, glyph_colour, (1 if state == 'pressed' else 0)
        # mint: soft discs that only come alive under the mouse
        if state == 'inactive':
            L.paint(body, WHITE, 0.28)
            return body, lerp(t.title_inactive, WHITE, 0.1), 0
        if state == 'normal':
            L.paint(body, WHITE, 0.5)
            L.paint(subtract(body, circle(cx, cy, d / 2 - 1.5)), t.outline_active, 0.35)
            return body, t.title_active, 0
        if close:
            fill = (236, 104, 96) if state == 'hot' else (196, 70, 62)
            L.paint(body, fill)
            return body, WHITE, 0
        fill = WHITE if state == 'hot' else (176, 226, 204)
        L.paint(body, fill)
        L.paint(subtract(body, circle(cx, cy, d / 2 - 1.5)), t.outline_active, 0.6)
        return body, t.accent_dark, 0
    if style == 'solid':
        body = rrect(0, 0, bw, bh, 3)
        edge = ring(0, 0, bw, bh, 3, 2.0, 0.0)
        if state == 'inactive':
            L.paint(edge, (150, 150, 150))
            return body, (170, 170, 170), 0
        if state == 'normal':
            L.paint(edge, WHITE)
            return body, WHITE, 0
        fill = (255, 214, 0) if state == 'hot' else WHITE
        L.paint(body, fill)
        return body, BLACK, 0
    raise ValueError(style)


def icon_image(t, frames, ycoord):
    """Stand-in for the window icon (the engine draws the program's own icon over it): a small
    folder in the skin's accent colour."""
    L = backed(16, 16, lambda x, y: caption_background_left(t, frames, True, 0.0)(x, y + ycoord))
    back = rrect(1, 3, 15, 14, 1.5)
    tab = rrect(1, 2, 7, 5, 1)
    base = t.accent if t.title != 'Contrast' else (255, 214, 0)
    L.paint(union(back, tab), shade(base, -0.2))
    L.paint(rrect(2, 5, 14, 13, 1), shade(base, 0.3))
    L.paint(rect(2, 5, 14, 6), shade(base, 0.6))
    return key_by(L, union(back, tab), 0.25)


def mdi_controls(t):
    """Minimize, restore and close of a maximized child window, four cells each, drawn in the
    menu bar strip."""
    a, h = 16, 14
    bg = menubar_colour_fn(t, True, h)
    cells = []
    for kind in ('minimize', 'restore', 'close'):
        for state in ('normal', 'pressed', 'hot', 'hot2'):
            L = backed(a, h, bg)
            if t.cb_style == 'bevel':
                body = rect(0, 0, a, h)
                L.paint(body, t.face)
                rings = [(t.dkshadow, t.hilight), (t.shadow, t.light)] if state == 'pressed' else \
                        [(t.light, t.dkshadow), (t.hilight, t.shadow)]
                paint_bevel(L, 0, 0, a, h, rings)
                colour = BLACK
                shift = 1 if state == 'pressed' else 0
            else:
                body = rrect(0, 0, a, h, 3)
                shift = 0
                colour = t.menubartext
                if state == 'pressed':
                    L.paint(body, t.accent if kind != 'close' else (196, 43, 28))
                    colour = WHITE
                elif state in ('hot', 'hot2'):
                    L.paint(body, lerp(t.menubar, t.accent, 0.18))
                    L.paint(ring(0, 0, a, h, 3), lerp(t.menubar, t.accent, 0.6))
                else:
                    body = None
            s = 7
            gshape = glyph(kind, (a - s) // 2 + shift, (h - s) // 2 + shift, s, 'bold' if t.glyph_weight == 'bold' else 'thin')
            L.paint(gshape, colour)
            cells.append(key_by(L, union(body, gshape) if body else gshape, 0.2))
    return hstack(cells)


# ---------------------------------------------------------------------------------------------
# Title back image (two stacked cells, three-part strip)

def title_back(t, frames, caps):
    g = frames['geometry']
    w = caps * 2 + 8
    h = g.CH
    cells = []
    for active in (True, False):
        bg_fn = caption_background_left(t, frames, active)
        L = backed(w, h, bg_fn)
        if t.title_back is None:
            cells.append(Image(w, h))
            continue
        y0, y1 = t.band_top + 3, h - 4
        shape = rrect(0, y0, w, y1, min(caps, (y1 - y0) / 2))
        if t.title_back == 'glow':
            # a soft light behind the text that fades out before the box edge, so the middle
            # columns (repeated along the title) are all alike
            y0, y1 = t.band_top + 1, h - 2
            radius, soft = caps, 4.0
            radii = (radius,) * 4
            peak = t.title_back_alpha * (1.0 if active else 0.5)
            L.paint(lambda px, py: clamp01(-sd_round_box(px, py, 0, y0, w, y1, radii) / soft), t.title_back_colour, peak)
            cells.append(key_by(L, rect(0, y0, w, y1), 0.5))
            continue
        if t.title_back == 'pill':
            L.paint(shape, t.title_back_colour, t.title_back_alpha * (1.0 if active else 0.6))
            L.paint(intersect(ring(0, y0, w, y1, min(caps, (y1 - y0) / 2), 1.0, 0.0), rect(0, y0, w, (y0 + y1) / 2)),
                    WHITE, 0.25 if active else 0.12)
        else:
            # an inset nameplate: darker body, shadowed top edge, lit bottom edge
            r = 3
            L.paint(shape, t.title_back_colour, t.title_back_alpha)
            L.paint(intersect(ring(0, y0, w, y1, r, 1.0, 0.0), rect(0, y0, w, (y0 + y1) / 2)), BLACK, 0.35)
            L.paint(intersect(ring(0, y0, w, y1, r, 1.0, 0.0), rect(0, (y0 + y1) / 2, w, y1)), (255, 226, 180), 0.35)
            shape = rrect(0, y0, w, y1, r)
        cells.append(key_by(L, shape, 0.2))
    return vstack(cells)


# ---------------------------------------------------------------------------------------------
# Push buttons, check boxes, radio buttons

BUTTON_STATES = ('normal', 'pressed', 'disabled', 'hot', 'focus')


def button_look(t):
    """Per-state (fill top, fill bottom, border) of a raised control surface."""
    name = t.title
    f = t.face
    if name == 'Porcelain':
        return dict(normal=((253, 253, 253), (236, 237, 239), (173, 178, 186)),
                    hot=((240, 247, 253), (222, 237, 251), (76, 150, 220)),
                    pressed=((204, 226, 246), (214, 232, 249), (0, 84, 160)),
                    disabled=((246, 246, 246), (240, 240, 240), (204, 206, 210)),
                    focus=((253, 253, 253), (236, 237, 239), t.accent), gloss=0.0)
    if name == 'Graphite':
        return dict(normal=((246, 247, 249), (212, 215, 220), (92, 96, 104)),
                    hot=((252, 249, 242), (226, 220, 206), (212, 136, 24)),
                    pressed=((190, 194, 200), (210, 213, 218), (48, 50, 56)),
                    disabled=((232, 233, 235), (224, 225, 228), (170, 172, 178)),
                    focus=((246, 247, 249), (212, 215, 220), t.accent), gloss=0.0)
    if name == 'Glacier':
        return dict(normal=((250, 253, 255), (206, 226, 248), (96, 132, 178)),
                    hot=((236, 248, 255), (168, 214, 250), (52, 116, 196)),
                    pressed=((150, 196, 240), (186, 220, 250), (30, 78, 148)),
                    disabled=((240, 244, 248), (228, 234, 242), (176, 188, 204)),
                    focus=((250, 253, 255), (206, 226, 248), t.accent), gloss=0.45)
    if name == 'Walnut':
        return dict(normal=((252, 246, 234), (228, 214, 188), (146, 108, 70)),
                    hot=((255, 248, 226), (240, 218, 170), (176, 110, 40)),
                    pressed=((214, 194, 160), (232, 216, 188), (104, 66, 32)),
                    disabled=((242, 236, 226), (236, 228, 214), (196, 180, 158)),
                    focus=((252, 246, 234), (228, 214, 188), t.accent), gloss=0.0)
    if name == 'Contrast':
        return dict(normal=(WHITE, WHITE, BLACK), hot=((255, 224, 0), (255, 214, 0), BLACK),
                    pressed=(BLACK, BLACK, BLACK), disabled=(WHITE, WHITE, (140, 140, 140)),
                    focus=(WHITE, WHITE, BLACK), gloss=0.0)
    if name == 'Mint':
        return dict(normal=((255, 255, 255), (236, 247, 242), (132, 186, 162)),
                    hot=((246, 255, 251), (214, 244, 230), (44, 160, 118)),
                    pressed=((190, 232, 212), (212, 242, 228), (22, 120, 86)),
                    disabled=((246, 250, 248), (238, 245, 241), (196, 216, 206)),
                    focus=((255, 255, 255), (236, 247, 242), t.accent), gloss=0.0)
    if name == 'Sunset':
        return dict(normal=((255, 252, 249), (246, 230, 220), (196, 150, 138)),
                    hot=((255, 246, 238), (255, 222, 204), (232, 112, 84)),
                    pressed=((246, 196, 176), (252, 218, 202), (176, 64, 50)),
                    disabled=((250, 245, 242), (244, 238, 234), (220, 204, 198)),
                    focus=((255, 252, 249), (246, 230, 220), t.accent), gloss=0.0)
    return dict(normal=(f, f, t.dkshadow), hot=(f, f, t.dkshadow), pressed=(f, f, t.dkshadow),
                disabled=(f, f, t.shadow), focus=(f, f, BLACK), gloss=0.0)


def raised_surface(t, L, x0, y0, x1, y1, state, r=None, rounding=None):
    """A button-like body in the given state; returns its shape."""
    r = t.ctl_radius if r is None else r
    radii = rounding if rounding is not None else r
    look = button_look(t)
    if t.title == 'Classic':
        body = rect(x0, y0, x1, y1)
        L.paint(body, t.face)
        if state == 'pressed':
            paint_bevel(L, x0, y0, x1, y1, [(t.dkshadow, t.dkshadow), (t.shadow, t.face)])
        elif state == 'focus':
            paint_bevel(L, x0, y0, x1, y1, [(BLACK, BLACK), (t.hilight, t.dkshadow), (t.light, t.shadow)])
        else:
            paint_bevel(L, x0, y0, x1, y1, [(t.hilight, t.dkshadow), (t.light, t.shadow)])
        return body
    top, bottom, border = look[state]
    body = rrect(x0, y0, x1, y1, radii)
    L.paint(body, vgrad(y0, y1, [top, bottom]))
    if look['gloss'] > 0 and state != 'disabled':
        mid = y0 + (y1 - y0) * 0.5
        L.paint(intersect(rrect(*inset(x0, y0, x1, y1, radii, 1.0)), rect(x0, y0, x1, mid)), WHITE,
                look['gloss'] * (0.5 if state == 'pressed' else 1.0))
    if state in ('normal', 'hot', 'focus') and t.title != 'Contrast':
        L.paint(intersect(ring(x0, y0, x1, y1, radii, 1.0, 1.0), rect(x0, y0, x1, y0 + (y1 - y0) * 0.5)), WHITE, 0.7)
    width = 2.0 if t.title == 'Contrast' else 1.0
    if t.title == 'Contrast' and state == 'focus':
        width = 3.0
    L.paint(ring(x0, y0, x1, y1, radii, width, 0.0), border)
    if state == 'focus' and t.title != 'Contrast':
        L.paint(ring(x0, y0, x1, y1, radii, 1.0, 1.0), border, 0.45)
    return body


def push_buttons(t):
    w, h = 32, 23
    cells = []
    for state in BUTTON_STATES:
        L = backed(w, h, t.face)
        body = raised_surface(t, L, 0, 0, w, h, state)
        cells.append(key_by(L, body, 0.2))
    return hstack(cells)


def check_mark(x0, y0):
    return polyline([(x0 + 3.0, y0 + 6.6), (x0 + 5.4, y0 + 9.0), (x0 + 10.0, y0 + 4.0)], 1.7)


def field_box(t, L, state, checked, kind):
    """One check-box (kind 'check') or radio (kind 'radio') cell, 13 x 13."""
    n = 13
    if kind == 'radio':
        shape = circle(6.5, 6.5, 6.0)
        inner = lambda d: circle(6.5, 6.5, 6.0 - d)
    else:
        r = 0 if t.title == 'Classic' else (2.5 if t.ctl_radius >= 3 else 1.5)
        shape = rrect(0, 0, n, n, r)
        inner = lambda d: rrect(*inset(0, 0, n, n, r, d))
    edge_of = lambda d, w=1.0: subtract(inner(d), inner(d + w))
    mark_on_fill = t.title in ('Porcelain', 'Glacier', 'Mint', 'Sunset')
    look = button_look(t)
    dis = state == 'disabled'
    if t.title == 'Classic':
        L.paint(shape, t.face if dis or state == 'pressed' else WHITE)
        if kind == 'radio':
            L.paint(intersect(edge_of(0), rect(0, 0, n, 6.5)), t.shadow)
            L.paint(intersect(edge_of(0), rect(0, 6.5, n, n)), t.hilight)
            L.paint(intersect(edge_of(1), rect(0, 0, n, 6.5)), t.dkshadow)
            L.paint(intersect(edge_of(1), rect(0, 6.5, n, n)), t.light)
        else:
            paint_bevel(L, 0, 0, n, n, [(t.shadow, t.hilight), (t.dkshadow, t.light)])
        mark = t.shadow if dis else BLACK
        if checked == 'on':
            L.paint(circle(6.5, 6.5, 1.6) if kind == 'radio' else check_mark(0, 0), mark)
        elif checked == 'mixed':
            L.paint(rect(3, 3, 10, 10), t.shadow if dis else (128, 128, 128))
        return shape
    if t.title == 'Contrast':
        fill = (255, 214, 0) if state == 'hot' else (230, 230, 230) if state == 'pressed' else WHITE
        L.paint(shape, fill)
        L.paint(edge_of(0, 2.0), (140, 140, 140) if dis else BLACK)
        mark = (140, 140, 140) if dis else BLACK
        if checked == 'on':
            L.paint(circle(6.5, 6.5, 2.2) if kind == 'radio' else polyline([(3.2, 6.4), (5.5, 8.8), (9.8, 4.2)], 2.2), mark)
        elif checked == 'mixed':
            L.paint(rect(3.5, 5.5, 9.5, 7.5), mark)
        return shape
    if mark_on_fill and checked != 'off':
        fill = {'normal': t.accent, 'hot': shade(t.accent, 0.18), 'pressed': shade(t.accent, -0.2),
                'disabled': lerp(t.face, t.shadow, 0.45)}[state]
        L.paint(shape, fill)
        if t.title == 'Glacier' and not dis:
            L.paint(intersect(inner(1), rect(0, 0, n, 6)), WHITE, 0.3)
        L.paint(edge_of(0), shade(fill, -0.15))
        mark = WHITE if not dis else lerp(t.face, WHITE, 0.6)
        if checked == 'on':
            L.paint(circle(6.5, 6.5, 2.3) if kind == 'radio' else check_mark(0, 0), mark)
        else:
            L.paint(rect(3.5, 6, 9.5, 7.5), mark)
        return shape
    # an open box with a coloured mark (Graphite: dark box, amber mark; Walnut: copper mark)
    if t.title == 'Graphite':
        fill = {'normal': (54, 57, 63), 'hot': (70, 73, 80), 'pressed': (36, 38, 42), 'disabled': (176, 178, 184)}[state]
        border = {'normal': (28, 29, 32), 'hot': t.accent, 'pressed': (20, 20, 22), 'disabled': (150, 152, 158)}[state]
        mark = t.accent if not dis else (210, 210, 214)
        L.paint(shape, vgrad(0, n, [shade(fill, 0.1), fill]))
    else:
        border = {'normal': look['normal'][2], 'hot': look['hot'][2], 'pressed': look['pressed'][2],
                  'disabled': look['disabled'][2]}[state]
        fill_top = {'normal': t.field, 'hot': lerp(t.field, t.accent, 0.08), 'pressed': lerp(t.field, t.accent, 0.2),
                    'disabled': lerp(t.face, t.field, 0.4)}[state]
        L.paint(shape, vgrad(0, n, [shade(fill_top, -0.06), fill_top]))
        mark = t.accent if not dis else t.shadow
    L.paint(edge_of(0), border)
    if checked == 'on':
        L.paint(circle(6.5, 6.5, 2.4) if kind == 'radio' else check_mark(0, 0), mark)
    elif checked == 'mixed':
        L.paint(rect(3.5, 5.5, 9.5, 7.5), mark)
    return shape


def check_boxes(t):
    cells = []
    for checked in ('off', 'on', 'mixed'):
        for state in ('normal', 'hot', 'pressed', 'disabled'):
            L = backed(13, 13, t.face)
            shape = field_box(t, L, state, checked, 'check')
            cells.append(key_by(L, shape, 0.2))
    return hstack(cells)


def radio_buttons(t):
    cells = []
    for checked in ('off', 'on'):
        for state in ('normal', 'hot', 'pressed', 'disabled'):
            L = backed(13, 13, t.face)
            shape = field_box(t, L, state, checked, 'radio')
            cells.append(key_by(L, shape, 0.2))
    return hstack(cells)


# ---------------------------------------------------------------------------------------------
# Arrows

def triangle(direction, cx, cy, size):
    """Pixel-exact solid arrow: size = half the base (3 gives a 7 x 4 arrow)."""
    rows = []
    for i in range(size + 1):
        rows.append('.' * (size - i) + '#' * (2 * i + 1) + '.' * (size - i))
    if direction == 'down':
        rows = rows[::-1]
    if direction in ('left', 'right'):
        w = len(rows[0])
        cols = [''.join(rows[j][i] for j in range(len(rows))) for i in range(w)]
        rows = cols if direction == 'left' else [c[::-1] for c in cols]
    w, h = max(len(r) for r in rows), len(rows)
    return pixel_mask(rows, int(cx - w // 2), int(cy - h // 2))


def chevron(direction, cx, cy, size, width=1.5):
    s = size
    if direction == 'up':
        pts = [(cx - s, cy + s / 2), (cx, cy - s / 2), (cx + s, cy + s / 2)]
    elif direction == 'down':
        pts = [(cx - s, cy - s / 2), (cx, cy + s / 2), (cx + s, cy - s / 2)]
    elif direction == 'left':
        pts = [(cx + s / 2, cy - s), (cx - s / 2, cy), (cx + s / 2, cy + s)]
    else:
        pts = [(cx - s / 2, cy - s), (cx + s / 2, cy), (cx - s / 2, cy + s)]
    return polyline(pts, width)


def arrow_shape(t, direction, cx, cy, small=False):
    if t.title in ('Classic', 'Contrast', 'Walnut', 'Glacier'):
        return triangle(direction, cx, cy, 2 if small else 3)
    return chevron(direction, cx, cy, 2.5 if small else 3.5, 1.4 if small else 1.5)


# ---------------------------------------------------------------------------------------------
# Scroll bars

SB = 17


def scroll_look(t):
    """(track, arrow glyph, thumb normal, thumb hot, thumb pressed)."""
    if t.title == 'Graphite':
        return (t.track, (70, 73, 80), (120, 124, 132), (88, 92, 100), t.accent)
    if t.title == 'Contrast':
        return (WHITE, BLACK, BLACK, (255, 214, 0), (60, 60, 60))
    if t.title == 'Walnut':
        return (t.track, (92, 60, 32), (168, 128, 88), (184, 138, 84), (132, 88, 48))
    if t.title == 'Glacier':
        return (t.track, (44, 84, 140), (140, 178, 226), (110, 164, 232), (62, 120, 200))
    if t.title == 'Mint':
        return (t.track, (60, 112, 90), (150, 196, 176), (110, 180, 150), t.accent)
    if t.title == 'Sunset':
        return (t.track, (150, 90, 80), (214, 170, 158), (232, 140, 118), t.accent)
    if t.title == 'Porcelain':
        return (t.track, (96, 100, 108), (194, 196, 200), (160, 163, 168), (120, 124, 130))
    return (t.track, BLACK, t.face, t.face, t.face)


def scroll_arrow(t, direction, state):
    track, glyph_colour, thumb, _, thumb_pressed = scroll_look(t)
    L = backed(SB, SB, track)
    c = SB / 2
    if t.title == 'Classic':
        body_state = {'normal': 'normal', 'pressed': 'pressed', 'unused': 'normal', 'hot': 'normal'}[state]
        raised_surface(t, L, 0, 0, SB, SB, body_state)
        shift = 1 if state == 'pressed' else 0
        L.paint(triangle(direction, c + shift, c + shift, 3), BLACK)
        return key_by(L, rect(0, 0, SB, SB), 0.0)
    if t.title == 'Glacier':
        raised_surface(t, L, 1, 1, SB - 1, SB - 1, {'normal': 'normal', 'pressed': 'pressed', 'unused': 'disabled',
                                                    'hot': 'hot'}[state], r=3)
        L.paint(arrow_shape(t, direction, c, c), glyph_colour if state != 'pressed' else t.accent_dark)
        return key_by(L, rect(0, 0, SB, SB), 0.0)
    if state == 'hot':
        L.paint(rrect(2, 2, SB - 2, SB - 2, 3), lerp(track, thumb, 0.45))
    elif state == 'pressed':
        L.paint(rrect(2, 2, SB - 2, SB - 2, 3), thumb_pressed)
    colour = glyph_colour
    if state == 'pressed':
        colour = WHITE if t.title != 'Contrast' else (255, 214, 0)
    if state == 'unused':
        colour = lerp(track, glyph_colour, 0.4)
    L.paint(arrow_shape(t, direction, c, c), colour)
    return key_by(L, rect(0, 0, SB, SB), 0.0)


def thumb_colours(t, state):
    _, _, thumb, hot, pressed = scroll_look(t)
    return {'normal': thumb, 'hot': hot, 'pressed': pressed}[state]


def grip(t, vertical, state):
    """Three short ridges across the thumb, on magenta so the thumb shows through."""
    L = backed(SB, SB, lambda x, y: thumb_colours(t, state))
    if t.title == 'Classic':
        return Image(SB, SB)
    base = thumb_colours(t, state)
    dark = shade(base, -0.3)
    light = shade(base, 0.45)
    if t.title == 'Contrast':
        dark, light = ((255, 214, 0), (255, 214, 0)) if state == 'normal' else (BLACK, BLACK)
    shapes = []
    for k in (-2, 0, 2):
        if vertical:
            s = rect(5.5, 8 + k, 11.5, 9 + k)
        else:
            s = rect(8 + k, 5.5, 9 + k, 11.5)
        shapes.append(s)
    mask = union(*shapes)
    L.paint(mask, dark)
    if t.title != 'Contrast':
        for s in shapes:
            L.paint(lambda px, py, s=s: s(px - (0 if vertical else 1), py - (1 if vertical else 0)), light, 0.5)
    return key_by(L, mask, 0.2)


def scrollbar_strip(t):
    cells = []
    for direction in ('left', 'right', 'up', 'down'):
        for state in ('normal', 'pressed', 'unused', 'hot'):
            cells.append(scroll_arrow(t, direction, state))
    for vertical in (False, True):
        for state in ('normal', 'pressed', 'hot'):
            cells.append(grip(t, vertical, state))
    L = backed(SB, SB, scroll_look(t)[0])
    cells.append(key_by(L, rect(0, 0, SB, SB), 0.0))
    return hstack(cells)


def scroll_track(t, vertical):
    track = scroll_look(t)[0]
    w, h = 16, 16 if t.title == 'Classic' else SB
    cells = []
    for state in ('normal', 'pressed', 'disabled', 'hot'):
        L = Layer(w, h)
        if t.title == 'Classic':
            # the classic fine dither of face and white, tiled
            on = state != 'disabled'
            L.paint(rect(0, 0, w, h), lambda x, y: (WHITE if (x + y) % 2 == 0 else t.face) if on else t.face)
        else:
            base = track if state != 'disabled' else lerp(track, t.face, 0.6)
            if state == 'pressed':
                base = shade(base, -0.05)
            L.paint(rect(0, 0, w, h), base)
            if t.title != 'Contrast':
                L.paint(rect(0, 0, w, 1), shade(base, -0.06))
                L.paint(rect(0, h - 1, w, h), shade(base, -0.03))
            else:
                L.paint(rect(0, 0, w, 1), BLACK)
                L.paint(rect(0, h - 1, w, h), BLACK)
        im = L.opaque(t.face)
        cells.append(im.transposed() if vertical else im)
    return hstack(cells)


def scroll_thumb(t, vertical):
    w, h = 24, SB
    track = scroll_look(t)[0]
    cells = []
    for state in ('normal', 'pressed', 'hot'):
        L = backed(w, h, track)
        if t.title == 'Classic':
            body = raised_surface(t, L, 0, 0, w, h, 'normal')
        elif t.title == 'Glacier':
            body = raised_surface(t, L, 1, 2, w - 1, h - 2, {'normal': 'normal', 'pressed': 'pressed', 'hot': 'hot'}[state], r=5)
        else:
            fill = thumb_colours(t, state)
            body = rrect(1, 4, w - 1, h - 4, 4.5)
            L.paint(body, fill)
            if t.title == 'Contrast':
                L.paint(ring(1, 4, w - 1, h - 4, 4.5, 1.0), BLACK)
            elif t.title == 'Walnut':
                L.paint(ring(1, 4, w - 1, h - 4, 4.5, 1.0), shade(fill, -0.3))
        im = key_by(L, body, 0.2)
        cells.append(im.transposed() if vertical else im)
    return hstack(cells)


# ---------------------------------------------------------------------------------------------
# Progress bar

def progress(t):
    w, h = (34, 16) if t.title == 'Classic' else (32, 16)
    cells = []
    # cell 1: the empty trough
    L = backed(w, h, t.face)
    if t.title == 'Classic':
        L.paint(rect(0, 0, w, h), t.face)
        paint_bevel(L, 0, 0, w, h, [(t.shadow, t.hilight)])
        shape = rect(0, 0, w, h)
    else:
        r = min(t.ctl_radius + 1, 5)
        shape = rrect(0, 0, w, h, r)
        trough = lerp(t.track, t.shadow, 0.12) if t.title != 'Contrast' else WHITE
        L.paint(shape, vgrad(0, h, [shade(trough, -0.06), trough]))
        L.paint(ring(0, 0, w, h, r, 2.0 if t.title == 'Contrast' else 1.0), lerp(t.face, t.shadow, 0.7) if t.title != 'Contrast' else BLACK)
    cells.append(key_by(L, shape, 0.2))
    # cell 2: the filled part, drawn over the trough
    if t.title == 'Classic':
        # with a tiled centre the blocks repeat along the bar: 8 on, 2 off
        L = backed(w, h, t.face)
        L.paint(rect(0, 0, w, h), t.face)
        paint_bevel(L, 0, 0, w, h, [(t.shadow, t.hilight)])
        for x in range(2, w - 2, 10):
            L.paint(rect(x, 2, min(x + 8, w - 2), h - 2), t.accent)
        cells.append(key_by(L, rect(0, 0, w, h), 0.2))
    else:
        r = min(t.ctl_radius + 1, 5)
        trough = lerp(t.track, t.shadow, 0.12)
        L = backed(w, h, trough)
        if t.title == 'Contrast':
            shape = rrect(0, 0, w, h, r)
            L.paint(shape, BLACK)
            for x in range(-h, w, 6):
                L.paint(polygon([(x, h - 2), (x + 3, h - 2), (x + h, 2), (x + h - 3, 2)], 3), (255, 214, 0))
            L.paint(ring(0, 0, w, h, r, 2.0), BLACK)
        else:
            shape = rrect(1, 1, w - 1, h - 1, max(r - 1, 1))
            hi, lo = shade(t.accent, 0.3), shade(t.accent, -0.1)
            L.paint(shape, vgrad(1, h - 1, [hi, t.accent, lo]))
            L.paint(intersect(rrect(2, 2, w - 2, h - 2, max(r - 2, 1)), rect(0, 0, w, h * 0.45)), WHITE, 0.3)
            L.paint(ring(1, 1, w - 1, h - 1, max(r - 1, 1)), shade(t.accent, -0.3))
        cells.append(key_by(L, shape, 0.2))
    return hstack(cells)


def progress_chunk(t):
    w, h = 8, 12
    L = backed(w, h, t.face)
    body = rect(0, 0, w - 2, h)
    L.paint(body, vgrad(0, h, [shade(t.accent, 0.3), t.accent, shade(t.accent, -0.1)]))
    return key_by(L, body, 0.2)


# ---------------------------------------------------------------------------------------------
# Tabs

def tabs(t):
    w, h = 44, 22
    cells = []
    r = max(t.ctl_radius, 2) if t.title != 'Classic' else 2
    border = t.dkshadow if t.title == 'Contrast' else lerp(t.face, t.shadow, 0.8)
    for state in ('normal', 'selected', 'hot', 'disabled', 'selected2'):
        L = backed(w, h, t.face)
        y0 = 0 if state.startswith('selected') else 2
        shape = rrect(0, y0, w, h + r + 1, (r, r, 0, 0))
        if t.title == 'Classic':
            L.paint(shape, t.face)
            L.paint(intersect(ring(0, y0, w, h + r + 1, (r, r, 0, 0)), rect(0, 0, w - 1, h)), t.hilight)
            L.paint(intersect(ring(0, y0, w, h + r + 1, (r, r, 0, 0)), rect(w - 1, 0, w, h)), t.dkshadow)
            L.paint(intersect(ring(0, y0, w, h + r + 1, (r, r, 0, 0), 1.0, 1.0), rect(w - 2, 0, w - 1, h)), t.shadow)
        else:
            if state.startswith('selected'):
                top, bottom = shade(t.face, 0.7), shade(t.face, 0.35)
            elif state == 'hot':
                top, bottom = lerp(shade(t.face, 0.5), t.accent, 0.12), lerp(t.face, t.accent, 0.08)
            elif state == 'disabled':
                top, bottom = t.face, t.face
            else:
                top, bottom = shade(t.face, 0.2), lerp(t.face, t.shadow, 0.12)
            if t.title == 'Contrast':
                top = bottom = (255, 214, 0) if state == 'hot' else WHITE
            L.paint(shape, vgrad(y0, h, [top, bottom]))
            L.paint(ring(0, y0, w, h + r + 1, (r, r, 0, 0), 2.0 if t.title == 'Contrast' else 1.0),
                    border if state != 'disabled' else lerp(t.face, border, 0.5))
            if state.startswith('selected') and t.title != 'Contrast':
                L.paint(intersect(ring(0, y0, w, h + r + 1, (r, r, 0, 0), 2.0, 1.0), rect(0, 0, w, y0 + 3)), t.accent)
        cells.append(key_by(L, shape, 0.2))
    return hstack(cells)


def tab_border(t):
    """The page frame: fixed margins of 4, 5, 4, 4 around a stretched face."""
    w, h = 24, 24
    L = backed(w, h, t.face)
    r = 2 if t.title != 'Classic' else 0
    shape = rrect(0, 0, w, h, r)
    inside_colour = shade(t.face, 0.35) if t.title not in ('Classic', 'Contrast') else t.face
    L.paint(shape, inside_colour)
    if t.title == 'Classic':
        paint_bevel(L, 0, 0, w, h, [(t.hilight, t.dkshadow), (t.light, t.shadow)])
    else:
        L.paint(ring(0, 0, w, h, r, 2.0 if t.title == 'Contrast' else 1.0),
                t.dkshadow if t.title == 'Contrast' else lerp(t.face, t.shadow, 0.8))
        if t.title != 'Contrast':
            L.paint(ring(0, 0, w, h, r, 1.0, 1.0), WHITE, 0.5)
    return key_by(L, shape, 0.2)


# ---------------------------------------------------------------------------------------------
# Track bar

def track_channel(t, vertical):
    w, h = 24, 6
    L = backed(w, h, t.face)
    shape = rrect(0, 0, w, h, 2.5 if t.title != 'Classic' else 0)
    if t.title == 'Classic':
        L.paint(shape, WHITE)
        paint_bevel(L, 0, 0, w, h, [(t.shadow, t.hilight), (t.dkshadow, t.light)])
    else:
        fill = lerp(t.track, t.shadow, 0.35) if t.title != 'Contrast' else WHITE
        L.paint(shape, vgrad(0, h, [shade(fill, -0.12), fill]))
        L.paint(ring(0, 0, w, h, 2.5, 1.0), lerp(t.face, t.shadow, 0.85) if t.title != 'Contrast' else BLACK)
    im = key_by(L, shape, 0.2)
    return im.transposed() if vertical else im


def track_thumb(t, shape_kind):
    """shape_kind: 'horz' (upright bar), 'vert', 'down', 'up', 'left', 'right'."""
    cells = []
    for state in ('normal', 'normal', 'hot', 'pressed', 'disabled'):
        # built upright and turned afterwards for the lying variants
        uw, uh = 11, 20
        U = backed(uw, uh, t.face)
        if shape_kind in ('horz', 'vert'):
            body = rrect(0, 0, uw, uh, min(t.ctl_radius, 3) if t.title != 'Classic' else 0)
        else:
            body = polygon([(0, 0), (uw, 0), (uw, uh - 6), (uw / 2, uh), (0, uh - 6)], 4)
        look_state = {'normal': 'normal', 'hot': 'hot', 'pressed': 'pressed', 'disabled': 'disabled'}[state]
        _paint_thumb(t, U, body, uw, uh, look_state, shape_kind in ('horz', 'vert'))
        im = key_by(U, body, 0.25)
        if shape_kind == 'up':
            im = im.flipped()
        elif shape_kind == 'vert':
            im = im.transposed()
        elif shape_kind == 'right':
            im = im.transposed()
        elif shape_kind == 'left':
            im = im.transposed().mirrored()
        cells.append(im)
    return hstack(cells)


def _paint_thumb(t, U, body, uw, uh, state, boxy):
    look = button_look(t)
    if t.title == 'Classic':
        U.paint(body, t.face)
        edge = lambda d: subtract(body, _shrink(body, uw, uh, d, boxy))
        U.paint(intersect(edge(1), rect(0, 0, uw - 1, uh - 1)), t.hilight)
        U.paint(intersect(edge(1), union(rect(uw - 1, 0, uw, uh), rect(0, uh - 1, uw, uh), _lower_edge(uw, uh, boxy))), t.dkshadow)
        return
    top, bottom, border = look[state]
    U.paint(body, vgrad(0, uh, [top, bottom]))
    if look['gloss'] > 0 and state != 'disabled':
        U.paint(intersect(body, rect(0, 0, uw / 2, uh)), WHITE, 0.35)
    U.paint(subtract(body, _shrink(body, uw, uh, 1.0 if t.title != 'Contrast' else 2.0, boxy)), border)


def _shrink(body, uw, uh, d, boxy):
    if boxy:
        return lambda px, py: body(px, py) if d <= px < uw - d and d <= py < uh - d else 0.0
    return polygon([(d, d), (uw - d, d), (uw - d, uh - 6 - d * 0.4), (uw / 2, uh - d * 1.9), (d, uh - 6 - d * 0.4)], 4)


def _lower_edge(uw, uh, boxy):
    if boxy:
        return rect(0, uh - 1, uw, uh)
    return polygon([(uw / 2, uh), (uw, uh - 6), (uw, uh - 8), (uw / 2, uh - 2)], 4)


# ---------------------------------------------------------------------------------------------
# Up-down

def updown(t, horizontal):
    """Faces: first half cells 1-4, second half 5-8 (normal, pressed, disabled, hot); the glyphs
    follow the same layout."""
    faces, glyphs = [], []
    fw, fh = (11, 16) if horizontal else (16, 11)
    r = 2 if t.title != 'Classic' else 0
    for half in (0, 1):
        for state in ('normal', 'pressed', 'disabled', 'hot'):
            L = backed(fw, fh, t.face)
            if horizontal:
                rounding = (r, 0, 0, r) if half == 0 else (0, r, r, 0)
            else:
                rounding = (r, r, 0, 0) if half == 0 else (0, 0, r, r)
            body = raised_surface(t, L, 0, 0, fw, fh, state, r=r, rounding=rounding)
            faces.append(key_by(L, body, 0.2))
            look = button_look(t)
            direction = ('left' if half == 0 else 'right') if horizontal else ('up' if half == 0 else 'down')
            gw, gh = (4, 7) if horizontal else (7, 4)
            fill_top, fill_bottom, _ = look[state] if t.title != 'Classic' else (t.face, t.face, None)
            G = backed(gw, gh, lerp(fill_top, fill_bottom, 0.5))
            colour = {'normal': t.text, 'pressed': t.text, 'disabled': t.shadow, 'hot': t.accent_dark}[state]
            if t.title == 'Contrast' and state == 'pressed':
                colour = WHITE
            shape = triangle(direction, gw / 2, gh / 2, 3)
            G.paint(shape, colour)
            glyphs.append(key_by(G, shape, 0.2))
    return hstack(faces), hstack(glyphs)


# ---------------------------------------------------------------------------------------------
# Combo box parts

def sunk_edge(t):
    w, h = 24, 21
    cells = []
    for state in ('normal', 'pressed', 'disabled', 'hot'):
        L = backed(w, h, t.face)
        if t.title == 'Classic':
            shape = rect(0, 0, w, h)
            L.paint(shape, WHITE if state != 'disabled' else t.face)
            paint_bevel(L, 0, 0, w, h, [(t.shadow, t.hilight), (t.dkshadow, t.light)])
        else:
            r = min(t.ctl_radius, 3)
            shape = rrect(0, 0, w, h, r)
            field = t.field if state != 'disabled' else lerp(t.face, t.field, 0.4)
            L.paint(shape, field)
            border = {'normal': lerp(t.face, t.shadow, 0.85), 'pressed': t.accent_dark, 'disabled': lerp(t.face, t.shadow, 0.45),
                      'hot': t.accent}[state]
            if t.title == 'Contrast':
                border = (140, 140, 140) if state == 'disabled' else BLACK
            L.paint(ring(0, 0, w, h, r, 2.0 if t.title == 'Contrast' else 1.0), border)
            if state == 'pressed' and t.title != 'Contrast':
                L.paint(ring(0, 0, w, h, r, 1.0, 1.0), t.accent, 0.35)
        cells.append(key_by(L, shape, 0.2))
    return hstack(cells)


COMBO_W = 19


def combo_button_fill(t, state):
    if t.title == 'Classic':
        return t.face
    look = button_look(t)
    top, bottom, _ = look[state if state != 'hot' else 'hot']
    return lerp(top, bottom, 0.5)


def combo_button(t):
    """The drop-down button, drawn over the right end of the sunken edge; magenta where the
    edge's own border shows through."""
    w, h = COMBO_W, 21
    cells = []
    for state in ('normal', 'pressed', 'disabled', 'hot'):
        L = backed(w, h, t.field)
        if t.title == 'Classic':
            body = rect(0, 2, w - 2, h - 2)
            raised_surface(t, L, 0, 2, w - 2, h - 2, 'pressed' if state == 'pressed' else 'normal')
            cells.append(key_by(L, body, 0.2))
            continue
        r = max(min(t.ctl_radius, 3) - 1, 1)
        body = rrect(1, 2, w - 2, h - 2, (0, r, r, 0))
        if t.title in ('Glacier', 'Walnut', 'Contrast'):
            raised_surface(t, L, 1, 2, w - 2, h - 2, state, rounding=(0, r, r, 0))
            if t.title == 'Contrast':
                L.paint(rect(1, 2, 2, h - 2), BLACK)
            cells.append(key_by(L, body, 0.2))
            continue
        # flat: a hairline separator, a tint under the mouse
        if state == 'hot':
            L.paint(body, lerp(t.field, t.accent, 0.12))
        elif state == 'pressed':
            L.paint(body, lerp(t.field, t.accent, 0.25))
        sep = rect(1, 4, 2, h - 4)
        L.paint(sep, lerp(t.field, t.shadow, 0.45))
        mask = union(body, sep) if state in ('hot', 'pressed') else sep
        cells.append(key_by(L, mask, 0.2))
    return hstack(cells)


def extra_images(t):
    """Cells 1-4: the combo arrow per state; cell 5: the status-bar size grip."""
    n = 12
    cells = []
    for state in ('normal', 'pressed', 'disabled', 'hot'):
        bg = combo_button_fill(t, state) if t.title in ('Classic', 'Glacier', 'Walnut', 'Contrast') else \
            (lerp(t.field, t.accent, {'normal': 0.0, 'pressed': 0.25, 'disabled': 0.0, 'hot': 0.12}[state]))
        L = backed(n, n, bg)
        colour = {'normal': t.text, 'pressed': t.accent_dark, 'disabled': t.shadow, 'hot': t.accent_dark}[state]
        if t.title in ('Classic', 'Contrast'):
            colour = t.shadow if state == 'disabled' else BLACK
        if t.title == 'Contrast' and state == 'pressed':
            colour = WHITE  # the held button is black
        if state != 'disabled':
            colour = legible(colour, bg)
        shape = arrow_shape(t, 'down', n / 2, n / 2, small=t.title not in ('Classic', 'Contrast', 'Walnut', 'Glacier'))
        L.paint(shape, colour)
        cells.append(key_by(L, shape, 0.2))
    # size grip: dots on a diagonal, lit from the upper left
    L = backed(n, n, t.face)
    dots = []
    for i in range(3):
        for j in range(3 - i):
            x = n - 3 - 4 * j
            y = n - 3 - 4 * i
            dots.append((x, y))
    light = WHITE if t.title != 'Contrast' else BLACK
    dark = lerp(t.face, t.shadow, 0.9) if t.title != 'Contrast' else BLACK
    shapes = [rect(x - 1, y - 1, x + 1, y + 1) for x, y in dots]
    for x, y in dots:
        L.paint(rect(x, y, x + 1, y + 1), light)
        L.paint(rect(x - 1, y - 1, x + 1, y + 1), dark)
    lit = [rect(x, y, x + 1, y + 1) for x, y in dots]
    cells.append(key_by(L, union(*(shapes + lit)), 0.2))
    return hstack(cells)


# ---------------------------------------------------------------------------------------------
# Panels, group boxes, tool bars, header, menus

def status_edges(t):
    w, h = 12, 20
    cells = []
    for kind in ('lowered', 'raised', 'none'):
        L = backed(w, h, t.face)
        if kind == 'none':
            cells.append(Image(w, h))
            continue
        if t.title == 'Classic':
            shape = rect(0, 0, w, h)
            L.paint(shape, t.face)
            pair = (t.shadow, t.hilight) if kind == 'lowered' else (t.hilight, t.shadow)
            paint_bevel(L, 0, 0, w, h, [pair])
        else:
            shape = rrect(0, 0, w, h, 2)
            fill = lerp(t.face, t.shadow, 0.08) if kind == 'lowered' else shade(t.face, 0.4)
            if t.title == 'Contrast':
                fill = WHITE
            L.paint(shape, fill)
            L.paint(ring(0, 0, w, h, 2), lerp(t.face, t.shadow, 0.55) if t.title != 'Contrast' else BLACK)
        cells.append(key_by(L, shape, 0.2))
    return hstack(cells)


def group_box_edge(t):
    w, h = 16, 16
    cells = []
    for state in ('normal', 'muted'):
        L = backed(w, h, t.face)
        r = 3 if t.title != 'Classic' else 0
        line = lerp(t.face, t.shadow, 0.8 if state == 'normal' else 0.45)
        if t.title == 'Contrast':
            line = BLACK if state == 'normal' else (140, 140, 140)
        outer = ring(0, 0, w, h, r, 1.0)
        L.paint(outer, line)
        shapes = [outer]
        if t.title == 'Classic':
            etch = ring(1, 1, w, h, r, 1.0)
            L.paint(etch, WHITE)
            L.paint(outer, line)
            shapes.append(etch)
        cells.append(key_by(L, union(*shapes), 0.2))
    return hstack(cells)


def group_box_label(t):
    w, h = 24, 18
    L = backed(w, h, t.face)
    shape = rrect(0, 1, w, h - 1, 5 if t.title != 'Classic' else 0)
    if t.title == 'Contrast':
        L.paint(shape, WHITE)
        L.paint(ring(0, 1, w, h - 1, 5, 2.0), BLACK)
    elif t.title == 'Classic':
        L.paint(shape, t.face)
    else:
        L.paint(shape, lerp(t.face, t.accent, 0.08))
        L.paint(ring(0, 1, w, h - 1, 5), lerp(t.face, t.accent, 0.3))
    return key_by(L, shape, 0.2)


def tool_bars(t):
    w, h = 22, 22
    cells = []
    for state in ('normal', 'pressed', 'disabled', 'hot', 'checked'):
        L = backed(w, h, t.face)
        if state in ('normal', 'disabled'):
            cells.append(Image(w, h))
            continue
        if t.title == 'Classic':
            shape = rect(0, 0, w, h)
            L.paint(shape, t.face if state != 'checked' else t.light)
            pair = (t.hilight, t.shadow) if state == 'hot' else (t.shadow, t.hilight)
            paint_bevel(L, 0, 0, w, h, [pair])
        else:
            r = min(t.ctl_radius + 1, 4)
            shape = rrect(0, 0, w, h, r)
            mix = {'hot': 0.12, 'pressed': 0.3, 'checked': 0.2}[state]
            fill = lerp(shade(t.face, 0.3), t.accent, mix)
            if t.title == 'Contrast':
                fill = (255, 214, 0) if state == 'hot' else (230, 230, 230)
            L.paint(shape, fill)
            L.paint(ring(0, 0, w, h, r), lerp(t.face, t.accent, 0.55) if t.title != 'Contrast' else BLACK)
        cells.append(key_by(L, shape, 0.2))
    return hstack(cells)


def header_bar(t):
    w, h = 40, 20
    cells = []
    for state in ('normal', 'pressed', 'disabled', 'hot', 'sorted'):
        L = Layer(w, h)
        if t.title == 'Classic':
            L.paint(rect(0, 0, w, h), t.face)
            pair = [(t.hilight, t.dkshadow), (t.face, t.shadow)] if state != 'pressed' else [(t.shadow, t.shadow)]
            paint_bevel(L, 0, 0, w, h, pair)
        else:
            base = shade(t.face, 0.45)
            if state == 'hot':
                base = lerp(base, t.accent, 0.1)
            elif state == 'pressed':
                base = lerp(t.face, t.shadow, 0.25)
            elif state == 'disabled':
                base = t.face
            if t.title == 'Contrast':
                base = (255, 214, 0) if state == 'hot' else WHITE
            L.paint(rect(0, 0, w, h), vgrad(0, h, [shade(base, 0.3), base]))
            line = lerp(t.face, t.shadow, 0.6) if t.title != 'Contrast' else BLACK
            L.paint(rect(0, h - 1, w, h), line)
            L.paint(rect(w - 1, 3, w, h - 4), line)
            if state == 'sorted':
                L.paint(rect(0, 0, w, 2), t.accent)
        cells.append(L.opaque(t.face))
    return hstack(cells)


def menubar_colour_fn(t, active, h):
    base = t.menubar if active else lerp(t.menubar, t.face, 0.4)
    if t.title in ('Contrast', 'Classic'):
        return lambda x, y: base
    return vgrad(0, h, [shade(base, 0.25), base])


def menu_bar(t):
    """Two stacked cells (active, inactive). The strip is stretched to the system menu height,
    which may duplicate or drop rows, so it carries no hairlines: the caption's bottom edge
    already separates it from the title."""
    w, h = 16, 20
    cells = []
    for active in (True, False):
        L = Layer(w, h)
        L.paint(rect(0, 0, w, h), menubar_colour_fn(t, active, h))
        cells.append(L.opaque(t.menubar))
    return vstack(cells)


def menu_item(t):
    w, h = 24, 20
    cells = []
    for state in ('normal', 'separator', 'disabled', 'selected', 'selected2'):
        L = backed(w, h, t.menu)
        if state in ('normal', 'disabled'):
            cells.append(Image(w, h))
            continue
        if state == 'separator':
            line = rect(3, h - 5, w - 3, h - 4)
            L.paint(line, lerp(t.menu, t.menutext, 0.22) if t.title != 'Contrast' else BLACK)
            mask = line
            if t.title == 'Classic':
                lit = rect(3, h - 4, w - 3, h - 3)
                L.paint(line, t.shadow)
                L.paint(lit, t.hilight)
                mask = union(line, lit)
            cells.append(key_by(L, mask, 0.2))
            continue
        if t.title == 'Classic':
            shape = rect(0, 0, w, h)
            L.paint(shape, t.sel)
        else:
            r = 3
            shape = rrect(1, 1, w - 1, h - 1, r)
            sel = t.sel
            if t.title == 'Glacier':
                L.paint(shape, vgrad(1, h - 1, [(0.0, (52, 108, 184)), (0.48, (40, 94, 170)), (0.5, (30, 80, 156)), (1.0, (40, 96, 174))]))
            elif t.title == 'Contrast':
                L.paint(shape, BLACK)
            else:
                L.paint(shape, vgrad(1, h - 1, [shade(sel, 0.1), sel]))
            L.paint(ring(1, 1, w - 1, h - 1, r), shade(sel, -0.25) if t.title != 'Contrast' else (255, 224, 0))
        cells.append(key_by(L, shape, 0.2))
    return hstack(cells)


def menu_background(t):
    w, h = 40, 32
    L = Layer(w, h)
    L.paint(rect(0, 0, w, h), t.menu)
    if t.title == 'Classic':
        paint_bevel(L, 0, 0, w, h, [(t.light, t.dkshadow), (t.hilight, t.shadow)])
    else:
        border = {'Graphite': (20, 21, 24), 'Contrast': BLACK}.get(t.title, lerp(t.menu, t.shadow, 0.85))
        L.paint(ring(0, 0, w, h, 0, 1.0), border)
        if t.title == 'Contrast':
            L.paint(ring(0, 0, w, h, 0, 1.0, 1.0), BLACK)
        elif t.title == 'Graphite':
            L.paint(ring(0, 0, w, h, 0, 1.0, 1.0), (62, 65, 72))
        else:
            L.paint(ring(0, 0, w, h, 0, 1.0, 1.0), WHITE, 0.6)
    return L.opaque(t.menu)
