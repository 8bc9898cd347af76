#pragma once
// The arithmetic of a skinned menu item: how wide and high an item is measured, where its glyph
// box, caption and shortcut go (left to right or mirrored), where the check mark sits, and the
// three pieces of a separator cut from the item image. Plain functions without windows.h, so
// that they run natively under the sanitizers.

#include "WinSkinFormGeometry.h"

#include <array>

// Height of an owner-drawn separator: a separator is a thin line, not a full item.
constexpr int MenuSeparatorHeight = 8;
// The glyph box of an item without an image list.
constexpr int MenuDefaultGlyphSize = 16;
// Distance from the glyph box to the caption.
constexpr int MenuTextGap = 3;
// The shortcut ends this far from the item's right edge.
constexpr int MenuShortcutRightMargin = 11;
// A right-to-left shortcut starts this far from the item's left edge.
constexpr int MenuShortcutLeftMargin = 10;
// Least room between a caption and its shortcut when the item is measured.
constexpr int MenuShortcutGap = 16;

struct TMenuItemSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TMenuItemSize&) const = default;
};

// What is known of an item before it is measured: its texts measured in the menu font.
struct TMenuItemMetrics {
    int CaptionWidth = 0;
    int CaptionHeight = 0;
    int ShortcutWidth = 0; // 0: no shortcut
    int ImageWidth = 0;    // width of the menu's image list; 0 without one
    bool HasImages = false;
    bool Checked = false;
    bool Separator = false;
    int SystemItemHeight = 0; // the system's menu item height
};

// The glyph box side G: 16, or the image list's width; at least 16 for a checked item.
int MenuGlyphSize(int imageListWidth, bool checked);

// The toolkit's own measurement of an item: glyph, caption and shortcut side by side, at least
// the system's item height (and the glyph box) high; a separator is MenuSeparatorHeight high.
TMenuItemSize StandardMenuItemSize(const TMenuItemMetrics& metrics);

// What the skinned painter adds to the standard measurement (leftWidth is the MenuItem image's
// left margin L, 0 without the image): popup items get L and 12 more, or 35 without an image
// list; items of a main menu's submenus L and 10, or 35. Heights stay, except that a separator
// is never taller than MenuSeparatorHeight.
TMenuItemSize MeasurePopupItemSize(TMenuItemSize standard, int leftWidth, bool hasImages, bool separator);
TMenuItemSize MeasureMenuItemSize(TMenuItemSize standard, int leftWidth, bool hasImages, bool separator);

// Items of a native menu (system and window-list entries): the text's width and 26 (and L when
// the skin has a MenuItem image); the height grows by 4 for a text, an empty text (separator)
// is MenuSeparatorHeight high.
TMenuItemSize MeasureNativeItemSize(int textWidth, int systemItemHeight, bool emptyText, int leftWidth);

// Where an item's parts go inside the item rectangle.
struct TMenuItemLayout {
    TFrameRect Glyph;    // the glyph box; empty (zero size) for a separator
    TFrameRect Text;     // the space for the caption
    TFrameRect Caption;  // the caption as measured, centred vertically
    TFrameRect Shortcut; // where the shortcut is aligned; empty without one
    bool operator==(const TMenuItemLayout&) const = default;
};

struct TMenuContentFacts {
    int LeftWidth = 0; // L
    int GlyphSize = MenuDefaultGlyphSize;
    int CaptionWidth = 0;
    int CaptionHeight = 0;
    bool HasShortcut = false;
    bool Separator = false;
    bool RightToLeft = false;
};

// Left to right: glyph box at (left + 1 + L, top + 1), G x G; text from the glyph box's right + 3
// to right - 1; the shortcut from the caption's end to right - 11. Right to left the glyph box
// ends at right - 1 - L, the text fills left + 1 .. glyph left - 3 (right-aligned) and the
// shortcut starts 10 from the left. Rectangles never come out inverted.
TMenuItemLayout LayoutMenuItem(const TFrameRect& item, const TMenuContentFacts& facts);

// Top-left corner of a check mark of markWidth x markHeight: centred across the glyph box and
// down the item, one pixel right and down.
void MenuCheckMarkOrigin(const TFrameRect& item, const TFrameRect& glyph, int markWidth, int markHeight,
                         int& x, int& y);

// The separator strip: cut from a cell of cellWidth x cellHeight (source rectangles relative to
// the cell) into the item: end caps leftCap and rightCap wide, the middle stretched. A cell
// taller than the item gives its bottom rows; a lower one is centred down the item. Caps that do
// not fit are narrowed; parts without area are left out (Count tells how many are used).
struct TSeparatorStrip {
    std::array<TStripPart, 3> Parts{};
    int Count = 0;
};
TSeparatorStrip SeparatorStrip(int cellWidth, int cellHeight, const TFrameRect& item, int leftCap,
                               int rightCap);

// The part of an item (client coordinates of the popup) that lies inside the border of the popup's
// picture: the picture covers the whole window (pictureWidth x pictureHeight), the client area
// starts at (clientX, clientY) of it, and the border is border pixels wide. Empty (zero size,
// never inverted) when nothing of the item is inside.
TFrameRect ItemInsidePicture(const TFrameRect& item, int clientX, int clientY, int pictureWidth,
                             int pictureHeight, int border);

// ---- The skinned system menu

// The system commands the menu knows (values of SC_*).
constexpr unsigned ScSize = 0xF000, ScMove = 0xF010, ScMinimize = 0xF020, ScMaximize = 0xF030,
                   ScClose = 0xF060, ScRestore = 0xF120;
// Indices in the menu glyph list.
enum TMenuGlyph { mgNone = -1, mgRestore = 0, mgMaximize = 1, mgMinimize = 2, mgClose = 3 };

struct TSystemMenuFacts {
    int WindowState = 0; // 0 normal, 1 maximized, 2 minimized
    bool Sizeable = false;
    bool HasMinimizeBox = false;
    bool HasMaximizeBox = false;
};

struct TSystemMenuEntry {
    bool Enabled = true;
    bool Checked = false;
    int Glyph = mgNone;
    bool operator==(const TSystemMenuEntry&) const = default;
};

// How an entry of the window's system menu shows in the skinned one. The window's state decides
// size (normal and sizeable), move (not maximized), minimize and maximize (not already, and with
// the box) and restore (not normal); the system keeps those states up to date only while its own
// menu is open, so they are not read. Every other entry is disabled when its state (MFS_* bits)
// has MF_GRAYED (1) or MF_DISABLED (2) or both, and checked with MFS_CHECKED (8).
TSystemMenuEntry SystemMenuEntry(unsigned command, unsigned state, const TSystemMenuFacts& facts);
