#!/usr/bin/env python3
"""Checks of the generated skins: committed output matches the generator, every description key
is one the loaders read, every image is present and cuts into whole cells, and keyed edges are
clean.

    python3 tools/skingen/test_skingen.py
"""

import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # nothing generated beside the sources
sys.path.insert(0, HERE)

import skingen  # noqa: E402
from preview import read_ini  # noqa: E402
from raster import MAGENTA, Image, Layer, bmp_bytes, contrast, read_bmp, rect, rrect  # noqa: E402
from themes import THEMES  # noqa: E402

ROOT = os.path.abspath(os.path.join(HERE, '..', '..'))
SKINS = os.path.join(ROOT, 'skins')

GENERIC = {'image', 'style', 'leftwidth', 'rightwidth', 'topheight', 'bottomheight', 'frame', 'trans', 'tile',
           'normalcolour', 'mouseovercolour', 'pressedcolour', 'normalcolour2', 'mouseovercolour2', 'pressedcolour2'}
SIDES = {s + k for s in ('left', 'right', 'top', 'bottom') for k in ('', 'topheight', 'botheight', 'frame', 'stretch', 'trans')}
KNOWN = {
    'titlebarskin': {'skinname', 'author'},
    'personality': SIDES | {'textback', 'textshift', 'textshiftvert', 'textrightclip', 'textalignment', 'textbackground',
                            'txtbackleft', 'txtbackright', 'menubar', 'tilemenu', 'tileleftmenu', 'tilerightmenu'}
    | {p + c for p in ('activetext', 'inactivetext') for c in 'rgb'},
    'fonts': {'fontheight'},
    'colours': {'windowtext', 'buttonface', 'scrollbar', 'hilighttext', 'hilight', 'menubar', 'menu', 'menutext',
                'buttontext', 'buttonhilight', 'buttonlight', 'buttonshadow', 'buttondkshadow', 'menubartext',
                'titletextactive', 'titletextnoactive'},
    'customcolors': {'color%d' % i for i in range(10)},
    'mdicontrols': {'image'},
    'buttons': (GENERIC - {'image', 'style', 'frame'}) | {'bitmap', 'checkbutton', 'radiobutton', 'checkbuttonframe',
                                                         'radiobuttonframe'},
    'progress': {'bitmap', 'style', 'leftwidth', 'rightwidth', 'topheight', 'bottomheight', 'trans', 'tile'},
    'groupbox': GENERIC | {'backgroundalignment', 'backgroundleftshift', 'backgroundrightshift'},
    'tabs': GENERIC | {'border'},
    'updown.horz': GENERIC | {'glyphimage'},
    'updown.vert': GENERIC | {'glyphimage'},
    'horzscrollthumb': GENERIC | {'framecount'},
    'vertscrollthumb': GENERIC | {'framecount'},
}
for name in ('progress.chunk', 'groupboxedge', 'statusbaredges', 'tab.pane', 'toolbars', 'combobutton', 'sunkedge',
             'extraimages', 'headerbar', 'menuitem', 'menubackground', 'scrollbar', 'horzscroll', 'vertscroll',
             'track', 'trackvert') + tuple('trackbar.thumb' + s for s in ('horz', 'vert', 'left', 'right', 'up', 'down')):
    KNOWN[name] = GENERIC
CAPTION_KEYS = {'action', 'align', 'xcoord', 'ycoord', 'visibility', 'visibility1', 'combineop', 'frame', 'buttonimage'}
IMAGE_KEYS = {'image', 'bitmap', 'checkbutton', 'radiobutton', 'border', 'glyphimage', 'buttonimage', 'textback',
              'menubar', 'left', 'right', 'top', 'bottom'}

# (section, image key, cells, stacked); None for cells means "the section's Frame key"
CELLS = [
    ('personality', 'left', 2, False), ('personality', 'right', 2, False), ('personality', 'top', 2, True),
    ('personality', 'bottom', 2, True), ('personality', 'textback', 2, True), ('personality', 'menubar', 2, True),
    ('buttons', 'bitmap', 5, False), ('buttons', 'checkbutton', 12, False), ('buttons', 'radiobutton', 8, False),
    ('mdicontrols', 'image', 12, False), ('progress', 'bitmap', 2, False), ('groupboxedge', 'image', 2, False),
    ('tabs', 'image', 5, False), ('statusbaredges', 'image', 3, False), ('toolbars', 'image', 5, False),
    ('combobutton', 'image', 4, False), ('sunkedge', 'image', 4, False), ('extraimages', 'image', 5, False),
    ('headerbar', 'image', 5, False), ('menuitem', 'image', 5, False), ('scrollbar', 'image', 23, False),
    ('horzscroll', 'image', 4, False), ('vertscroll', 'image', 4, False), ('horzscrollthumb', 'image', 3, False),
    ('vertscrollthumb', 'image', 3, False), ('updown.horz', 'image', 8, False), ('updown.horz', 'glyphimage', 8, False),
    ('updown.vert', 'image', 8, False), ('updown.vert', 'glyphimage', 8, False),
] + [('trackbar.thumb' + s, 'image', 5, False) for s in ('horz', 'vert', 'left', 'right', 'up', 'down')]


def skin_folders():
    return [os.path.join(SKINS, t.folder) for t in THEMES]


def load(folder, name):
    with open(os.path.join(folder, name), 'rb') as f:
        return read_bmp(f.read())


class CommittedOutput(unittest.TestCase):
    def test_skins_folder_matches_the_generator(self):
        with tempfile.TemporaryDirectory() as tmp:
            for t in THEMES:
                skingen.write_skin(t, tmp)
            for t in THEMES:
                fresh, committed = os.path.join(tmp, t.folder), os.path.join(SKINS, t.folder)
                self.assertEqual(sorted(os.listdir(fresh)), sorted(os.listdir(committed)), t.folder)
                for name in os.listdir(fresh):
                    with open(os.path.join(fresh, name), 'rb') as a, open(os.path.join(committed, name), 'rb') as b:
                        self.assertTrue(a.read() == b.read(), '%s/%s is stale: run tools/skingen/skingen.py' % (t.folder, name))

    def test_folders_are_numbered_in_store_order(self):
        self.assertEqual([t.folder.split('-')[0] for t in THEMES], [str(i) for i in range(8)])
        self.assertEqual(len({t.title for t in THEMES}), 8)


class Descriptions(unittest.TestCase):
    def test_every_key_is_one_the_loaders_read(self):
        for folder in skin_folders():
            ini = read_ini(os.path.join(folder, skingen.INI_NAME))
            for section, keys in ini.items():
                if section.startswith('button') and section not in KNOWN:
                    allowed = CAPTION_KEYS
                elif section.startswith('colour') and section != 'colours':
                    allowed = {'color'}
                else:
                    self.assertIn(section, KNOWN, '%s: unknown section [%s]' % (folder, section))
                    allowed = KNOWN[section]
                for key in keys:
                    self.assertIn(key, allowed, '%s: [%s] %s is read by nobody' % (folder, section, key))

    def test_one_description_and_exactly_the_images_it_names(self):
        for folder in skin_folders():
            names = os.listdir(folder)
            self.assertEqual([n for n in names if n.endswith('.ini')], [skingen.INI_NAME])
            ini = read_ini(os.path.join(folder, skingen.INI_NAME))
            used = set()
            for section, keys in ini.items():
                for key, value in keys.items():
                    if key in IMAGE_KEYS and value.endswith('.bmp'):
                        self.assertEqual(value, value.lower(), 'archive names are looked up lower-cased')
                        self.assertIn(value, names, '%s: [%s] %s' % (folder, section, key))
                        used.add(value)
            self.assertEqual(sorted(used), sorted(n for n in names if n.endswith('.bmp')), folder)

    def test_all_sixteen_colours_are_given(self):
        for folder in skin_folders():
            colours = read_ini(os.path.join(folder, skingen.INI_NAME))['colours']
            self.assertEqual(set(colours), KNOWN['colours'])
            for value in colours.values():
                parts = value.split()
                self.assertEqual(len(parts), 3)
                self.assertTrue(all(0 <= int(p) <= 255 for p in parts))


class Images(unittest.TestCase):
    def test_images_cut_into_whole_cells(self):
        for folder in skin_folders():
            ini = read_ini(os.path.join(folder, skingen.INI_NAME))
            for section, key, cells, stacked in CELLS:
                img = load(folder, ini[section][key])
                length = img.h if stacked else img.w
                self.assertEqual(length % cells, 0, '%s: [%s] %s is %dx%d' % (folder, section, key, img.w, img.h))

    def test_combo_arrows_stand_out_from_their_buttons(self):
        # Normal, pressed and hot (the disabled cell is exempt): the arrow's strongest pixel (its
        # core; the edges are anti-aliased) against the button's middle (the field where the
        # button is keyed out), at least 3:1 as for any graphic.
        for t, folder in zip(THEMES, skin_folders()):
            ini = read_ini(os.path.join(folder, skingen.INI_NAME))
            arrows = load(folder, ini['extraimages']['image'])
            button = load(folder, ini['combobutton']['image'])
            aw, bw = arrows.w // 5, button.w // 4
            for cell in (1, 2, 4):
                under = tuple(button.get(bw * (cell - 1) + bw // 2, button.h // 2)[:3])
                if under == tuple(MAGENTA):
                    under = tuple(int(v) for v in t.field)
                pixels = [tuple(arrows.get(x, y)[:3]) for y in range(arrows.h) for x in range(aw * (cell - 1), aw * cell)]
                best = max(contrast(c, under) for c in pixels if c != tuple(MAGENTA))
                self.assertGreaterEqual(best, 3.0, '%s cell %d: arrow on %s' % (t.title, cell, under))

    def test_caption_buttons_fit_the_caption(self):
        for folder in skin_folders():
            ini = read_ini(os.path.join(folder, skingen.INI_NAME))
            p = ini['personality']
            caption = load(folder, p['top']).h // 2
            border = load(folder, p['right']).w // 2
            for section in ('button%d' % i for i in range(6)):
                keys = ini[section]
                img = load(folder, keys['buttonimage'])
                width = img.w // int(keys['frame'])
                y = int(keys['ycoord'])
                self.assertGreaterEqual(y, 1)
                self.assertLessEqual(y + img.h, caption - 1, '%s %s' % (folder, section))
                if keys['align'] == '1':
                    self.assertGreaterEqual(int(keys['xcoord']) - width, border, '%s %s overlaps the border' % (folder, section))

    def test_caption_buttons_do_not_overlap_and_the_title_stops_short_of_them(self):
        for folder in skin_folders():
            ini = read_ini(os.path.join(folder, skingen.INI_NAME))
            border = load(folder, ini['personality']['right']).w // 2
            spans = []
            for section in ('button0', 'button1', 'button3'):
                keys = ini[section]
                width = load(folder, keys['buttonimage']).w // int(keys['frame'])
                spans.append((int(keys['xcoord']) - width, int(keys['xcoord'])))
            spans.sort()
            for (_, a1), (b0, _) in zip(spans, spans[1:]):
                self.assertLessEqual(a1, b0, '%s: caption buttons overlap' % folder)
            # the title is clipped at TextRightClip from the caption piece's right end
            clip = int(ini['personality']['textrightclip'])
            self.assertGreaterEqual(clip + border, spans[-1][1], '%s: the title runs under the buttons' % folder)
            # help and restore sit where maximize sits
            for section in ('button2', 'button4'):
                self.assertEqual(ini[section]['xcoord'], ini['button1']['xcoord'])

    def test_window_corners_are_cut_and_the_client_edge_is_not(self):
        for folder in skin_folders():
            left = load(folder, 'frameleft.bmp')
            cell = left.w // 2
            for k in range(2):
                self.assertEqual(left.get(k * cell, 0), MAGENTA, folder)
                self.assertNotEqual(left.get(k * cell + cell - 1, left.h // 2), MAGENTA, folder)
            # both states cut the same outline, so the region does not depend on activation
            for y in range(left.h):
                for x in range(cell):
                    self.assertEqual(left.get(x, y) == MAGENTA, left.get(cell + x, y) == MAGENTA)

    def test_keyed_edges_do_not_lean_towards_magenta(self):
        """An edge pixel next to the key colour must not be a mix of its inner neighbours and
        magenta: that shows as a pink fringe wherever the image is drawn."""
        def towards_magenta(c, n):
            d = [m - v for m, v in zip(MAGENTA, n)]
            dd = sum(v * v for v in d)
            if dd == 0:
                return False
            e = [a - v for a, v in zip(c, n)]
            t = sum(a * b for a, b in zip(e, d)) / dd
            off = sum((e[i] - t * d[i]) ** 2 for i in range(3)) ** 0.5
            return t > 0.2 and off < 10
        for folder in skin_folders():
            for name in os.listdir(folder):
                if not name.endswith('.bmp'):
                    continue
                img = load(folder, name)
                px = lambda x, y: img.get(x, y) if 0 <= x < img.w and 0 <= y < img.h else None
                for y in range(img.h):
                    for x in range(img.w):
                        c = img.get(x, y)
                        around = [px(x + 1, y), px(x - 1, y), px(x, y + 1), px(x, y - 1)]
                        if c == MAGENTA or MAGENTA not in around:
                            continue
                        inner = [n for n in around if n is not None and n != MAGENTA]
                        if inner and all(towards_magenta(c, n) for n in inner):
                            self.fail('%s/%s (%d, %d) = %s next to %s' % (os.path.basename(folder), name, x, y, c, inner))

class Raster(unittest.TestCase):
    def test_bitmap_rows_are_padded_and_read_back(self):
        for w in (1, 2, 3, 5, 17):
            img = Image(w, 3)
            for x in range(w):
                img.set(x, 1, (x * 10, 200, 30))
            back = read_bmp(bmp_bytes(img))
            self.assertEqual((back.w, back.h), (w, 3))
            self.assertEqual(back.px, img.px)
            data = bmp_bytes(img)
            self.assertEqual(len(data), 54 + ((w * 3 + 3) & ~3) * 3)

    def test_a_drawn_pixel_never_equals_the_key(self):
        img = Image(2, 1)
        img.set(0, 0, (255, 0, 255))
        img.set(1, 0, (254.6, 0.4, 255))
        self.assertNotEqual(img.get(0, 0), MAGENTA)
        self.assertNotEqual(img.get(1, 0), MAGENTA)

    def test_keying_blends_edges_towards_the_real_background(self):
        layer = Layer(12, 12)
        layer.paint(rrect(0, 0, 12, 12, 5), (0, 0, 0))
        img = layer.keyed((200, 200, 200), threshold=0.2)
        self.assertEqual(img.get(0, 0), MAGENTA)
        self.assertEqual(img.get(6, 6), (0, 0, 0))
        edge = [img.get(x, 1) for x in range(12) if img.get(x, 1) not in (MAGENTA, (0, 0, 0))]
        self.assertTrue(edge, 'the rounded corner should have blended pixels')
        for c in edge:
            self.assertTrue(c[0] == c[1] == c[2], 'blended towards grey, not towards magenta: %s' % (c,))

    def test_straight_edges_on_whole_pixels_are_crisp(self):
        layer = Layer(6, 6)
        layer.paint(rect(1, 1, 5, 5), (10, 20, 30))
        img = layer.keyed()
        self.assertEqual([img.get(x, 3) for x in range(6)], [MAGENTA] + [(10, 20, 30)] * 4 + [MAGENTA])


if __name__ == '__main__':
    unittest.main()
