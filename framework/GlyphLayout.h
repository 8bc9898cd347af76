#pragma once
// Where a button's glyph and caption go, from the button's layout properties (pure: the
// toolkit's glyph buttons and the skin engine place them alike).

enum TButtonLayout { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };

struct TGlyphLayoutInput {
    int ClientWidth = 0, ClientHeight = 0;
    int GlyphWidth = 0, GlyphHeight = 0;
    int TextWidth = 0, TextHeight = 0;
    TButtonLayout Layout = blGlyphLeft;
    // -1: glyph and caption centred together (Margin), spread evenly (both).
    int Margin = -1;
    int Spacing = 4;
    // The caption and glyph are centred whatever Margin says.
    bool Centred = false;
};

enum TGlyphTextAlign { gtaLeft, gtaRight, gtaCentre };

struct TGlyphLayout {
    int GlyphX = 0, GlyphY = 0;
    int TextX = 0, TextY = 0;
    TGlyphTextAlign TextAlign = gtaLeft;
    // Margin and Spacing as resolved.
    int Margin = 0, Spacing = 0;
};

TGlyphLayout LayoutGlyphButton(const TGlyphLayoutInput& in);
