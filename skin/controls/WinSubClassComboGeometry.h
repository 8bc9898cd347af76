#pragma once
// The arithmetic of the skinned combo box, edit and date-time picker: which cell shows the
// button's state, where border, text area, button and arrow go, and whether a glyph stays
// legible on its background. Plain functions without windows.h (checked natively under the
// sanitizers); every function takes hostile sizes without dividing by zero or inverting a
// rectangle.

#include "SkinContrast.h"
#include "WinSkinFormGeometry.h"

#include <cstdint>

// The drop-down button's cell of the four-cell ComboButton strip: pressed 2, focused or hot 4,
// else 1; a disabled control always 3.
int ComboCell(bool pressed, bool focusedOrHot, bool enabled);

// The plain paint's cell (ComboButton Style 1): the same choice.
inline int PlainComboCell(bool pressed, bool focusedOrHot, bool enabled) {
    return ComboCell(pressed, focusedOrHot, enabled);
}

// Where a combo box of width x height (origin 0) keeps its text (the part the adapter leaves to
// the control) and its drop-down button, buttonWidth wide, on the right or, with
// leftButton, on the left. Text: 2 pixels inside the border, 4 beside the button; button: from
// 2 pixels inside the right edge (from the left edge on the left) over the border's height.
// Rectangles that would be inverted are collapsed to zero width or height.
struct TComboLayout {
    TFrameRect Text;
    TFrameRect Button;
};
TComboLayout ComboLayoutFor(int width, int height, int buttonWidth, bool leftButton);

// The plain paint's button (ComboButton Style 1): one cell wide (cellWidth), at most
// imageHeight high, against the right edge (left edge with leftButton), 1 pixel inside the
// window's border and vertically centred.
TFrameRect PlainComboButton(int width, int height, int cellWidth, int imageHeight, bool leftButton);

// A glyph of its own size centred in outer (offsets round toward zero); it may overhang a
// smaller outer rectangle.
TFrameRect CentredRect(const TFrameRect& outer, int glyphWidth, int glyphHeight);

// Where a date-time picker of width x height puts its arrow window: arrowWidth wide,
// height - 4 high, at the top; at x = 2 with leftArrow, else width - arrowWidth - 4. Never
// negative in size.
TFrameRect PickerArrowRect(int width, int height, int arrowWidth, bool leftArrow);

// Colours 0x00BBGGRR (plain RGB, no system colours).
// The least contrast at which a glyph or a text counts as legible.
constexpr double MinLegibleContrast = 4.5;
// The glyph's colour when it is legible on background; else black or white, whichever stands
// out more.
std::uint32_t LegibleGlyphColour(std::uint32_t glyph, std::uint32_t background);
