#include "WinSubClassComboGeometry.h"

#include <algorithm>
#include <climits>

namespace {
// Keeps a rectangle inside 0..width x 0..height and never inverted.
// The edges are computed wide, so that sizes near the ends of int do not overflow.
TFrameRect Inside(long long left, long long top, long long right, long long bottom, int width, int height) {
    const long long w = std::max(width, 0), h = std::max(height, 0);
    TFrameRect rect;
    rect.Left = static_cast<int>(std::clamp(left, 0LL, w));
    rect.Top = static_cast<int>(std::clamp(top, 0LL, h));
    rect.Right = static_cast<int>(std::clamp(right, static_cast<long long>(rect.Left), w));
    rect.Bottom = static_cast<int>(std::clamp(bottom, static_cast<long long>(rect.Top), h));
    return rect;
}

int Saturate(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}
} // namespace

int ComboCell(bool pressed, bool focusedOrHot, bool enabled) {
    if (!enabled)
        return 3;
    if (pressed)
        return 2;
    return focusedOrHot ? 4 : 1;
}

TComboLayout ComboLayoutFor(int width, int height, int buttonWidthIn, bool leftButton) {
    const long long buttonWidth = std::max(buttonWidthIn, 0);
    const long long w = width, h = height;
    TComboLayout layout;
    if (leftButton) {
        layout.Text = Inside(buttonWidth + 4, 2, w - 2, h - 2, width, height);
        layout.Button = Inside(0, 2, buttonWidth + 2, h - 2, width, height);
    } else {
        layout.Text = Inside(2, 2, w - buttonWidth - 4, h - 2, width, height);
        layout.Button = Inside(w - buttonWidth - 2, 2, w - 2, h - 2, width, height);
    }
    return layout;
}

TFrameRect PlainComboButton(int width, int height, int cellWidth, int imageHeight, bool leftButton) {
    cellWidth = std::max(cellWidth, 0);
    const long long inner = std::max(static_cast<long long>(height) - 2, 0LL);
    const long long buttonHeight = std::clamp(static_cast<long long>(imageHeight), 0LL, inner);
    const long long top = 1 + (inner - buttonHeight) / 2;
    const long long left = leftButton ? 1 : static_cast<long long>(width) - 1 - cellWidth;
    return Inside(left, top, left + cellWidth, top + buttonHeight, width, height);
}

TFrameRect CentredRect(const TFrameRect& outer, int glyphWidth, int glyphHeight) {
    glyphWidth = std::max(glyphWidth, 0);
    glyphHeight = std::max(glyphHeight, 0);
    const long long outerWidth = static_cast<long long>(outer.Right) - outer.Left;
    const long long outerHeight = static_cast<long long>(outer.Bottom) - outer.Top;
    const long long left = outer.Left + (outerWidth - glyphWidth) / 2;
    const long long top = outer.Top + (outerHeight - glyphHeight) / 2;
    TFrameRect rect;
    rect.Left = Saturate(left);
    rect.Top = Saturate(top);
    rect.Right = Saturate(std::max(left + glyphWidth, static_cast<long long>(rect.Left)));
    rect.Bottom = Saturate(std::max(top + glyphHeight, static_cast<long long>(rect.Top)));
    return rect;
}

TFrameRect PickerArrowRect(int width, int height, int arrowWidth, bool leftArrow) {
    arrowWidth = std::max(arrowWidth, 0);
    const long long left = leftArrow ? 2 : static_cast<long long>(width) - arrowWidth - 4;
    TFrameRect rect;
    rect.Left = Saturate(left);
    rect.Top = 0;
    rect.Right = Saturate(std::max(left + arrowWidth, static_cast<long long>(rect.Left)));
    rect.Bottom = static_cast<int>(std::max(static_cast<long long>(height) - 4, 0LL));
    return rect;
}

std::uint32_t LegibleGlyphColour(std::uint32_t glyph, std::uint32_t background) {
    glyph &= 0xFFFFFF;
    if (ContrastRatio(glyph, background) >= MinLegibleContrast)
        return glyph;
    const std::uint32_t black = 0x000000, white = 0xFFFFFF;
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}
