#include "WinSkinMenuGeometry.h"

#include <algorithm>

namespace {

// A rectangle whose right and bottom edges are kept at or past its left and top edges.
TFrameRect Ordered(int left, int top, int right, int bottom) {
    return TFrameRect{left, top, std::max(left, right), std::max(top, bottom)};
}

// Keeps a measured size positive and well inside the int range (texts can be measured huge).
int Clamp(int value) {
    return std::clamp(value, 0, MaxStripExtent);
}

} // namespace

int MenuGlyphSize(int imageListWidth, bool checked) {
    int size = imageListWidth > 0 ? Clamp(imageListWidth) : MenuDefaultGlyphSize;
    if (checked)
        size = std::max(size, MenuDefaultGlyphSize);
    return size;
}

TMenuItemSize StandardMenuItemSize(const TMenuItemMetrics& metrics) {
    TMenuItemSize size;
    const int glyph = MenuGlyphSize(metrics.HasImages ? metrics.ImageWidth : 0, metrics.Checked);
    if (metrics.Separator) {
        size.Height = MenuSeparatorHeight;
        return size;
    }
    int width = Clamp(metrics.CaptionWidth);
    if (metrics.ShortcutWidth > 0)
        width += MenuShortcutGap + Clamp(metrics.ShortcutWidth);
    if (metrics.HasImages)
        width += glyph + 2 * MenuTextGap;
    else
        width += 4;
    size.Width = width;
    size.Height = std::max({Clamp(metrics.SystemItemHeight), Clamp(metrics.CaptionHeight) + 4, glyph + 2});
    return size;
}

namespace {
TMenuItemSize AddSkinWidth(TMenuItemSize standard, int leftWidth, bool hasImages, bool separator,
                           int withImages) {
    TMenuItemSize size = standard;
    size.Width = Clamp(standard.Width) + Clamp(leftWidth) + (hasImages ? withImages : 35);
    if (separator)
        size.Height = MenuSeparatorHeight;
    return size;
}
} // namespace

TMenuItemSize MeasurePopupItemSize(TMenuItemSize standard, int leftWidth, bool hasImages, bool separator) {
    return AddSkinWidth(standard, leftWidth, hasImages, separator, 12);
}

TMenuItemSize MeasureMenuItemSize(TMenuItemSize standard, int leftWidth, bool hasImages, bool separator) {
    return AddSkinWidth(standard, leftWidth, hasImages, separator, 10);
}

TMenuItemSize MeasureNativeItemSize(int textWidth, int systemItemHeight, bool emptyText, int leftWidth) {
    TMenuItemSize size;
    size.Width = Clamp(textWidth) + 26 + Clamp(leftWidth);
    size.Height = emptyText ? MenuSeparatorHeight : Clamp(systemItemHeight) + 4;
    return size;
}

TMenuItemLayout LayoutMenuItem(const TFrameRect& item, const TMenuContentFacts& facts) {
    TMenuItemLayout layout;
    const int left = item.Left, top = item.Top;
    const int right = std::max(item.Left, item.Right), bottom = std::max(item.Top, item.Bottom);
    const int leftWidth = Clamp(facts.LeftWidth);
    const int glyph = facts.Separator ? 0 : Clamp(facts.GlyphSize);
    const int captionHeight = std::min(Clamp(facts.CaptionHeight), bottom - top);
    const int captionTop = top + (bottom - top - captionHeight) / 2;

    if (!facts.RightToLeft) {
        const int glyphLeft = left + 1 + leftWidth;
        layout.Glyph = TFrameRect{glyphLeft, top + 1, glyphLeft + glyph, top + 1 + glyph};
        layout.Text = Ordered(layout.Glyph.Right + MenuTextGap, top, right - 1, bottom);
        const int captionRight = std::min(layout.Text.Left + Clamp(facts.CaptionWidth), layout.Text.Right);
        layout.Caption = TFrameRect{layout.Text.Left, captionTop, captionRight, captionTop + captionHeight};
        if (facts.HasShortcut)
            layout.Shortcut = Ordered(captionRight, captionTop, right - MenuShortcutRightMargin,
                                      captionTop + captionHeight);
        else
            layout.Shortcut = TFrameRect{captionRight, captionTop, captionRight, captionTop};
        return layout;
    }

    const int glyphRight = right - 1 - leftWidth;
    layout.Glyph = TFrameRect{glyphRight - glyph, top + 1, glyphRight, top + 1 + glyph};
    const int textRight = layout.Glyph.Left - MenuTextGap;
    layout.Text = TFrameRect{std::min(left + 1, textRight), top, textRight, bottom};
    const int captionLeft = std::max(layout.Text.Right - Clamp(facts.CaptionWidth), layout.Text.Left);
    layout.Caption = TFrameRect{captionLeft, captionTop, layout.Text.Right, captionTop + captionHeight};
    if (facts.HasShortcut) {
        const int shortcutLeft = std::min(left + MenuShortcutLeftMargin, captionLeft);
        layout.Shortcut = TFrameRect{shortcutLeft, captionTop, captionLeft, captionTop + captionHeight};
    } else {
        layout.Shortcut = TFrameRect{captionLeft, captionTop, captionLeft, captionTop};
    }
    return layout;
}

void MenuCheckMarkOrigin(const TFrameRect& item, const TFrameRect& glyph, int markWidth, int markHeight,
                         int& x, int& y) {
    x = glyph.Left + (glyph.Width() - Clamp(markWidth)) / 2 + 1;
    y = item.Top + (item.Height() - Clamp(markHeight)) / 2 + 1;
}

TSeparatorStrip SeparatorStrip(int cellWidth, int cellHeight, const TFrameRect& item, int leftCap,
                               int rightCap) {
    TSeparatorStrip strip;
    const int width = item.Width(), height = item.Height();
    if (cellWidth <= 0 || cellHeight <= 0 || width <= 0 || height <= 0 || width > MaxStripExtent)
        return strip;
    cellWidth = std::min(cellWidth, MaxStripExtent);
    cellHeight = std::min(cellHeight, MaxStripExtent);

    // Rows: the cell's bottom rows when it is taller than the item, else the whole cell, centred.
    int sourceTop = 0, destTop = item.Top, rows = height;
    if (cellHeight > height) {
        sourceTop = cellHeight - height;
    } else {
        rows = cellHeight;
        destTop = item.Top + (height - cellHeight) / 2;
    }

    // Caps: within the cell (keeping a middle column when they meet) and within the item.
    int left = std::clamp(leftCap, 0, cellWidth);
    int right = std::clamp(rightCap, 0, cellWidth - left);
    if (left + right > width) {
        left = std::min(left, width / 2);
        right = std::min(right, width - left);
    }
    const int middleSource = cellWidth - left - right;

    auto add = [&](int sourceLeft, int sourceRight, int destLeft, int destRight) {
        if (sourceRight <= sourceLeft || destRight <= destLeft)
            return;
        strip.Parts[static_cast<size_t>(strip.Count++)] =
            TStripPart{TFrameRect{sourceLeft, sourceTop, sourceRight, sourceTop + rows},
                       TFrameRect{destLeft, destTop, destRight, destTop + rows}};
    };
    add(0, left, item.Left, item.Left + left);
    if (middleSource > 0)
        add(left, left + middleSource, item.Left + left, item.Right - right);
    add(cellWidth - right, cellWidth, item.Right - right, item.Right);
    return strip;
}

TFrameRect ItemInsidePicture(const TFrameRect& item, int clientX, int clientY, int pictureWidth,
                             int pictureHeight, int border) {
    const int left = std::max(item.Left, border - clientX);
    const int top = std::max(item.Top, border - clientY);
    const int right = std::min(item.Right, pictureWidth - border - clientX);
    const int bottom = std::min(item.Bottom, pictureHeight - border - clientY);
    if (right <= left || bottom <= top)
        return TFrameRect{left, top, left, top};
    return TFrameRect{left, top, right, bottom};
}

TSystemMenuEntry SystemMenuEntry(unsigned command, unsigned state, const TSystemMenuFacts& facts) {
    TSystemMenuEntry entry;
    entry.Checked = (state & 8u) != 0;
    switch (command & 0xFFF0u) {
    case ScSize:
        entry.Enabled = facts.WindowState == 0 && facts.Sizeable;
        break;
    case ScMove:
        entry.Enabled = facts.WindowState != 1;
        break;
    case ScMinimize:
        entry.Glyph = mgMinimize;
        entry.Enabled = facts.WindowState != 2 && facts.HasMinimizeBox;
        break;
    case ScMaximize:
        entry.Glyph = mgMaximize;
        entry.Enabled = facts.WindowState != 1 && facts.HasMaximizeBox;
        break;
    case ScRestore:
        entry.Glyph = mgRestore;
        entry.Enabled = facts.WindowState != 0;
        break;
    case ScClose:
        entry.Glyph = mgClose;
        entry.Enabled = (state & 3u) == 0;
        break;
    default:
        entry.Enabled = (state & 3u) == 0;
        break;
    }
    return entry;
}
