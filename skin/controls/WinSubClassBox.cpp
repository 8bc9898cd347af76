#include "WinSubClassBox.h"

#include "Handles.h"
#include "ImgUtil.h"
#include "SkinPropertyNames.h"
#include "WinControl.h"
#include "WinSkinData.h"

// ---- TSkinBox

TSkinBox::TSkinBox(TComponent* owner) : TSkinControl(owner) {}

void TSkinBox::DoRestore() {
    TSkinControl::DoRestore();
    if (state_ != asDestroyed)
        state_ = asRestored;
}

bool TSkinBox::BeforeMessage(TMessage& message) {
    return TSkinControl::BeforeMessage(message);
}

void TSkinBox::AfterMessage(TMessage&) {
    // A container draws itself in the skin's colour; there is nothing to paint over it.
}

// ---- TSkinBoxH

TSkinBoxH::TSkinBoxH(TComponent* owner) : TSkinControl(owner) {}

bool TSkinBoxH::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    if (message.Msg == WM_ERASEBKGND && skin_ && message.WParam) {
        RECT rect{};
        GetClientRect(handle_, &rect);
        FillRect(reinterpret_cast<HDC>(message.WParam), &rect, skin_->ButtonFaceBrush());
        message.Result = 1;
        return false;
    }
    return true;
}

void TSkinBoxH::AfterMessage(TMessage& message) {
    if (message.Msg == WM_CTLCOLORSTATIC && skin_ && skin_->ButtonFaceBrush()) {
        // Text drawn opaque takes the same colour as the brush behind it.
        if (message.WParam)
            SetBkColor(reinterpret_cast<HDC>(message.WParam), ColorToRGB(skin_->Colour(scButtonFace)));
        message.Result = reinterpret_cast<LRESULT>(skin_->ButtonFaceBrush());
        return;
    }
    if (message.Msg == WM_PAINT)
        return;
    TSkinControl::AfterMessage(message);
}

// ---- TSkinGroupBox

TSkinGroupBox::TSkinGroupBox(TComponent* owner) : TSkinControl(owner) {}

void TSkinGroupBox::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachControl(frame, skin, useSkinColour, canvas);
    if (attached_)
        cover_ = TPaintCover::pcWhole;
}

bool TSkinGroupBox::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    if (cover_ != TPaintCover::pcWhole)
        return true;
    switch (message.Msg) {
    case WM_PAINT:
    case WM_PRINT:
        FullPaint(message);
        return false;
    case WM_ERASEBKGND:
        message.Result = 1;
        return false;
    default:
        return true;
    }
}

void TSkinGroupBox::Paint(HDC dc, const RECT& rect) {
    if (!dc || !skin_ || !handle_)
        return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    HFONT font = control_ ? control_->Font().Handle() : WindowFont();
    TColor textColour = control_ ? control_->Font().Color() : skin_->Colour(scButtonText);
    std::wstring caption;
    if (control_) {
        std::string text;
        control_->GetPropText(SkinProperty::Caption, text);
        caption = AnsiToWide(text);
    } else {
        caption = WindowTextOf(handle_);
    }
    caption_ = caption;

    TSaveDCGuard saved(dc);
    SelectObject(dc, font);
    SIZE zero{};
    GetTextExtentPoint32A(dc, "0", 1, &zero);
    const int lineTop = rect.top + zero.cy / 2;
    const COLORREF face = ColorToRGB(skin_->Colour(scButtonFace));
    TOwnedBrush spare;
    HBRUSH faceBrush = ButtonFaceBrush(*skin_, spare);
    if (cover_ == TPaintCover::pcWhole) {
        FillRect(dc, &rect, faceBrush);
    } else {
        // The system drew the box; only the band where its line and caption lie is covered, so
        // that the controls inside the box (its siblings) stay as they are.
        const int band = 4;
        const RECT bands[] = {
            {rect.left, rect.top, rect.right, lineTop + band},
            {rect.left, rect.bottom - band, rect.right, rect.bottom},
            {rect.left, lineTop, rect.left + band, rect.bottom},
            {rect.right - band, lineTop, rect.right, rect.bottom},
        };
        for (const RECT& piece : bands)
            FillRect(dc, &piece, faceBrush);
    }
    TOwnedPen linePen(CreatePen(PS_SOLID, 1, ColorToRGB(skin_->Colour(scButtonShadow))));
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SelectObject(dc, linePen.Get());
    RoundRect(dc, rect.left + 1, lineTop, rect.right - 1, rect.bottom - 1, 5, 5);
    if (cover_ != TPaintCover::pcWhole) {
        TOwnedPen ringPen(CreatePen(PS_SOLID, 1, face));
        SelectObject(dc, ringPen.Get());
        Rectangle(dc, rect.left, lineTop - 1, rect.right, rect.bottom);
        SelectObject(dc, linePen.Get());
    }
    if (!caption.empty()) {
        RECT measured{0, 0, width, height};
        DrawSkinText(dc, caption, measured, DT_CALCRECT | DT_SINGLELINE);
        const int textWidth = measured.right - measured.left;
        const bool right = (GetWindowLongA(handle_, GWL_EXSTYLE) & WS_EX_RIGHT) != 0;
        const int left = right ? rect.right - 8 - textWidth : rect.left + 8;
        RECT place{left, rect.top, left + textWidth, rect.top + (measured.bottom - measured.top)};
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, face);
        SetTextColor(dc, ColorToRGB(textColour));
        DrawSkinText(dc, caption, place, DT_SINGLELINE | (right ? DT_RIGHT : DT_LEFT));
    }
    if (cover_ == TPaintCover::pcWhole) {
        if (auto* windowed = dynamic_cast<TWinControl*>(control_)) {
            RECT client = windowed->ClientRect();
            windowed->PaintControls(dc, client);
        }
    }
}

// ---- TSkinSizer

TSkinSizer::TSkinSizer(TComponent* owner) : TSkinControl(owner) {}

bool TSkinSizer::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    switch (message.Msg) {
    case WM_PAINT:
        FullPaint(message);
        return false;
    case WM_ERASEBKGND:
        message.Result = 1;
        return false;
    default:
        return true;
    }
}

void TSkinSizer::Paint(HDC dc, const RECT& rect) {
    if (dc && skin_)
        FillRect(dc, &rect, skin_->ButtonFaceBrush());
}
