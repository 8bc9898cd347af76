#include "WinSubClassGlyph.h"

#include "Bitmap.h"
#include "GlyphButtons.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "SkinPropertyNames.h"
#include "SysUtils.h"
#include "TransparentBlit.h"
#include "WinSkinData.h"
#include "WinSubClassGeometry.h"

#include <algorithm>

TSkinBitButton::TLook TSkinBitButton::CurrentLook() {
    RefreshWindowState();
    // As on a push button: the button set as the default shows the default cell whichever
    // control holds the focus.
    bool isDefault = false;
    if (control_)
        isDefault = PropertyIsTrue(*control_, SkinProperty::Default);
    else if (handle_)
        isDefault = (GetWindowLongA(handle_, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    TLook look;
    look.Cell = ButtonCell((mouseState_ & msPressed) != 0, (mouseState_ & msHot) != 0, focused_ || isDefault,
                           enabled_);
    return look;
}

void TSkinBitButton::Paint(HDC dc, const RECT& rect) {
    if (!skin_ || !dc || skin_->Buttons().Bitmap.Empty())
        return;
    PaintButton(dc, rect, CurrentLook());
}

void TSkinBitButton::PaintButton(HDC dc, const RECT& rect, const TLook& look) {
    const TDataSkinButton& element = skin_->Buttons();
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    if (!glyphBuffer_)
        glyphBuffer_ = std::make_unique<TBitmap>();
    if (glyphBuffer_->Width() != width || glyphBuffer_->Height() != height)
        glyphBuffer_->SetSize(width, height);
    HDC target = glyphBuffer_->MemoryDC();
    const RECT all{0, 0, width, height};
    const TColor face = skin_->Colour(scButtonFace);
    if (Transparent() && handle_) {
        PaintParentBackground(handle_, target, face);
    } else if (Transparent() && control_ && !control_->IsWindowed()) {
        // A windowless button is painted on its parent's DC, over what the parent drew there.
        BitBlt(target, 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
    } else {
        FillButtonFace(target, all, *skin_);
    }
    DrawElementCell(target, all, element, look.Cell);

    // Glyph and caption.
    const auto* glyphs = dynamic_cast<const TGlyphSettings*>(control_);
    const TBitmap* glyph = nullptr;
    int numGlyphs = 1;
    if (control_ && !glyphProperty_.empty()) {
        glyph = dynamic_cast<const TBitmap*>(control_->GetObjectProp(glyphProperty_));
    } else if (glyphs && !glyphs->Glyph().Empty()) {
        glyph = &glyphs->Glyph();
        numGlyphs = glyphs->NumGlyphs();
    }
    SIZE glyphSize{0, 0};
    const TImageList* images = glyphs ? glyphs->Images() : nullptr;
    if (glyph && !glyph->Empty())
        glyphSize = SIZE{glyph->Width() / std::max(numGlyphs, 1), glyph->Height()};
    else if (images && glyphs->ImageIndex() >= 0 && glyphs->ImageIndex() < images->Count())
        glyphSize = SIZE{images->Width(), images->Height()};

    std::wstring caption;
    if (control_) {
        std::string text;
        control_->GetPropText(SkinProperty::Caption, text);
        caption = AnsiToWide(text);
    } else {
        caption = WindowTextOf(handle_);
    }
    caption_ = caption;
    const std::wstring text = SplitCaptionLines(caption);
    const TButtonLayout layout = glyphs ? glyphs->Layout() : blGlyphLeft;
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

    HFONT font = control_ ? control_->Font().Handle() : WindowFont();
    TSelectGuard selectFont(target, font);
    const int drop = DropDownWidth();
    RECT box{2, 2, width - 2 - drop, height - 2};
    RECT measured = box;
    if (horizontal)
        measured.right -= glyphSize.cx + 2;
    else
        measured.bottom -= glyphSize.cy + 2;
    const UINT rtl = RightToLeft() ? DT_RTLREADING : 0;
    if (!text.empty())
        DrawSkinText(target, text, measured, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP | rtl);
    else
        measured = RECT{0, 0, 0, 0};

    TGlyphLayoutInput in;
    in.ClientWidth = box.right - box.left;
    in.ClientHeight = box.bottom - box.top;
    in.GlyphWidth = glyphSize.cx;
    in.GlyphHeight = glyphSize.cy;
    in.TextWidth = measured.right - measured.left;
    in.TextHeight = measured.bottom - measured.top;
    in.Layout = layout;
    in.Margin = glyphs ? glyphs->Margin() : -1;
    in.Spacing = glyphs ? glyphs->Spacing() : 4;
    const TGlyphLayout at = LayoutGlyphButton(in);

    const bool enabled = enabled_;
    if (glyphSize.cx > 0) {
        const int gx = box.left + at.GlyphX, gy = box.top + at.GlyphY;
        const TButtonGlyphState state = look.Down        ? bgsDown
                                        : look.Cell == 2 ? bgsClicked
                                        : look.Cell == 3 ? bgsDisabled
                                                         : bgsUp;
        if (glyph && !glyph->Empty()) {
            int cell = state < numGlyphs ? state : (state == bgsDown && numGlyphs > 2 ? bgsClicked : bgsUp);
            const COLORREF transparent = glyph->PixelColor(0, glyph->Height() - 1);
            TransparentBlit(target, gx, gy, glyphSize.cx, glyphSize.cy, glyph->MemoryDC(),
                            cell * glyphSize.cx, 0, glyphSize.cx, glyphSize.cy, transparent);
        } else if (images) {
            if (enabled)
                images->Draw(target, gx, gy, glyphs->ImageIndex());
            else if (glyphs->DisabledIndex() >= 0)
                images->Draw(target, gx, gy, glyphs->DisabledIndex());
            else
                images->DrawDisabled(target, gx, gy, glyphs->ImageIndex());
        }
    }

    if (!text.empty()) {
        TColor colour = control_ ? control_->Font().Color() : skin_->Colour(scButtonText);
        if (element.HasNormalColour2)
            colour = element.NormalColour2;
        if (look.Cell == 4 && element.HasMouseOverColour2)
            colour = element.MouseOverColour2;
        if (look.Cell == 2 && element.HasPressedColour2)
            colour = element.PressedColour2;
        if (!enabled)
            colour = static_cast<TColor>(GetSysColor(COLOR_BTNSHADOW));
        SetBkMode(target, TRANSPARENT);
        SetTextColor(target, ColorToRGB(colour));
        RECT place{box.left + at.TextX, box.top + at.TextY, box.left + at.TextX + in.TextWidth,
                   box.top + at.TextY + in.TextHeight};
        const UINT align = at.TextAlign == gtaLeft    ? DT_LEFT
                           : at.TextAlign == gtaRight ? DT_RIGHT
                                                      : DT_CENTER;
        RECT drawn = place;
        DrawSkinText(target, text, drawn, align | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP | rtl);
        if (focused_ && !SkinOption(xoNoFocusRect)) {
            RECT focus{place.left - 2, place.top - 2, place.right + 2, place.bottom + 2};
            SetTextColor(target, RGB(0, 0, 0));
            SetBkColor(target, RGB(255, 255, 255));
            DrawFocusRect(target, &focus);
        }
    }
    if (drop > 0) {
        // The drop-down part: a separator and a small arrow pointing down.
        const int x = width - 2 - drop;
        TOwnedPen shadow(CreatePen(PS_SOLID, 1, ColorToRGB(skin_->Colour(scButtonShadow))));
        TSelectGuard pen(target, shadow.Get());
        MoveToEx(target, x, 4, nullptr);
        LineTo(target, x, height - 4);
        TOwnedPen ink(CreatePen(
            PS_SOLID, 1, enabled ? ColorToRGB(skin_->Colour(scButtonText)) : GetSysColor(COLOR_BTNSHADOW)));
        TSelectGuard arrowPen(target, ink.Get());
        const int cx = x + drop / 2 + 1, cy = height / 2 - 1;
        for (int row = 0; row < 3; ++row) {
            MoveToEx(target, cx - 2 + row, cy + row, nullptr);
            LineTo(target, cx + 3 - row, cy + row);
        }
    }
    GdiFlush();
    BitBlt(dc, rect.left, rect.top, width, height, target, 0, 0, SRCCOPY);
}

// ---- TSkinSpeedButton

void TSkinSpeedButton::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour,
                                     TCanvas* canvas) {
    if (attached_)
        return;
    TSkinButton::AttachControl(frame, skin, useSkinColour, canvas);
    if (!attached_)
        return;
    // Repaints go to the button, which its parent paints.
    SetRepaintTarget(control_);
}

TSkinBitButton::TLook TSkinSpeedButton::CurrentLook() {
    TLook look;
    auto* speed = dynamic_cast<TSpeedButton*>(control_);
    if (!speed)
        return look;
    enabled_ = speed->Enabled();
    focused_ = false;
    const bool pressed = speed->Pressed() || speed->Down();
    look.Down = speed->Down();
    look.Cell = ButtonCell(pressed, speed->MouseInside(), false, enabled_);
    return look;
}

bool TSkinSpeedButton::BeforeMessage(TMessage& message) {
    if (message.Msg == WM_PAINT && skin_ && !skin_->Buttons().Bitmap.Empty() && control_) {
        if (!control_->Visible())
            return false;
        const RECT rect{0, 0, control_->Width(), control_->Height()};
        try {
            PaintButton(reinterpret_cast<HDC>(message.WParam), rect, CurrentLook());
        } catch (...) {
            // The button keeps whatever was drawn.
            TraceSwallowed("TSkinSpeedButton::BeforeMessage");
        }
        return false;
    }
    // The button handles its own mouse; the adapter only paints.
    return TSkinControl::BeforeMessage(message);
}

void TSkinSpeedButton::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case CM_ENABLEDCHANGED:
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
        Repaint();
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}
