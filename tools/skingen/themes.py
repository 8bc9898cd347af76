"""The eight Perchpoints skins as palettes, metrics and style switches.

Every skin keeps a light ButtonFace: the program's own client area paints black and maroon text
and system bevels on the face colour, so a dark face would make the target list unreadable.
Character comes from the window chrome, the menus and the accent colour instead.
"""

from raster import lerp, shade


class Theme:
    def __init__(self, **kw):
        # Defaults shared by the modern skins; each skin overrides what makes it itself.
        self.folder = ''
        self.title = ''
        self.blurb = ''
        # frame metrics
        self.border = 5          # left, right and bottom border width
        self.caption = 28        # whole top piece: top edge and caption
        self.r_top = 8           # corner radius of the top corners
        self.r_bottom = 4
        self.frame_style = 'shell'   # 'shell' (caption spans the full width) or 'bevel'
        self.caption_axis = 'v'      # caption gradient direction: 'v' or 'h'
        self.gloss = 0.0             # strength of a glass highlight on the upper caption half
        self.wood = False
        self.mid_w = 32              # stretched middle of the caption in the model frame
        self.band_top = 1            # first caption row below the outline
        # caption buttons
        self.cb_style = 'flat'
        self.cb_size = (26, 20)
        self.cb_gap = 2
        self.cb_margin = 3           # space between the right border and the close button
        self.cb_dy = 0
        self.glyph_weight = 'thin'
        # title
        self.title_back = None       # None, 'pill', 'glow', 'plaque'
        self.title_back_colour = (255, 255, 255)
        self.title_back_alpha = 0.16
        # controls
        self.ctl_radius = 3
        for k, v in kw.items():
            if not hasattr(self, k) and k not in OPTIONAL:
                raise AttributeError(k)
            setattr(self, k, v)
        self.derive()

    def derive(self):
        f = self.face
        if not hasattr(self, 'light'):
            self.light = shade(f, 0.45)
        if not hasattr(self, 'white'):
            self.white = (255, 255, 255)
        if not hasattr(self, 'field'):
            self.field = (255, 255, 255)            # inside check boxes, edits, combo boxes
        if not hasattr(self, 'menubar'):
            self.menubar = f
        if not hasattr(self, 'menubartext'):
            self.menubartext = self.menutext
        if not hasattr(self, 'scrollbar'):
            self.scrollbar = shade(f, 0.35)
        if not hasattr(self, 'track'):
            self.track = lerp(f, self.shadow, 0.12)
        if not hasattr(self, 'disabled_text'):
            self.disabled_text = self.shadow
        if not hasattr(self, 'tab_text'):
            self.tab_text = self.text
        if not hasattr(self, 'border_profile'):
            self.border_profile = None


# Attributes a theme may set that have no default above (derive() fills some of them).
OPTIONAL = {
    'face', 'light', 'white', 'hilight', 'shadow', 'dkshadow', 'text', 'wintext', 'sel', 'seltext',
    'menu', 'menutext', 'menubar', 'menubartext', 'scrollbar', 'field', 'accent', 'accent_dark',
    'title_active', 'title_inactive', 'cap_active', 'cap_inactive', 'outline_active',
    'outline_inactive', 'edge_active', 'edge_inactive', 'border_active', 'border_inactive',
    'highlight', 'track', 'disabled_text', 'tab_text', 'border_profile', 'btn', 'cb', 'sb',
    'menu_sel', 'menu_sel_border', 'custom', 'extra', 'cb_disabled_glyph',
}


def btn_kit(border, normal, hot, pressed, disabled, focus, border_hot=None, border_disabled=None,
            gloss=0.0, text=(0, 0, 0), text_hot=None, text_pressed=None):
    """Push-button look: fills are (top, bottom) gradient pairs."""
    return dict(border=border, normal=normal, hot=hot, pressed=pressed, disabled=disabled, focus=focus,
                border_hot=border_hot or focus, border_disabled=border_disabled or lerp(border, normal[0], 0.55),
                gloss=gloss, text=text, text_hot=text_hot or text, text_pressed=text_pressed or text)


THEMES = [
    # 0 -------------------------------------------------------------------------------------
    Theme(
        folder='0-classic', title='Classic',
        blurb='the familiar grey desktop with a navy-to-sky gradient caption and raised bevels',
        face=(212, 208, 200), light=(212, 208, 200), hilight=(255, 255, 255), shadow=(128, 128, 128),
        dkshadow=(64, 64, 64), text=(0, 0, 0), wintext=(0, 0, 0), sel=(10, 36, 106), seltext=(255, 255, 255),
        menu=(212, 208, 200), menutext=(0, 0, 0), menubar=(212, 208, 200), scrollbar=(234, 232, 228),
        accent=(10, 36, 106), accent_dark=(0, 0, 0),
        title_active=(255, 255, 255), title_inactive=(212, 208, 200),
        cap_active=[(10, 36, 106), (166, 202, 240)], cap_inactive=[(128, 128, 128), (192, 192, 192)],
        outline_active=(64, 64, 64), outline_inactive=(64, 64, 64),
        edge_active=(212, 208, 200), edge_inactive=(212, 208, 200),
        border=4, caption=23, r_top=3, r_bottom=2, frame_style='bevel', caption_axis='h', mid_w=96,
        band_top=4, cb_style='bevel', cb_size=(16, 14), cb_gap=2, cb_margin=2, glyph_weight='bold',
        ctl_radius=0, track=(234, 232, 228),
    ),
    # 1 -------------------------------------------------------------------------------------
    Theme(
        folder='1-porcelain', title='Porcelain',
        blurb='the default: quiet white and pale grey chrome, hairline outline, cobalt accents',
        face=(240, 240, 240), light=(227, 227, 227), hilight=(255, 255, 255), shadow=(160, 160, 160),
        dkshadow=(105, 105, 105), text=(28, 30, 34), wintext=(0, 0, 0), sel=(0, 103, 192), seltext=(255, 255, 255),
        menu=(251, 251, 252), menutext=(24, 26, 30), menubar=(246, 246, 247), scrollbar=(240, 240, 240),
        accent=(0, 103, 192), accent_dark=(0, 72, 140),
        title_active=(30, 34, 42), title_inactive=(150, 153, 158),
        cap_active=[(253, 253, 254), (234, 235, 238)], cap_inactive=[(250, 250, 250), (243, 243, 244)],
        outline_active=(112, 118, 128), outline_inactive=(172, 174, 178),
        edge_active=(196, 199, 205), edge_inactive=(214, 215, 218),
        border_active=(234, 235, 238), border_inactive=(243, 243, 244),
        highlight=((255, 255, 255), 0.9),
        cb_style='flat', cb_size=(28, 20), glyph_weight='thin',
        track=(232, 232, 233),
    ),
    # 2 -------------------------------------------------------------------------------------
    Theme(
        folder='2-graphite', title='Graphite',
        blurb='dark charcoal chrome and menus around a light steel client, amber accents',
        face=(216, 218, 222), light=(230, 231, 234), hilight=(250, 250, 251), shadow=(128, 131, 138),
        dkshadow=(60, 62, 68), text=(20, 21, 24), wintext=(0, 0, 0), sel=(242, 163, 43), seltext=(24, 20, 14),
        menu=(46, 48, 53), menutext=(232, 234, 237), menubar=(50, 52, 58), menubartext=(226, 228, 232),
        scrollbar=(200, 202, 206),
        accent=(242, 163, 43), accent_dark=(186, 112, 10),
        title_active=(238, 240, 243), title_inactive=(150, 153, 160),
        cap_active=[(70, 73, 80), (44, 46, 51)], cap_inactive=[(88, 90, 96), (74, 76, 82)],
        outline_active=(18, 19, 22), outline_inactive=(44, 45, 49),
        edge_active=(28, 29, 32), edge_inactive=(56, 58, 63),
        border_active=(44, 46, 51), border_inactive=(74, 76, 82),
        highlight=((255, 255, 255), 0.16),
        cb_style='flat', cb_size=(28, 20), glyph_weight='thin',
        track=(204, 206, 210), disabled_text=(140, 143, 150),
    ),
    # 3 -------------------------------------------------------------------------------------
    Theme(
        folder='3-glacier', title='Glacier',
        blurb='blue glass: a glossy split caption, aqua buttons and frosted borders',
        face=(228, 236, 246), light=(238, 244, 251), hilight=(255, 255, 255), shadow=(132, 152, 180),
        dkshadow=(62, 82, 112), text=(14, 30, 54), wintext=(0, 0, 0), sel=(38, 110, 200), seltext=(255, 255, 255),
        menu=(246, 250, 255), menutext=(14, 30, 54), menubar=(222, 233, 246), scrollbar=(230, 238, 248),
        accent=(38, 110, 200), accent_dark=(20, 70, 140),
        title_active=(10, 26, 56), title_inactive=(70, 84, 102),
        cap_active=[(0.0, (168, 206, 244)), (0.47, (112, 166, 226)), (0.5, (70, 128, 204)), (1.0, (104, 166, 228))],
        cap_inactive=[(0.0, (226, 232, 240)), (0.47, (204, 212, 224)), (0.5, (186, 196, 210)), (1.0, (200, 210, 222))],
        outline_active=(34, 70, 124), outline_inactive=(118, 132, 152),
        edge_active=(52, 96, 156), edge_inactive=(140, 154, 172),
        border_active=(104, 166, 228), border_inactive=(200, 210, 222),
        highlight=((255, 255, 255), 0.75), gloss=0.0,
        border=6, r_top=9, r_bottom=5,
        cb_style='glass', cb_size=(25, 18), cb_gap=3, cb_margin=3, glyph_weight='bold',
        title_back='glow', title_back_colour=(255, 255, 255), title_back_alpha=0.42,
        ctl_radius=4, track=(218, 228, 240),
    ),
    # 4 -------------------------------------------------------------------------------------
    Theme(
        folder='4-walnut', title='Walnut',
        blurb='warm walnut wood caption with brass caption buttons on a cream parchment face',
        face=(238, 229, 212), light=(246, 240, 228), hilight=(255, 252, 244), shadow=(158, 136, 110),
        dkshadow=(92, 66, 42), text=(46, 28, 14), wintext=(0, 0, 0), sel=(140, 78, 34), seltext=(255, 246, 228),
        menu=(248, 242, 230), menutext=(52, 32, 16), menubar=(226, 212, 188), menubartext=(52, 32, 16),
        scrollbar=(232, 222, 204),
        accent=(168, 92, 34), accent_dark=(112, 58, 18),
        title_active=(255, 240, 212), title_inactive=(226, 210, 186),
        cap_active=[(128, 78, 44), (94, 56, 30)], cap_inactive=[(164, 134, 106), (142, 114, 88)],
        outline_active=(50, 28, 12), outline_inactive=(96, 76, 58),
        edge_active=(62, 36, 18), edge_inactive=(112, 90, 70),
        border_active=(104, 62, 34), border_inactive=(150, 122, 96),
        highlight=((255, 226, 180), 0.35), wood=True,
        border=6, r_top=7, r_bottom=4,
        cb_style='round', cb_size=(20, 18), cb_gap=2, cb_margin=4, glyph_weight='bold',
        title_back='plaque', title_back_colour=(40, 20, 8), title_back_alpha=0.32,
        ctl_radius=3, track=(226, 214, 194),
    ),
    # 5 -------------------------------------------------------------------------------------
    Theme(
        folder='5-contrast', title='Contrast',
        blurb='high contrast: black chrome, white face, heavy outlines and yellow focus marks',
        face=(255, 255, 255), light=(255, 255, 255), hilight=(255, 255, 255), shadow=(110, 110, 110),
        dkshadow=(0, 0, 0), text=(0, 0, 0), wintext=(0, 0, 0), sel=(0, 0, 0), seltext=(255, 224, 0),
        menu=(255, 255, 255), menutext=(0, 0, 0), menubar=(0, 0, 0), menubartext=(255, 255, 255),
        scrollbar=(255, 255, 255), field=(255, 255, 255),
        accent=(0, 0, 0), accent_dark=(0, 0, 0),
        title_active=(255, 255, 255), title_inactive=(200, 200, 200),
        cap_active=[(0, 0, 0), (0, 0, 0)], cap_inactive=[(70, 70, 70), (70, 70, 70)],
        outline_active=(0, 0, 0), outline_inactive=(40, 40, 40),
        edge_active=(255, 214, 0), edge_inactive=(150, 150, 150),
        border_active=(0, 0, 0), border_inactive=(70, 70, 70),
        highlight=((255, 255, 255), 0.0),
        border=5, r_top=5, r_bottom=3,
        cb_style='solid', cb_size=(26, 20), cb_gap=3, glyph_weight='bold',
        ctl_radius=2, track=(255, 255, 255), disabled_text=(110, 110, 110),
    ),
    # 6 -------------------------------------------------------------------------------------
    Theme(
        folder='6-mint', title='Mint',
        blurb='soft mint caption with round caption buttons, deep green text and teal accents',
        face=(233, 245, 239), light=(242, 250, 246), hilight=(255, 255, 255), shadow=(128, 164, 148),
        dkshadow=(60, 96, 80), text=(20, 50, 38), wintext=(0, 0, 0), sel=(20, 116, 84), seltext=(255, 255, 255),
        menu=(248, 253, 250), menutext=(20, 50, 38), menubar=(220, 240, 230), scrollbar=(236, 246, 241),
        accent=(30, 148, 108), accent_dark=(16, 104, 74),
        title_active=(16, 66, 46), title_inactive=(112, 142, 128),
        cap_active=[(196, 238, 218), (148, 214, 184)], cap_inactive=[(222, 238, 231), (204, 226, 216)],
        outline_active=(62, 132, 102), outline_inactive=(146, 176, 162),
        edge_active=(92, 164, 132), edge_inactive=(172, 198, 186),
        border_active=(148, 214, 184), border_inactive=(204, 226, 216),
        highlight=((255, 255, 255), 0.7),
        border=5, r_top=10, r_bottom=5,
        cb_style='round', cb_size=(20, 18), cb_gap=2, cb_margin=4, glyph_weight='thin',
        title_back='pill', title_back_colour=(255, 255, 255), title_back_alpha=0.22,
        ctl_radius=5, track=(222, 238, 230),
    ),
    # 7 -------------------------------------------------------------------------------------
    Theme(
        folder='7-sunset', title='Sunset',
        blurb='a tangerine-to-plum gradient shell with white glyphs and coral accents',
        face=(250, 240, 232), light=(253, 247, 242), hilight=(255, 255, 255), shadow=(170, 136, 128),
        dkshadow=(104, 62, 66), text=(62, 30, 26), wintext=(0, 0, 0), sel=(184, 58, 44), seltext=(255, 255, 255),
        menu=(255, 250, 246), menutext=(62, 30, 26), menubar=(250, 232, 220), scrollbar=(250, 240, 232),
        accent=(226, 92, 70), accent_dark=(168, 54, 46),
        title_active=(255, 255, 255), title_inactive=(132, 100, 100),
        cap_active=[(0.0, (255, 150, 70)), (0.55, (236, 88, 104)), (1.0, (150, 70, 156))],
        cap_inactive=[(0.0, (236, 216, 204)), (1.0, (222, 206, 214))],
        outline_active=(112, 40, 62), outline_inactive=(170, 146, 150),
        edge_active=(120, 44, 70), edge_inactive=(184, 164, 166),
        highlight=((255, 255, 255), 0.45),
        border=5, r_top=8, r_bottom=4, caption_axis='h', mid_w=96,
        cb_style='flat', cb_size=(26, 20), glyph_weight='thin', cb_disabled_glyph=(184, 146, 166),
        title_back='pill', title_back_colour=(96, 28, 52), title_back_alpha=0.55,
        ctl_radius=4, track=(242, 228, 220),
    ),
]
