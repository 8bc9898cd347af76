#include "GlyphButtons.h"

#include "Handles.h"
#include "TransparentBlit.h"
#include "WinControl.h"

#include <algorithm>

// ---- TGlyphSettings

SIZE TGlyphSettings::GlyphSize() const {
    if (!glyph_.Empty())
        return SIZE{glyph_.Width() / numGlyphs_, glyph_.Height()};
    if (images_ && imageIndex_ >= 0 && imageIndex_ < images_->Count())
        return SIZE{images_->Width(), images_->Height()};
    return SIZE{0, 0};
}

void TGlyphSettings::DrawContent(HDC dc, const RECT& rect, const std::string& caption,
                                 TButtonGlyphState state, bool enabled, TColor textColor,
                                 RECT* textRect) const {
    const SIZE glyph = GlyphSize();
    RECT text{0, 0, std::max<int>(rect.right - rect.left - 4, 0), 0};
    if (!caption.empty())
        DrawTextA(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
    else
        text = RECT{0, 0, 0, 0};
    TGlyphLayoutInput in;
    in.ClientWidth = rect.right - rect.left;
    in.ClientHeight = rect.bottom - rect.top;
    in.GlyphWidth = glyph.cx;
    in.GlyphHeight = glyph.cy;
    in.TextWidth = text.right - text.left;
    in.TextHeight = text.bottom - text.top;
    in.Layout = layout_;
    in.Margin = margin_;
    in.Spacing = spacing_;
    const TGlyphLayout at = LayoutGlyphButton(in);

    const int gx = rect.left + at.GlyphX, gy = rect.top + at.GlyphY;
    if (!glyph_.Empty()) {
        int cell = state;
        if (cell >= numGlyphs_)
            cell = (state == bgsDown && numGlyphs_ > 2) ? bgsClicked : bgsUp;
        // The bitmap's own memory DC: a bitmap is selected into one DC at a time, and whoever
        // drew it before (a skin) may still hold it in that one.
        const COLORREF transparent = glyph_.PixelColor(0, glyph_.Height() - 1);
        TransparentBlit(dc, gx, gy, glyph.cx, glyph.cy, glyph_.MemoryDC(), cell * glyph.cx, 0, glyph.cx,
                        glyph.cy, transparent);
    } else if (glyph.cx > 0) {
        if (enabled)
            images_->Draw(dc, gx, gy, imageIndex_);
        else if (disabledIndex_ >= 0)
            images_->Draw(dc, gx, gy, disabledIndex_);
        else
            images_->DrawDisabled(dc, gx, gy, imageIndex_);
    }

    RECT place{rect.left + at.TextX, rect.top + at.TextY, rect.left + at.TextX + in.TextWidth,
               rect.top + at.TextY + in.TextHeight};
    if (textRect)
        *textRect = place;
    if (caption.empty())
        return;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    if (!enabled) {
        RECT light = place;
        OffsetRect(&light, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, caption.c_str(), -1, &light, DT_SINGLELINE);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, ColorToRGB(textColor));
    }
    DrawTextA(dc, caption.c_str(), -1, &place, DT_SINGLELINE);
    SetBkMode(dc, oldMode);
}

// ---- TBitBtn

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::CreateParams(TCreateParams& params) {
    TButton::CreateParams(params);
    params.Style = (params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::SetButtonStyle(bool) {
    Invalidate();
}

void TBitBtn::WndProc(TMessage& message) {
    switch (message.Msg) {
    case CN_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam));
        message.Result = TRUE;
        return;
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button reports double clicks; the user meant a second press.
        message.Msg = WM_LBUTTONDOWN;
        break;
    default:
        break;
    }
    TButton::WndProc(message);
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item) {
    RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    TBufferDC buffer(item.hDC, rect);
    HDC dc = buffer.Get();
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    RECT face = rect;
    if (Active() || focused) {
        FrameRect(dc, &face, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&face, -1, -1);
    }
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    RECT content = face;
    InflateRect(&content, -2, -2);
    if (pressed)
        OffsetRect(&content, 1, 1);
    TSelectGuard font(dc, Font().Handle());
    RECT textRect{};
    DrawContent(dc, content, Caption(),
                !enabled  ? bgsDisabled
                : pressed ? bgsClicked
                          : bgsUp,
                enabled, Font().Color(), &textRect);
    if (focused) {
        RECT cue = face;
        InflateRect(&cue, -3, -3);
        DrawFocusRect(dc, &cue);
    }
    buffer.CopyToArea(item.hDC);
}

// ---- TSpeedButton

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 23, 22);
}

void TSpeedButton::SetFlat(bool value) {
    if (value == flat_)
        return;
    flat_ = value;
    Invalidate();
}

void TSpeedButton::SetDown(bool value) {
    if (groupIndex_ == 0)
        value = false;
    if (value == down_)
        return;
    if (!value && !allowAllUp_) {
        // The last pressed button of a group stays down unless all may be up.
        bool otherDown = false;
        if (Parent())
            for (TControl* control : Parent()->ControlList())
                if (auto* other = dynamic_cast<TSpeedButton*>(control);
                    other && other != this && other->groupIndex_ == groupIndex_ && other->down_)
                    otherDown = true;
        if (!otherDown)
            return;
    }
    down_ = value;
    if (value && Parent())
        for (TControl* control : Parent()->ControlList())
            if (auto* other = dynamic_cast<TSpeedButton*>(control);
                other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
                other->down_ = false;
                other->Invalidate();
            }
    Invalidate();
}

void TSpeedButton::Click() {
    if (groupIndex_ != 0)
        SetDown(allowAllUp_ ? !down_ : true);
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled())
        return;
    pressed_ = pressedInside_ = true;
    Invalidate();
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!pressed_)
        return;
    const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
    if (inside != pressedInside_) {
        pressedInside_ = inside;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (button != mbLeft || !pressed_)
        return;
    const bool inside = pressedInside_;
    pressed_ = pressedInside_ = false;
    Invalidate();
    if (inside)
        Click();
}

void TSpeedButton::WndProc(TMessage& message) {
    TGraphicControl::WndProc(message);
    if (message.Msg == CM_MOUSEENTER || message.Msg == CM_MOUSELEAVE || message.Msg == CM_ENABLEDCHANGED)
        Invalidate();
}

void TSpeedButton::Paint() {
    TCanvas& canvas = Canvas();
    HDC dc = canvas.Handle();
    RECT rect{0, 0, Width(), Height()};
    const bool shownDown = down_ || (pressed_ && pressedInside_);
    const bool enabled = Enabled();
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    if (!flat_) {
        DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (shownDown ? DFCS_PUSHED : 0));
    } else if (shownDown || (mouseInControl_ && enabled)) {
        DrawEdge(dc, &rect, shownDown ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    RECT content = rect;
    InflateRect(&content, -2, -2);
    if (shownDown)
        OffsetRect(&content, 1, 1);
    TSelectGuard font(dc, Font().Handle());
    DrawContent(dc, content, Caption(),
                !enabled    ? bgsDisabled
                : down_     ? bgsDown
                : shownDown ? bgsClicked
                            : bgsUp,
                enabled, Font().Color());
}
