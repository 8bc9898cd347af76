#include "WinSubClassComboGeometry.h"

#include <algorithm>

namespace {
// Keeps a rectangle inside 0..width x 0..height and never inverted.
TFrameRect Inside(int left, int top, int right, int bottom, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    TFrameRect rect;
    rect.Left = std::clamp(left, 0, width);
    rect.Top = std::clamp(top, 0, height);
    rect.Right = std::clamp(right, rect.Left, width);
    rect.Bottom = std::clamp(bottom, rect.Top, height);
    return rect;
}
} // namespace

int ComboCell(bool pressed, bool focusedOrHot, bool enabled) {
    if (!enabled)
        return 3;
    if (pressed)
        return 2;
    return focusedOrHot ? 4 : 1;
}

TComboLayout ComboLayoutFor(int width, int height, int buttonWidth, bool leftButton) {
    buttonWidth = std::max(buttonWidth, 0);
    TComboLayout layout;
    if (leftButton) {
        layout.Text = Inside(buttonWidth + 4, 2, width - 2, height - 2, width, height);
        layout.Button = Inside(0, 2, buttonWidth + 2, height - 2, width, height);
    } else {
        layout.Text = Inside(2, 2, width - buttonWidth - 4, height - 2, width, height);
        layout.Button = Inside(width - buttonWidth - 2, 2, width - 2, height - 2, width, height);
    }
    return layout;
}

TFrameRect PlainComboButton(int width, int height, int cellWidth, int imageHeight, bool leftButton) {
    cellWidth = std::max(cellWidth, 0);
    const int inner = std::max(height - 2, 0);
    const int buttonHeight = std::clamp(imageHeight, 0, inner);
    const int top = 1 + (inner - buttonHeight) / 2;
    const int left = leftButton ? 1 : width - 1 - cellWidth;
    return Inside(left, top, left + cellWidth, top + buttonHeight, width, height);
}

TFrameRect CentredRect(const TFrameRect& outer, int glyphWidth, int glyphHeight) {
    glyphWidth = std::max(glyphWidth, 0);
    glyphHeight = std::max(glyphHeight, 0);
    TFrameRect rect;
    rect.Left = outer.Left + (outer.Width() - glyphWidth) / 2;
    rect.Top = outer.Top + (outer.Height() - glyphHeight) / 2;
    rect.Right = rect.Left + glyphWidth;
    rect.Bottom = rect.Top + glyphHeight;
    return rect;
}

TFrameRect PickerArrowRect(int width, int height, int arrowWidth, bool leftArrow) {
    arrowWidth = std::max(arrowWidth, 0);
    TFrameRect rect;
    rect.Left = leftArrow ? 2 : width - arrowWidth - 4;
    rect.Top = 0;
    rect.Right = rect.Left + arrowWidth;
    rect.Bottom = std::max(height - 4, 0);
    return rect;
}

std::uint32_t LegibleGlyphColour(std::uint32_t glyph, std::uint32_t background) {
    glyph &= 0xFFFFFF;
    if (ContrastRatio(glyph, background) >= MinLegibleContrast)
        return glyph;
    const std::uint32_t black = 0x000000, white = 0xFFFFFF;
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}
