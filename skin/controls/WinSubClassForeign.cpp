#include "WinSubClassForeign.h"

#include "Application.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "SkinPropertyNames.h"
#include "SysUtils.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSubClassGeometry.h"

#include <algorithm>
#include <array>

namespace {

constexpr TColor Magenta = 0xFF00FF;

bool HasButtonImage(const TSkinData* skin) {
    return skin && !skin->Buttons().Bitmap.Empty();
}

// ---- The media player's button symbols

COLORREF SymbolColour(TMediaButton button) {
    switch (button) {
    case TMediaButton::mbPlay:
        return RGB(0, 128, 0);
    case TMediaButton::mbPause:
        return RGB(160, 160, 0);
    case TMediaButton::mbStop:
        return RGB(128, 0, 0);
    case TMediaButton::mbRecord:
        return RGB(192, 0, 0);
    case TMediaButton::mbEject:
        return RGB(0, 128, 128);
    default:
        return RGB(0, 0, 160);
    }
}

// A filled triangle in the box, pointing right (or left).
void Triangle(HDC dc, int left, int top, int right, int bottom, bool pointsLeft) {
    const int middle = (top + bottom) / 2;
    std::array<POINT, 3> corners{};
    if (pointsLeft)
        corners = {{{right, top}, {right, bottom}, {left, middle}}};
    else
        corners = {{{left, top}, {left, bottom}, {right, middle}}};
    Polygon(dc, corners.data(), 3);
}

// The button's symbol, centred in place.
void DrawSymbol(HDC dc, const RECT& place, TMediaButton button, COLORREF colour) {
    const int size =
        std::max(4, static_cast<int>(std::min(place.right - place.left, place.bottom - place.top)) * 2 / 5);
    const int left = place.left + CentreOffset(place.right - place.left, size);
    const int top = place.top + CentreOffset(place.bottom - place.top, size);
    const int right = left + size, bottom = top + size, bar = std::max(1, size / 4);
    TOwnedBrush brush(CreateSolidBrush(colour));
    TOwnedPen pen(CreatePen(PS_SOLID, 1, colour));
    TSaveDCGuard saved(dc);
    SelectObject(dc, brush.Get());
    SelectObject(dc, pen.Get());
    const auto block = [&](int l, int t, int r, int b) {
        const RECT rect{l, t, r, b};
        FillRect(dc, &rect, brush.Get());
    };
    const int middle = (left + right) / 2;
    switch (button) {
    case TMediaButton::mbPlay:
        Triangle(dc, left, top, right, bottom, false);
        break;
    case TMediaButton::mbPause:
        block(left, top, left + bar + 1, bottom + 1);
        block(right - bar, top, right + 1, bottom + 1);
        break;
    case TMediaButton::mbStop:
        block(left, top, right + 1, bottom + 1);
        break;
    case TMediaButton::mbNext:
        Triangle(dc, left, top, right - bar, bottom, false);
        block(right - bar + 1, top, right + 1, bottom + 1);
        break;
    case TMediaButton::mbPrev:
        block(left, top, left + bar, bottom + 1);
        Triangle(dc, left + bar, top, right, bottom, true);
        break;
    case TMediaButton::mbStep:
        Triangle(dc, left, top, middle, bottom, false);
        Triangle(dc, middle, top, right, bottom, false);
        break;
    case TMediaButton::mbBack:
        Triangle(dc, left, top, middle, bottom, true);
        Triangle(dc, middle, top, right, bottom, true);
        break;
    case TMediaButton::mbRecord:
        Ellipse(dc, left, top, right + 1, bottom + 1);
        break;
    case TMediaButton::mbEject: {
        const std::array<POINT, 3> corners{
            {{left, top + size * 2 / 3}, {right, top + size * 2 / 3}, {middle, top}}};
        Polygon(dc, corners.data(), 3);
        block(left, bottom - bar + 1, right + 1, bottom + 1);
        break;
    }
    }
}

const char* const StripClassName = "PPSkinMediaStrip";

bool RegisterStripClass(WNDPROC proc) {
    WNDCLASSA existing{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), StripClassName, &existing))
        return true;
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = StripClassName;
    return RegisterClassA(&wc) != 0;
}

} // namespace

// ---- TWMediaPlayer

TWMediaPlayer::TWMediaPlayer(TSkinMP* adapter, HWND player) : adapter_(adapter), player_(player) {
    if (!player_ || !RegisterStripClass(&TWMediaPlayer::Proc))
        return;
    window_ = CreateWindowExA(0, StripClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                              player_, nullptr, GetModuleHandleA(nullptr), this);
    Place();
}

TWMediaPlayer::~TWMediaPlayer() {
    if (window_ && IsWindow(window_)) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void TWMediaPlayer::Place() {
    if (!window_ || !player_)
        return;
    RECT client{};
    GetClientRect(player_, &client);
    SetWindowPos(window_, HWND_TOP, 0, 0, client.right, client.bottom, SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void TWMediaPlayer::Repaint() {
    if (window_) {
        InvalidateRect(window_, nullptr, FALSE);
        UpdateWindow(window_);
    }
}

LRESULT CALLBACK TWMediaPlayer::Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* strip = reinterpret_cast<TWMediaPlayer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            if (strip)
                strip->window_ = nullptr;
            return DefWindowProcA(window, msg, wParam, lParam);
        }
        if (strip && strip->window_ == window)
            return strip->Handle(msg, wParam, lParam);
    } catch (...) {
        HandleCurrentException(PaintingMessage(msg));
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

std::optional<TMediaButtonPlace> TWMediaPlayer::ButtonAt(LPARAM point) const {
    RECT client{};
    GetClientRect(window_, &client);
    const auto places = LayOutMediaButtons(client.right, client.bottom, adapter_->VisibleButtons());
    const auto place =
        MediaButtonAt(places, static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point)));
    if (!place || !(adapter_->EnabledButtons() & MediaButtonBit(place->Button)) || !IsWindowEnabled(player_))
        return std::nullopt;
    return place;
}

LRESULT TWMediaPlayer::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case SKM_ISSKINNED:
        return 1;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        TPaintDC dc(window_);
        if (dc.Get())
            PaintOn(dc.Get());
        return 0;
    }
    case WM_MOUSEMOVE: {
        const auto place = ButtonAt(lParam);
        const std::optional<TMediaButton> hot = place ? std::optional(place->Button) : std::nullopt;
        if (hot != hot_) {
            hot_ = hot;
            SkinTrackMouseLeave(window_);
            Repaint();
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        if (hot_) {
            hot_.reset();
            Repaint();
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (const auto place = ButtonAt(lParam)) {
            pressed_ = place->Button;
            SetCapture(window_);
            Repaint();
        }
        return 0;
    case WM_LBUTTONUP: {
        if (!pressed_)
            return 0;
        const auto place = ButtonAt(lParam);
        const bool click = place && place->Button == *pressed_;
        pressed_.reset();
        if (GetCapture() == window_)
            ReleaseCapture();
        Repaint();
        // Last: the player's answer to the click may free the adapter, and this strip with it.
        if (click)
            adapter_->ForwardClick(*place);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_) {
            pressed_.reset();
            Repaint();
        }
        return 0;
    default:
        return DefWindowProcA(window_, msg, wParam, lParam);
    }
}

void TWMediaPlayer::PaintOn(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    TSkinData* skin = adapter_->SkinData();
    if (client.right <= 0 || client.bottom <= 0 || !skin)
        return;
    if (buffer_.Width() != client.right || buffer_.Height() != client.bottom)
        buffer_.SetSize(client.right, client.bottom);
    HDC bufferDc = buffer_.MemoryDC();
    FillButtonFace(bufferDc, client, *skin);
    const TDataSkinButton& buttons = skin->Buttons();
    const TMediaButtons enabled = IsWindowEnabled(player_) ? adapter_->EnabledButtons() : 0;
    const TMediaButtons coloured = adapter_->ColoredButtons();
    for (const TMediaButtonPlace& place :
         LayOutMediaButtons(client.right, client.bottom, adapter_->VisibleButtons())) {
        const TMediaButton button = place.Button;
        const bool on = (enabled & MediaButtonBit(button)) != 0;
        const int cell = ButtonCell(pressed_ == button, hot_ == button, false, on);
        const RECT rect{place.Rect.Left, place.Rect.Top, place.Rect.Right, place.Rect.Bottom};
        DrawElementCell(bufferDc, rect, buttons, cell);
        COLORREF colour = ColorToRGB(skin->Colour(scButtonText));
        if (!on)
            colour = GetSysColor(COLOR_BTNSHADOW);
        else if (coloured & MediaButtonBit(button))
            colour = SymbolColour(button);
        else if (cell == 2 && buttons.HasPressedColour2)
            colour = ColorToRGB(buttons.PressedColour2);
        else if (cell == 4 && buttons.HasMouseOverColour2)
            colour = ColorToRGB(buttons.MouseOverColour2);
        else if (buttons.HasNormalColour2)
            colour = ColorToRGB(buttons.NormalColour2);
        DrawSymbol(bufferDc, rect, button, colour);
    }
    GdiFlush();
    BitBlt(dc, 0, 0, client.right, client.bottom, bufferDc, 0, 0, SRCCOPY);
}

// ---- TSkinMP

TSkinMP::TSkinMP(TComponent* owner) : TSkinControl(owner) {}

TSkinMP::~TSkinMP() {
    try {
        strip_.reset();
    } catch (...) {
        // Nothing may escape a destructor.
        TraceSwallowed("TSkinMP::~TSkinMP");
    }
}

void TSkinMP::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachControl(frame, skin, useSkinColour, canvas);
    if (attached_)
        MakeStrip();
}

void TSkinMP::AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachWindow(window, skin, frame, canvas);
    if (attached_)
        MakeStrip();
}

void TSkinMP::MakeStrip() {
    // Without the skin's button image the player keeps its own look.
    if (strip_ || !handle_ || !IsWindow(handle_) || !HasButtonImage(skin_))
        return;
    const LONG style = GetWindowLongA(handle_, GWL_STYLE);
    if (!(style & WS_CLIPCHILDREN)) {
        // So that the player does not paint over its strip.
        SetWindowLongA(handle_, GWL_STYLE, style | WS_CLIPCHILDREN);
        addedClipChildren_ = true;
    }
    strip_ = std::make_unique<TWMediaPlayer>(this, handle_);
}

TMediaButtons TSkinMP::ButtonSet(std::string_view property, TMediaButtons absent) const {
    std::string text;
    if (control_ && !control_->IsDestroying() && control_->GetPropText(property, text))
        return ParseMediaButtons(text);
    return absent;
}

TMediaButtons TSkinMP::VisibleButtons() const {
    return ButtonSet(SkinProperty::VisibleButtons, AllMediaButtons);
}

TMediaButtons TSkinMP::EnabledButtons() const {
    return ButtonSet(SkinProperty::EnabledButtons, AllMediaButtons);
}

TMediaButtons TSkinMP::ColoredButtons() const {
    return ButtonSet(SkinProperty::ColoredButtons, 0);
}

void TSkinMP::ForwardClick(const TMediaButtonPlace& place) {
    // The strip lies over the player's client area: the same place on the player is its button.
    HWND player = handle_;
    const LPARAM centre =
        MAKELPARAM((place.Rect.Left + place.Rect.Right) / 2, (place.Rect.Top + place.Rect.Bottom) / 2);
    SendMessageA(player, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    if (IsWindow(player))
        SendMessageA(player, WM_LBUTTONUP, 0, centre);
}

void TSkinMP::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_SIZE:
        if (strip_) {
            strip_->Place();
            strip_->Repaint();
        }
        break;
    case WM_PAINT:
        // A window made anew lost its strip with the old one.
        if (strip_ && !strip_->Handle()) {
            strip_.reset();
            MakeStrip();
        }
        break;
    case WM_ENABLE:
        if (strip_)
            strip_->Repaint();
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinMP::SkinChanged() {
    TSkinControl::SkinChanged();
    if (!HasButtonImage(skin_)) {
        strip_.reset();
        return;
    }
    MakeStrip();
    if (strip_)
        strip_->Repaint();
}

void TSkinMP::DoRestore() {
    strip_.reset();
    if (addedClipChildren_ && handle_ && IsWindow(handle_) && state_ != asDestroyed)
        SetWindowLongA(handle_, GWL_STYLE, GetWindowLongA(handle_, GWL_STYLE) & ~WS_CLIPCHILDREN);
    addedClipChildren_ = false;
    TSkinControl::DoRestore();
    if (state_ != asDestroyed) {
        state_ = asRestored;
        if (handle_ && IsWindow(handle_))
            RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
}

// ---- TSkinObjImage

TSkinObjImage::TSkinObjImage(TComponent* owner, int mode)
    : TSkinControl(owner), kind_(mode == ObjImageRadioMode   ? TGlyphKind::gkRadio
                                 : mode == ObjImageThirdMode ? TGlyphKind::gkPropertiesGlyph
                                                             : TGlyphKind::gkCheckBox) {}

void TSkinObjImage::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachControl(frame, skin, useSkinColour, canvas);
    if (attached_)
        ApplyImage();
}

TBitmap* TSkinObjImage::GlyphOfControl() const {
    if (!control_ || control_->IsDestroying())
        return nullptr;
    if (kind_ == TGlyphKind::gkPropertiesGlyph) {
        TPersistent* properties = control_->GetObjectProp(SkinProperty::Properties);
        return properties ? dynamic_cast<TBitmap*>(properties->GetObjectProp(SkinProperty::Glyph)) : nullptr;
    }
    return dynamic_cast<TBitmap*>(control_->GetObjectProp(SkinProperty::CustomGlyphs));
}

void TSkinObjImage::ApplyImage() {
    TBitmap* glyph = GlyphOfControl();
    if (!glyph || !skin_)
        return;
    const TBitmap& image =
        kind_ == TGlyphKind::gkRadio ? skin_->Buttons().RadioBitmap : skin_->Buttons().CheckBitmap;
    if (image.Empty())
        return;
    if (!saved_) {
        savedGlyph_.Assign(*glyph);
        control_->GetPropText(SkinProperty::UseCustomGlyphs, savedUseCustom_);
        control_->GetPropText(SkinProperty::TransparentColor, savedTransparentColour_);
        saved_ = true;
    }
    glyph->Assign(image);
    glyph->SetTransparent(true);
    glyph->SetTransparentColor(Magenta);
    control_->SetPropText(SkinProperty::UseCustomGlyphs, "True");
    control_->SetPropText(SkinProperty::TransparentColor, std::to_string(Magenta));
    control_->Invalidate();
}

void TSkinObjImage::SkinChanged() {
    ApplyImage();
    TSkinControl::SkinChanged();
}

void TSkinObjImage::DoRestore() {
    if (saved_ && state_ != asDestroyed) {
        if (TBitmap* glyph = GlyphOfControl()) {
            glyph->Assign(savedGlyph_);
            if (!savedUseCustom_.empty())
                control_->SetPropText(SkinProperty::UseCustomGlyphs, savedUseCustom_);
            if (!savedTransparentColour_.empty())
                control_->SetPropText(SkinProperty::TransparentColor, savedTransparentColour_);
            control_->Invalidate();
        }
    }
    saved_ = false;
    TSkinControl::DoRestore();
}

// ---- TSkinAdvPage

TSkinAdvPage::TSkinAdvPage(TComponent* owner) : TSkinControl(owner) {}

void TSkinAdvPage::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachControl(frame, skin, useSkinColour, canvas);
    if (attached_)
        ApplyImages();
}

namespace {
TBitmap* ImageProperty(TControl* control, std::string_view name) {
    return control && !control->IsDestroying() ? dynamic_cast<TBitmap*>(control->GetObjectProp(name))
                                               : nullptr;
}

// Cell `cell` of the tab element as a bitmap of its own, magenta transparent when the element
// says so.
void CopyTabCell(const TDataSkinBorder& tabs, int cell, TBitmap& target) {
    if (cell > std::max(tabs.Frame, 1))
        return;
    const RECT source = CellRect(tabs, cell);
    const int width = source.right - source.left, height = source.bottom - source.top;
    if (width <= 0 || height <= 0)
        return;
    TBitmap copy(width, height);
    BitBlt(copy.MemoryDC(), 0, 0, width, height, tabs.Bitmap.MemoryDC(), source.left, source.top, SRCCOPY);
    GdiFlush();
    copy.SetTransparent(tabs.Trans == 1);
    copy.SetTransparentColor(Magenta);
    target.Assign(copy);
}
} // namespace

void TSkinAdvPage::ApplyImages() {
    const TDataSkinBorder* tabs = skin_ ? skin_->Tabs() : nullptr;
    TBitmap* normal = ImageProperty(control_, SkinProperty::TabBackGround);
    TBitmap* active = ImageProperty(control_, SkinProperty::TabBackGroundActive);
    if (!tabs || tabs->Bitmap.Empty() || (!normal && !active))
        return;
    if (!saved_) {
        if (normal)
            savedNormal_.Assign(*normal);
        if (active)
            savedActive_.Assign(*active);
        saved_ = true;
    }
    // The normal tab's cell and the selected one's.
    if (normal)
        CopyTabCell(*tabs, 1, *normal);
    if (active)
        CopyTabCell(*tabs, 2, *active);
    control_->Invalidate();
}

void TSkinAdvPage::SkinChanged() {
    ApplyImages();
    TSkinControl::SkinChanged();
}

void TSkinAdvPage::DoRestore() {
    if (saved_ && state_ != asDestroyed) {
        if (TBitmap* normal = ImageProperty(control_, SkinProperty::TabBackGround))
            normal->Assign(savedNormal_);
        if (TBitmap* active = ImageProperty(control_, SkinProperty::TabBackGroundActive))
            active->Assign(savedActive_);
        if (control_ && !control_->IsDestroying())
            control_->Invalidate();
    }
    saved_ = false;
    TSkinControl::DoRestore();
}
