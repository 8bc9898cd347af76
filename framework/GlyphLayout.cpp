#include "GlyphLayout.h"

TGlyphLayout LayoutGlyphButton(const TGlyphLayoutInput& in) {
    const bool horizontal = in.Layout == blGlyphLeft || in.Layout == blGlyphRight;
    const long long along = horizontal ? in.ClientWidth : in.ClientHeight;
    const long long across = horizontal ? in.ClientHeight : in.ClientWidth;
    const long long glyph = horizontal ? in.GlyphWidth : in.GlyphHeight;
    const long long text = horizontal ? in.TextWidth : in.TextHeight;
    const long long glyphAcross = horizontal ? in.GlyphHeight : in.GlyphWidth;
    const long long textAcross = horizontal ? in.TextHeight : in.TextWidth;

    long long margin = in.Margin, spacing = in.Spacing;
    const bool noGlyph = in.GlyphWidth <= 0 || in.GlyphHeight <= 0;
    const bool noText = in.TextWidth <= 0 || in.TextHeight <= 0;
    if (noGlyph || noText)
        spacing = 0;
    if (margin == -1 || in.Centred) {
        if (spacing == -1)
            margin = spacing = (along - glyph - text) / 3;
        else
            margin = (along - glyph - spacing - text) / 2;
    } else if (spacing == -1) {
        spacing = ((along - margin - glyph) - text) / 2;
    }

    long long glyphAt = 0, textAt = 0;
    if (in.Layout == blGlyphLeft || in.Layout == blGlyphTop) {
        glyphAt = margin;
        textAt = margin + glyph + spacing;
    } else {
        glyphAt = along - margin - glyph;
        textAt = glyphAt - spacing - text;
    }
    const long long glyphAcrossAt = (across - glyphAcross + 1) / 2;
    const long long textAcrossAt = (across - textAcross + 1) / 2;

    auto clampInt = [](long long v) {
        return static_cast<int>(v < -0x40000000LL ? -0x40000000LL : v > 0x40000000LL ? 0x40000000LL : v);
    };
    TGlyphLayout out;
    out.Margin = clampInt(margin);
    out.Spacing = clampInt(spacing);
    if (horizontal) {
        out.GlyphX = clampInt(glyphAt);
        out.GlyphY = clampInt(glyphAcrossAt);
        out.TextX = clampInt(textAt);
        out.TextY = clampInt(textAcrossAt);
        out.TextAlign = in.Layout == blGlyphLeft ? gtaLeft : gtaRight;
    } else {
        out.GlyphY = clampInt(glyphAt);
        out.GlyphX = clampInt(glyphAcrossAt);
        out.TextY = clampInt(textAt);
        out.TextX = clampInt(textAcrossAt);
        out.TextAlign = gtaCentre;
    }
    return out;
}
