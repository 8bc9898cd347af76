#!/usr/bin/env python3
"""Review pictures of the skins: for each skin a mock-up of the Perchpoints window (active and
inactive), a gallery of skinned controls, and a contact sheet of every image, all composed from
the generated skin files the way the skin engine cuts and draws them.

    python3 tools/skingen/preview.py [--skins DIR] [--out DIR] [--only N ...]

Needs ImageMagick (convert, montage) for text and the contact sheets.
"""

import argparse
import os
import struct
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # nothing generated beside the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from raster import MAGENTA, Image, png_bytes, read_bmp  # noqa: E402

FONT = 'Liberation-Sans'
FONT_BOLD = 'Liberation-Sans-Bold'
DESKTOP = (92, 112, 132)
SYS_HILIGHT = (255, 255, 255)
SYS_SHADOW = (160, 160, 160)
MAROON = (128, 0, 0)
# The review pictures are committed: 256 colours without dithering keep the pictures of one skin
# small and exact enough to judge (the skins themselves are the bitmaps). The overview of all
# eight has too many colours for that and stays full colour.
SMALL_PNG = ['+dither', '-colors', '256', '-strip']


# ---------------------------------------------------------------------------------------------
# Reading a skin folder

def read_ini(path):
    sections = {}
    current = None
    with open(path, 'rb') as f:
        text = f.read().decode('latin-1')
    for line in text.replace('\r\n', '\n').replace('\r', '\n').split('\n'):
        line = line.strip()
        if not line or line.startswith(';'):
            continue
        if line.startswith('[') and line.endswith(']'):
            name = line[1:-1].lower()
            current = None if name in sections else sections.setdefault(name, {})
            continue
        if current is None:
            continue
        key, _, value = line.partition('=')
        key = key.strip().lower()
        if key not in current:
            current[key] = value.strip()
    return sections


class Skin:
    def __init__(self, folder):
        self.folder = folder
        inis = [n for n in os.listdir(folder) if n.endswith('.ini')]
        self.ini = read_ini(os.path.join(folder, inis[0]))
        self.images = {}

    def sec(self, name):
        return self.ini.get(name.lower(), {})

    def int(self, section, key, default=0):
        v = self.sec(section).get(key.lower(), '')
        try:
            return int(v, 16) if v.lower().startswith('0x') else int(v)
        except ValueError:
            return default

    def colour(self, key):
        v = self.sec('Colours').get(key.lower(), '0 0 0')
        return tuple(int(p) % 256 for p in v.replace(',', ' ').split()[:3])

    def image(self, section, key='image'):
        name = self.sec(section).get(key.lower())
        if not name:
            return None
        if name not in self.images:
            with open(os.path.join(self.folder, name), 'rb') as f:
                self.images[name] = read_bmp(f.read())
        return self.images[name]


# ---------------------------------------------------------------------------------------------
# The engine's drawing routines, on our Image type (stretching is nearest-neighbour, like
# COLORONCOLOR)

def cell_rect(img, n, k, stacked=False):
    if stacked:
        ch = img.h // n
        return (0, ch * (k - 1), img.w, ch * k)
    cw = img.w // n
    return (cw * (k - 1), 0, cw * k, img.h)


def _axis_map(d0, d1, s0, s1, lo, hi, tile):
    dl = d1 - d0
    if dl < lo + hi:
        lo = hi = 0
    mid_s = s1 - s0 - lo - hi
    mid_d = dl - lo - hi
    out = []
    for d in range(d0, d1):
        off = d - d0
        if off < lo:
            out.append(s0 + off)
        elif off >= dl - hi:
            out.append(s1 - (dl - off))
        elif mid_s <= 0:
            out.append(s0 + lo)
        elif tile:
            out.append(s0 + lo + (off - lo) % mid_s)
        else:
            out.append(s0 + lo + (off - lo) * mid_s // max(mid_d, 1))
    return out


def element_cell(dst, img, cell, target, m=(0, 0, 0, 0), tile=False, trans=True):
    """Nine-slice: m = (left, top, right, bottom)."""
    sx0, sy0, sx1, sy1 = cell
    x0, y0, x1, y1 = target
    if x1 <= x0 or y1 <= y0:
        return
    xs = _axis_map(x0, x1, sx0, sx1, m[0], m[2], tile)
    ys = _axis_map(y0, y1, sy0, sy1, m[1], m[3], tile)
    for j, y in enumerate(range(y0, y1)):
        if y < 0 or y >= dst.h:
            continue
        for i, x in enumerate(range(x0, x1)):
            if x < 0 or x >= dst.w:
                continue
            c = img.get(xs[i], ys[j])
            if trans and c == MAGENTA:
                continue
            dst.px[y * dst.w + x] = c


def strip_cell(dst, img, n, k, target, stacked=False):
    element_cell(dst, img, cell_rect(img, n, k, stacked), target)


def three_part(dst, img, n, k, target, lc, rc, stacked=True):
    x0, y0, x1, y1 = target
    sx0, sy0, sx1, sy1 = cell_rect(img, n, k, stacked)
    w, h = x1 - x0, y1 - y0
    tmp = Image(w, h)
    element_cell(tmp, img, (sx0, sy0, sx0 + lc, sy1), (0, 0, lc, h), trans=False)
    mid = sx1 - sx0 - lc - rc
    x = lc
    while mid > 0 and x < w - rc:
        element_cell(tmp, img, (sx0 + lc, sy0, sx1 - rc, sy1), (x, 0, x + mid, h), trans=False)
        x += mid
    element_cell(tmp, img, (sx1 - rc, sy0, sx1, sy1), (w - rc, 0, w, h), trans=False)
    dst.blit(tmp, x0, y0, keyed=True)


def fill(dst, r, c):
    x0, y0, x1, y1 = r
    for y in range(max(y0, 0), min(y1, dst.h)):
        for x in range(max(x0, 0), min(x1, dst.w)):
            dst.px[y * dst.w + x] = c


def frame3d(dst, r, tl, br):
    x0, y0, x1, y1 = r
    fill(dst, (x0, y0, x1 - 1, y0 + 1), tl)
    fill(dst, (x0, y0, x0 + 1, y1 - 1), tl)
    fill(dst, (x0, y1 - 1, x1, y1), br)
    fill(dst, (x1 - 1, y0, x1, y1), br)


class Texts:
    def __init__(self):
        self.items = []

    def add(self, x, y, text, colour, size=12, bold=False, centre_in=None):
        self.items.append((x, y, text, colour, size, bold, centre_in))

    def args(self):
        out = []
        for x, y, text, colour, size, bold, centre_in in self.items:
            out += ['-font', FONT_BOLD if bold else FONT, '-pointsize', str(size),
                    '-fill', 'rgb(%d,%d,%d)' % colour]
            if centre_in:
                cx0, cy0, cx1, cy1 = centre_in
                w, h = cx1 - cx0, cy1 - cy0
                out += ['-gravity', 'NorthWest', '-draw',
                        "text %d,%d '%s'" % (cx0 + max((w - len(text) * size * 0.52) / 2, 0), cy0 + (h - size) / 2 - 1,
                                             text.replace("'", ''))]
            else:
                out += ['-gravity', 'NorthWest', '-draw', "text %d,%d '%s'" % (x, y - 1, text.replace("'", ''))]
        return out


# ---------------------------------------------------------------------------------------------
# Window frame

def frame_parts(skin):
    p = 'Personality'
    parts = {}
    for side in ('Left', 'Right', 'Top', 'Bottom'):
        img = skin.image(p, side)
        parts[side] = dict(img=img, frames=skin.int(p, side + 'Frame', 1),
                           a=skin.int(p, side + 'TopHeight'), b=skin.int(p, side + 'BotHeight'),
                           stretch=skin.int(p, side + 'Stretch', 1) == 1)
    return parts


def draw_window(skin, texts, cw, ch, title, active=True, max_box=False, min_box=True, help_box=False, dialog=False,
                client=None):
    """Returns the window image (magenta outside its region) and the client origin."""
    parts = frame_parts(skin)
    L, R, T, B = parts['Left'], parts['Right'], parts['Top'], parts['Bottom']
    bl = L['img'].w // L['frames']
    br = R['img'].w // R['frames']
    caption = T['img'].h // T['frames']
    bb = B['img'].h // B['frames']
    W, H = bl + cw + br, caption + ch + bb
    # The pieces are copied opaque; their magenta pixels are what the window region cuts away.
    win = Image(W, H, skin.colour('ButtonFace'))
    k = lambda part: 1 if active or part['frames'] == 1 else 2
    element_cell(win, L['img'], cell_rect(L['img'], L['frames'], k(L)), (0, 0, bl, H), (0, L['a'], 0, L['b']), not L['stretch'], False)
    element_cell(win, R['img'], cell_rect(R['img'], R['frames'], k(R)), (W - br, 0, W, H), (0, R['a'], 0, R['b']), not R['stretch'], False)
    element_cell(win, B['img'], cell_rect(B['img'], B['frames'], k(B), True), (bl, H - bb, W - br, H), (B['a'], 0, B['b'], 0), not B['stretch'], False)
    element_cell(win, T['img'], cell_rect(T['img'], T['frames'], k(T), True), (bl, 0, W - br, caption), (T['a'], 0, T['b'], 0), not T['stretch'], False)
    cut = [c == MAGENTA for c in win.px]
    # title
    shift = skin.int('Personality', 'TextShift')
    clip = skin.int('Personality', 'TextRightClip')
    lc, rc = skin.int('Personality', 'TXTBackleft'), skin.int('Personality', 'TXTBackRight')
    text = '  ' + title + ' '
    tw = int(len(text) * 6.3) + lc + rc
    left = bl + shift - (16 if dialog else 0)
    right = min(left + tw, W - br - clip)
    back = skin.image('Personality', 'TextBack')
    if back is not None:
        three_part(win, back, 2, 1 if active else 2, (left, 0, right, caption), lc, rc)
    colour = skin.colour('TitleTextActive' if active else 'TitleTextNoActive')
    vshift = skin.int('Personality', 'TextShiftVert') // 2
    texts.add(left + lc, (caption - 13) // 2 + vshift, text, colour, 11, True)
    # caption buttons
    shared = None
    for i in range(10):
        sec = 'Button%d' % i
        if not skin.sec(sec):
            continue
        action = skin.int(sec, 'Action')
        vis, vis1 = skin.int(sec, 'Visibility'), skin.int(sec, 'Visibility1')
        x, y = skin.int(sec, 'Xcoord'), skin.int(sec, 'Ycoord')
        if action == 1 and vis == 2:
            shared = (x, y)
        if action == 4 and shared:
            x, y = shared
        img = skin.image(sec, 'ButtonImage')
        n = skin.int(sec, 'frame')

        # the visibility codes for a window that is normal (not maximized) and has a system menu
        def ok(code):
            return {0: True, 1: False, 2: True, 6: min_box or max_box, 8: min_box or max_box,
                    10: help_box and not (min_box or max_box)}.get(code, False)
        visible = ok(vis) and ok(vis1)
        enabled = True
        if action == 1:
            enabled = max_box
        if action in (3, 11) and dialog:
            visible = False
        if not visible or img is None:
            continue
        w = img.w // n
        bx = W - x if skin.int(sec, 'Align') == 1 else x
        cell = 1 if active and enabled else (4 if n >= 4 else 1)
        if action == 3:
            # the engine draws the program's own icon here
            draw_icon(win, bx, y)
            continue
        strip_cell(win, img, n, cell, (bx, y, bx + w, y + img.h))
    # client
    if client:
        client(win, bl, caption, cw, ch)
    for i, gone in enumerate(cut):
        if gone:
            win.px[i] = MAGENTA
    return win, (bl, caption)


_ICON = []


def program_icon():
    """The 16 x 16 entry of the program's icon as (r, g, b, a) rows."""
    if not _ICON:
        root = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
        with open(os.path.join(root, 'resources', 'perchpoints.ico'), 'rb') as f:
            data = f.read()
        count = struct.unpack_from('<H', data, 4)[0]
        for i in range(count):
            w, _, _, _, _, bits, _, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
            if w == 16 and bits == 32 and data[offset:offset + 4] == b'\x28\0\0\0':
                pixels = data[offset + 40:offset + 40 + 16 * 16 * 4]
                rows = []
                for row in range(16):
                    line = pixels[(15 - row) * 64:(16 - row) * 64]
                    rows.append([(line[4 * x + 2], line[4 * x + 1], line[4 * x], line[4 * x + 3]) for x in range(16)])
                _ICON.append(rows)
                break
        else:
            _ICON.append(None)
    return _ICON[0]


def draw_icon(win, x0, y0):
    rows = program_icon()
    if rows is None:
        return
    for y, line in enumerate(rows):
        for x, (r, g, b, a) in enumerate(line):
            i = (y0 + y) * win.w + x0 + x
            if a == 0 or not (0 <= x0 + x < win.w and 0 <= y0 + y < win.h):
                continue
            bg = win.px[i]
            k = a / 255.0
            win.px[i] = tuple(int(bg[c] + ((r, g, b)[c] - bg[c]) * k + 0.5) for c in range(3))


def place(canvas, win, x, y):
    canvas.blit(win, x, y, keyed=True)


# ---------------------------------------------------------------------------------------------
# Client contents

def perchpoints_client(skin, texts, move_on):
    def draw(win, ox, oy, cw, ch):
        strip = 24
        panel_h = ch - strip
        items = ['Projects', 'Photos 2024', 'Backup']
        ih = panel_h // len(items)
        for i, name in enumerate(items):
            r = (ox, oy + i * ih, ox + cw, oy + (i + 1) * ih if i < len(items) - 1 else oy + panel_h)
            frame3d(win, r, SYS_HILIGHT, SYS_SHADOW)
            texts.add(0, 0, name, MAROON, 12, False, centre_in=r)
        sy = oy + panel_h
        frame3d(win, (ox, sy, ox + cw, sy + strip), SYS_HILIGHT, SYS_SHADOW)
        # LED, off
        for yy in range(17):
            for xx in range(17):
                d = ((xx - 8) ** 2 + (yy - 8) ** 2) ** 0.5
                if d <= 7.5:
                    c = (0, 96, 0) if d <= 6.2 else (40, 40, 40)
                    win.px[(sy + 4 + yy) * win.w + ox + 8 + xx] = c
        check = skin.image('Buttons', 'CheckButton')
        n = skin.int('Buttons', 'CheckButtonFrame') or 4
        strip_cell(win, check, n, 5 if move_on else 1, (ox + 29, sy + 6, ox + 29 + check.w // n, sy + 6 + check.h))
        texts.add(ox + 48, sy + 5, 'Move Files' if move_on else 'Copy Files', (0, 0, 0), 12)
    return draw


def gallery_client(skin, texts):
    face = skin.colour('ButtonFace')
    text = skin.colour('ButtonText')

    def draw(win, ox, oy, cw, ch):
        x, y = ox + 10, oy + 10
        # push buttons
        btn = skin.image('Buttons', 'Bitmap')
        m = tuple(skin.int('Buttons', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        for i, (label, cell) in enumerate((('Normal', 1), ('Hot', 4), ('Pressed', 2), ('Default', 5), ('Disabled', 3))):
            r = (x + i * 82, y, x + i * 82 + 75, y + 25)
            element_cell(win, btn, cell_rect(btn, 5, cell), r, m)
            colour = (160, 160, 160) if cell == 3 else (skin.colour('ButtonText') if cell != 2 else
                                                         tuple(int(v) for v in skin.sec('Buttons').get('pressedcolour2', '0 0 0').split()))
            texts.add(0, 0, label, colour, 12, False, centre_in=r)
        y += 38
        # check boxes and radios
        chk = skin.image('Buttons', 'CheckButton')
        rad = skin.image('Buttons', 'RadioButton')
        for i, (label, cell) in enumerate((('Off', 1), ('On', 5), ('Mixed', 9), ('Disabled', 8))):
            strip_cell(win, chk, 12, cell, (x + i * 82, y, x + i * 82 + 13, y + 13))
            texts.add(x + i * 82 + 17, y - 1, label, (128, 128, 128) if cell in (4, 8, 12) else text, 12)
        for i, (label, cell) in enumerate((('One', 1), ('Two', 5))):
            strip_cell(win, rad, 8, cell, (x + i * 82, y + 22, x + i * 82 + 13, y + 35))
            texts.add(x + i * 82 + 17, y + 21, label, text, 12)
        for i, (label, cell) in enumerate((('Hot', 2), ('Off, dis.', 4), ('On, dis.', 8))):
            strip_cell(win, rad, 8, cell, (x + (i + 2) * 82, y + 22, x + (i + 2) * 82 + 13, y + 35))
            texts.add(x + (i + 2) * 82 + 17, y + 21, label, (128, 128, 128) if cell in (4, 8) else text, 12)
        y += 48
        # progress
        prog = skin.image('Progress', 'Bitmap')
        pm = tuple(skin.int('Progress', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        pr = (x, y, x + 200, y + 18)
        element_cell(win, prog, cell_rect(prog, 2, 1), pr, pm)
        element_cell(win, prog, cell_rect(prog, 2, 2), (x, y, x + 124, y + 18), pm)
        # track bar
        track = skin.image('Track')
        tm = tuple(skin.int('Track', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        element_cell(win, track, (0, 0, track.w, track.h), (x + 220, y + 7, x + 400, y + 7 + track.h), tm)
        thumb = skin.image('Trackbar.ThumbHorz')
        strip_cell(win, thumb, 5, 2, (x + 290, y - 1, x + 290 + thumb.w // 5, y - 1 + thumb.h))
        thumb = skin.image('Trackbar.ThumbDown')
        element_cell(win, track, (0, 0, track.w, track.h), (x + 220, y + 30, x + 400, y + 30 + track.h), tm)
        strip_cell(win, thumb, 5, 2, (x + 340, y + 23, x + 340 + thumb.w // 5, y + 23 + thumb.h))
        # scroll bar, horizontal
        y += 26
        sb = skin.image('Scrollbar')
        hs = skin.image('HorzScroll')
        ht = skin.image('HorzScrollThumb')
        tile = skin.int('HorzScroll', 'Tile') == 1
        hm = tuple(skin.int('HorzScroll', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        tmm = tuple(skin.int('HorzScrollThumb', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        a = 17
        bx0, bx1 = x, x + 200
        fill(win, (bx0, y, bx1, y + a), face)
        element_cell(win, hs, cell_rect(hs, 4, 1), (bx0 + a, y, bx1 - a, y + a), hm, tile)
        strip_cell(win, sb, 23, 1, (bx0, y, bx0 + a, y + a))
        strip_cell(win, sb, 23, 8, (bx1 - a, y, bx1, y + a))
        element_cell(win, ht, cell_rect(ht, 3, 3), (bx0 + 60, y, bx0 + 120, y + a), tmm)
        strip_cell(win, sb, 23, 19, (bx0 + 81, y, bx0 + 98, y + a))
        # vertical scroll bar at the right edge
        vs = skin.image('VertScroll')
        vt = skin.image('VertScrollThumb')
        vm = tuple(skin.int('VertScroll', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        vtm = tuple(skin.int('VertScrollThumb', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        vx = ox + cw - a - 1
        vy0, vy1 = oy + 1, oy + ch - 1
        fill(win, (vx, vy0, vx + a, vy1), face)
        element_cell(win, vs, cell_rect(vs, 4, 1), (vx, vy0 + a, vx + a, vy1 - a), vm, tile)
        strip_cell(win, sb, 23, 9, (vx, vy0, vx + a, vy0 + a))
        strip_cell(win, sb, 23, 14, (vx, vy1 - a, vx + a, vy1))
        element_cell(win, vt, cell_rect(vt, 3, 1), (vx, vy0 + 40, vx + a, vy0 + 100), vtm)
        strip_cell(win, sb, 23, 20, (vx, vy0 + 61, vx + a, vy0 + 78))
        # combo boxes: composed like the loader does
        y += 28
        for i, (state, label) in enumerate(((1, 'Combo box'), (4, 'Hot'))):
            draw_combo(skin, win, texts, (x + i * 160, y, x + i * 160 + 150, y + 21), state, label)
        # up-down beside an edit
        ud = skin.image('UpDown.Vert')
        udg = skin.image('UpDown.Vert', 'GlyphImage')
        um = tuple(skin.int('UpDown.Vert', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        ex = x + 330
        sunk = skin.image('SunkEdge')
        sm = tuple(skin.int('SunkEdge', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        element_cell(win, sunk, cell_rect(sunk, 4, 1), (ex, y, ex + 50, y + 22), sm)
        texts.add(ex + 6, y + 4, '42', text, 12)
        for half, cell in ((0, 1), (1, 6)):
            r = (ex + 52, y + half * 11, ex + 68, y + half * 11 + 11)
            element_cell(win, ud, cell_rect(ud, 8, cell), r, um)
            gw = udg.w // 8
            gx = r[0] + (16 - gw) // 2
            gy = r[1] + (11 - udg.h) // 2
            strip_cell(win, udg, 8, cell, (gx, gy, gx + gw, gy + udg.h))
        # tabs and pane
        y += 34
        tabs = skin.image('Tabs')
        border = skin.image('Tabs', 'Border')
        tbm = tuple(skin.int('Tabs', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        pane = (x - 4, y + 22, x + 260, y + 96)
        element_cell(win, border, (0, 0, border.w, border.h), pane, (4, 5, 4, 4))
        tx = x
        for label, cell in (('General', 2), ('Advanced', 1), ('About', 1)):
            w = len(label) * 7 + 16
            r = (tx, y + 1, tx + w, y + 23)
            element_cell(win, tabs, cell_rect(tabs, 5, cell), r, tbm)
            texts.add(0, 0, label, text, 12, False, centre_in=(r[0], r[1] + (0 if cell == 2 else 1), r[2], r[3]))
            tx += w
        # group box inside the pane
        edge = skin.image('GroupBoxEdge')
        em = tuple(skin.int('GroupBoxEdge', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        element_cell(win, edge, cell_rect(edge, 2, 1), (x + 8, y + 40, x + 248, y + 88), em)
        label = skin.image('GroupBox')
        lm = tuple(skin.int('GroupBox', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        element_cell(win, label, (0, 0, label.w, label.h), (x + 16, y + 31, x + 84, y + 49), lm)
        texts.add(x + 22, y + 32, 'Options', text, 12)
        tb = skin.image('ToolBars')
        tm = tuple(skin.int('ToolBars', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        for i, cell in enumerate((1, 4, 2, 5)):
            r = (x + 20 + i * 26, y + 56, x + 44 + i * 26, y + 80)
            element_cell(win, tb, cell_rect(tb, 5, cell), r, tm)
            fill(win, (r[0] + 8, r[1] + 8, r[0] + 16, r[1] + 16), skin.colour('ButtonShadow'))
        # popup menu at the right
        draw_menu(skin, win, texts, (x + 278, y - 20))
        # status bar along the bottom
        se = skin.image('StatusBarEdges')
        sem = tuple(skin.int('StatusBarEdges', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        sy = oy + ch - 20
        fill(win, (ox, sy, ox + cw - a - 1, oy + ch), face)
        element_cell(win, se, cell_rect(se, 3, 1), (ox + 2, sy + 2, ox + 200, oy + ch), sem)
        element_cell(win, se, cell_rect(se, 3, 1), (ox + 202, sy + 2, ox + cw - a - 1, oy + ch), sem)
        texts.add(ox + 6, sy + 3, 'Ready', text, 12)
        ex_img = skin.image('ExtraImages')
        g = ex_img.w // 5
        strip_cell(win, ex_img, 5, 5, (ox + cw - a - 2 - g, oy + ch - 1 - ex_img.h, ox + cw - a - 2, oy + ch - 1))
    return draw


def draw_combo(skin, win, texts, r, cell, label):
    sunk, btn, extra = skin.image('SunkEdge'), skin.image('ComboButton'), skin.image('ExtraImages')
    sm = tuple(skin.int('SunkEdge', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
    bm = tuple(skin.int('ComboButton', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
    W = 19
    comp = Image(50, 21)
    element_cell(comp, sunk, cell_rect(sunk, 4, cell), (0, 0, 50, 21), sm)
    element_cell(comp, btn, cell_rect(btn, 4, cell), (50 - W, 0, 50, 21), bm)
    ew = extra.w // 5
    ex = 50 - W + (W - ew) // 2
    ey = (21 - extra.h) // 2
    strip_cell(comp, extra, 5, cell, (ex, ey, ex + ew, ey + extra.h))
    fill(comp, (2, 2, 49 - W, 18), MAGENTA)
    element_cell(win, comp, (0, 0, 50, 21), r, (2, sm[1], W + 2, sm[3]))
    fill(win, (r[0] + 2, r[1] + 2, r[2] - W - 2, r[3] - 2), (255, 255, 255))
    texts.add(r[0] + 5, r[1] + 3, label, skin.colour('WindowText'), 12)


def draw_menu(skin, win, texts, origin):
    x0, y0 = origin
    items = ['Create new perchpoint', 'Set perchpoint short title', '-', 'Use short titles', 'Change skin', '-', 'EXIT']
    ih = 20
    heights = [8 if s == '-' else ih for s in items]
    w, h = 188, sum(heights) + 6
    bg_img = skin.image('MenuBackground')
    mm = tuple(skin.int('MenuBackground', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
    menu = Image(w, h)
    element_cell(menu, bg_img, (0, 0, bg_img.w, bg_img.h), (0, 0, w, h), mm, trans=False)
    mi = skin.image('MenuItem')
    im = tuple(skin.int('MenuItem', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
    y = 3
    for i, (label, hh) in enumerate(zip(items, heights)):
        r = (3, y, w - 3, y + hh)
        if label == '-':
            cw = mi.w // 5
            sx0 = cw
            src_h = mi.h
            top = src_h - hh if src_h > hh else 0
            element_cell(menu, mi, (sx0, top, sx0 + cw, src_h), r, (im[0], 0, im[2], 0))
        else:
            selected = i == 4
            if selected:
                element_cell(menu, mi, cell_rect(mi, 5, 4), r, im)
            colour = skin.colour('HilightText' if selected else 'MenuText')
            texts.add(x0 + 3 + 1 + im[0] + 16 + 3, y0 + y + 3, label, colour, 12)
            if label == 'Use short titles':
                texts.add(x0 + 3 + 1 + im[0] + 3, y0 + y + 2, 'v', colour, 12, True)
        y += hh
    win.blit(menu, x0, y0)


# ---------------------------------------------------------------------------------------------

def render(skin_dir, out_png, title):
    skin = Skin(skin_dir)
    texts = Texts()
    canvas = Image(900, 560, DESKTOP)
    # the program's own window, active with move on, and inactive
    win, _ = draw_window(skin, texts, 272, 156, 'Perchpoints', True, client=perchpoints_client(skin, texts, True))
    shift_texts(texts, 0, 14, 14)
    place(canvas, win, 14, 14)
    n = len(texts.items)
    win2, _ = draw_window(skin, texts, 272, 156, 'Perchpoints', False, client=perchpoints_client(skin, texts, False))
    shift_texts(texts, n, 14, 14 + win.h + 14)
    place(canvas, win2, 14, 14 + win.h + 14)
    # control gallery in a sizeable window with a maximize box
    n = len(texts.items)
    gx = 14 + win.w + 20
    win3, _ = draw_window(skin, texts, 900 - gx - 30, 330, 'Controls - ' + title, True, max_box=True,
                          client=gallery_client(skin, texts))
    shift_texts(texts, n, gx, 14)
    place(canvas, win3, gx, 14)
    # menu bar strip sample and a dialog caption underneath
    n = len(texts.items)
    dlg, _ = draw_window(skin, texts, 300, 60, 'Message', True, min_box=False, dialog=True,
                         client=dialog_client(skin, texts))
    shift_texts(texts, n, gx, 14 + win3.h + 14)
    place(canvas, dlg, gx, 14 + win3.h + 14)
    h = max(14 + win2.h + 14 + win.h, 14 + win3.h + 14 + dlg.h) + 14
    canvas = canvas.crop(0, 0, canvas.w, h)
    with tempfile.TemporaryDirectory() as tmp:
        base = os.path.join(tmp, 'base.png')
        with open(base, 'wb') as f:
            f.write(png_bytes(canvas))
        subprocess.run(['convert', base] + texts.args() + SMALL_PNG + ['PNG8:' + out_png], check=True)
    return (14, 14, win.w, win.h)


def dialog_client(skin, texts):
    def draw(win, ox, oy, cw, ch):
        mb = skin.image('Personality', 'menuBar')
        mm = (skin.int('Personality', 'TileLeftMenu', 1), 0, skin.int('Personality', 'TileRightMenu', 1), 0)
        element_cell(win, mb, cell_rect(mb, 2, 1, True), (ox, oy, ox + cw, oy + 19), mm, trans=False)
        for i, label in enumerate(('File', 'Edit', 'View')):
            texts.add(ox + 6 + i * 40, oy + 2, label, skin.colour('MenuBarText'), 12)
        btn = skin.image('Buttons', 'Bitmap')
        m = tuple(skin.int('Buttons', k) for k in ('LeftWidth', 'TopHeight', 'RightWidth', 'BottomHeight'))
        r = (ox + cw - 170, oy + ch - 31, ox + cw - 95, oy + ch - 8)
        element_cell(win, btn, cell_rect(btn, 5, 5), r, m)
        texts.add(0, 0, 'OK', skin.colour('ButtonText'), 12, False, centre_in=r)
        r = (ox + cw - 85, oy + ch - 31, ox + cw - 10, oy + ch - 8)
        element_cell(win, btn, cell_rect(btn, 5, 1), r, m)
        texts.add(0, 0, 'Cancel', skin.colour('ButtonText'), 12, False, centre_in=r)
        texts.add(ox + 10, oy + 27, 'Add this folder?', (0, 0, 0), 12)
    return draw


def shift_texts(texts, start, dx, dy):
    for i in range(start, len(texts.items)):
        x, y, text, colour, size, bold, centre_in = texts.items[i]
        if centre_in:
            centre_in = (centre_in[0] + dx, centre_in[1] + dy, centre_in[2] + dx, centre_in[3] + dy)
        texts.items[i] = (x + dx, y + dy, text, colour, size, bold, centre_in)


def contact_sheet(skin_dir, out_png):
    """Every image of the skin at twice its size (small ones three times), with its name; the
    transparent magenta is left visible so keyed edges can be checked."""
    names = sorted(n for n in os.listdir(skin_dir) if n.endswith('.bmp'))
    images = []
    for name in names:
        with open(os.path.join(skin_dir, name), 'rb') as f:
            images.append((name, read_bmp(f.read())))
    width, label_w, pad = 1000, 130, 8
    placed, x, y, row_h = [], label_w, pad, 0
    for name, img in images:
        scale = 3 if img.w * 3 <= 420 and img.h <= 24 else 2
        if img.w * scale > width - label_w - pad:
            scale = 1
        w, h = img.w * scale, img.h * scale
        if x + w > width - pad and x > label_w:
            x, y, row_h = label_w, y + row_h + pad, 0
        placed.append((name, img, scale, x, y))
        x += w + 3 * pad + 110
        row_h = max(row_h, h + 14)
    height = y + row_h + pad
    sheet = Image(width, height, (236, 236, 236))
    texts = Texts()
    for name, img, scale, px, py in placed:
        for yy in range(img.h * scale):
            for xx in range(img.w * scale):
                sheet.px[(py + yy) * width + px + xx] = img.px[(yy // scale) * img.w + xx // scale]
        texts.add(px, py + img.h * scale + 1, '%s  %dx%d' % (name[:-4], img.w, img.h), (40, 40, 40), 10)
    with tempfile.TemporaryDirectory() as tmp:
        base = os.path.join(tmp, 'sheet.png')
        with open(base, 'wb') as f:
            f.write(png_bytes(sheet))
        subprocess.run(['convert', base] + texts.args() + SMALL_PNG + ['PNG8:' + out_png], check=True)


def main(argv=None):
    root = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('--skins', default=os.path.join(root, 'skins'))
    ap.add_argument('--out', default=os.path.join(root, 'docs', 'skins'))
    ap.add_argument('--only', type=int, nargs='*')
    ap.add_argument('--no-sheets', action='store_true')
    args = ap.parse_args(argv)
    os.makedirs(args.out, exist_ok=True)
    folders = sorted(d for d in os.listdir(args.skins) if os.path.isdir(os.path.join(args.skins, d)))
    tiles = []
    with tempfile.TemporaryDirectory() as tmp:
        for folder in folders:
            n = int(folder.split('-')[0])
            if args.only and n not in args.only:
                continue
            skin_dir = os.path.join(args.skins, folder)
            title = Skin(skin_dir).sec('TitlebarSkin').get('skinname', folder)
            mock = os.path.join(args.out, folder + '-mockup.png')
            x, y, w, h = render(skin_dir, mock, title)
            tile = os.path.join(tmp, folder + '.png')
            subprocess.run(['convert', mock, '-crop', '%dx%d+%d+%d' % (w + 8, h + 8, x - 4, y - 4), '+repage', tile], check=True)
            tiles += ['-label', '%d  %s' % (n, title), tile]
            if not args.no_sheets:
                contact_sheet(skin_dir, os.path.join(args.out, folder + '-sheet.png'))
            print(folder)
        if not args.only:
            subprocess.run(['montage', '-font', FONT, '-pointsize', '12', '-background', 'rgb(%d,%d,%d)' % DESKTOP,
                            '-fill', 'white', '-geometry', '+10+6', '-tile', '4x'] + tiles
                           + ['-strip', '-depth', '8', os.path.join(args.out, 'overview.png')], check=True)


if __name__ == '__main__':
    main()
