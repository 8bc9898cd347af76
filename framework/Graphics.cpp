#include "Graphics.h"

#include "SysUtils.h"

#include "Bitmap.h"

#include <algorithm>
#include <cstring>

COLORREF ColorToRGB(TColor color) {
    if (IsSystemColor(color))
        return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0x00FFFFFF;
}

bool IsSystemColor(TColor color) {
    return (static_cast<std::uint32_t>(color) & 0xFF000000u) == 0xFF000000u;
}

int ScreenPixelsPerInch() {
    static const int ppi = [] {
        HDC dc = GetDC(nullptr);
        int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc)
            ReleaseDC(nullptr, dc);
        return value > 0 ? value : 96;
    }();
    return ppi;
}

void TGraphicsObject::Changed() {
    // Listeners (a canvas) deselect the old handle before it is deleted.
    if (OnChange)
        OnChange(this);
    ReleaseHandle();
}

// ---- TFont

TFont::TFont() : pixelsPerInch_(ScreenPixelsPerInch()) {}

const TPropertyInfo* TFont::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TFont::Name, &TFont::SetName>("Name"),
        Prop<&TFont::Height, &TFont::SetHeight>("Height"),
        Prop<&TFont::Size, &TFont::SetSize>("Size"),
        Prop<&TFont::Color, &TFont::SetColor>("Color"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TGraphicsObject::FindProperty(name);
}

void TFont::Assign(const TPersistent& source) {
    auto* other = dynamic_cast<const TFont*>(&source);
    if (!other)
        return TGraphicsObject::Assign(source);
    if (SameAs(*other))
        return;
    name_ = other->name_;
    height_ = other->height_;
    color_ = other->color_;
    style_ = other->style_;
    charset_ = other->charset_;
    pitch_ = other->pitch_;
    Changed();
}

bool TFont::SameAs(const TFont& other) const {
    return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ &&
           style_ == other.style_ && charset_ == other.charset_ && pitch_ == other.pitch_;
}

LOGFONTA TFont::LogFont() const {
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
    lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = charset_;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = static_cast<BYTE>(pitch_ == fpFixed      ? FIXED_PITCH
                                            : pitch_ == fpVariable ? VARIABLE_PITCH
                                                                   : DEFAULT_PITCH);
    std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    return lf;
}

void TFont::SetLogFont(const LOGFONTA& lf) {
    name_.assign(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
    height_ = lf.lfHeight;
    style_ = (lf.lfWeight >= FW_BOLD ? fsBold : 0u) | (lf.lfItalic ? fsItalic : 0u) |
             (lf.lfUnderline ? fsUnderline : 0u) | (lf.lfStrikeOut ? fsStrikeOut : 0u);
    charset_ = lf.lfCharSet;
    int pitch = lf.lfPitchAndFamily & 3;
    pitch_ = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
    Changed();
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTA lf = LogFont();
        handle_.Reset(CreateFontIndirectA(&lf));
    }
    return handle_.Get();
}

void TFont::SetHandle(HFONT font) {
    LOGFONTA lf{};
    if (font && GetObjectA(font, sizeof lf, &lf))
        SetLogFont(lf);
}

void TFont::ReleaseHandle() {
    handle_.Reset();
}

void TFont::SetName(const std::string& name) {
    if (name.empty() || name == name_)
        return;
    name_ = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == height_)
        return;
    height_ = height;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, pixelsPerInch_, 72));
}

void TFont::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    // The colour is not part of the GDI font; only listeners need to know.
    if (OnChange)
        OnChange(this);
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

void TFont::SetCharset(BYTE charset) {
    if (charset == charset_)
        return;
    charset_ = charset;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == pitch_)
        return;
    pitch_ = pitch;
    Changed();
}

// ---- TBrush

void TBrush::Assign(const TPersistent& source) {
    auto* other = dynamic_cast<const TBrush*>(&source);
    if (!other)
        return TGraphicsObject::Assign(source);
    if (other->color_ == color_ && other->style_ == style_)
        return;
    color_ = other->color_;
    style_ = other->style_;
    Changed();
}

HBRUSH TBrush::Handle() const {
    if (!handle_) {
        if (style_ == bsClear) {
            LOGBRUSH lb{BS_HOLLOW, 0, 0};
            handle_.Reset(CreateBrushIndirect(&lb));
        } else {
            handle_.Reset(CreateSolidBrush(ColorToRGB(color_)));
        }
    }
    return handle_.Get();
}

void TBrush::ReleaseHandle() {
    handle_.Reset();
}

void TBrush::SetColor(TColor color) {
    if (color == color_ && style_ == bsSolid)
        return;
    color_ = color;
    style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

// ---- TPen

void TPen::Assign(const TPersistent& source) {
    auto* other = dynamic_cast<const TPen*>(&source);
    if (!other)
        return TGraphicsObject::Assign(source);
    color_ = other->color_;
    width_ = other->width_;
    style_ = other->style_;
    Changed();
}

HPEN TPen::Handle() const {
    if (!handle_) {
        static const int styles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                     PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        handle_.Reset(CreatePen(styles[style_], width_, ColorToRGB(color_)));
    }
    return handle_.Get();
}

void TPen::ReleaseHandle() {
    handle_.Reset();
}

void TPen::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    Changed();
}

void TPen::SetWidth(int width) {
    if (width == width_)
        return;
    width_ = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style) {
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

// ---- TCanvas

TCanvas::TCanvas() {
    font_.OnChange = Bind<&TCanvas::ObjectChanged>(this);
    brush_.OnChange = Bind<&TCanvas::ObjectChanged>(this);
    pen_.OnChange = Bind<&TCanvas::ObjectChanged>(this);
}

TCanvas::~TCanvas() {
    SetHandle(nullptr);
}

void TCanvas::ObjectChanged(TObject* sender) {
    if (!dc_)
        return;
    // Put the context's own object back so the old handle can be deleted.
    if (sender == &font_ && (state_ & csFontValid)) {
        SelectObject(dc_, oldFont_);
        oldFont_ = nullptr;
        state_ &= ~csFontValid;
    } else if (sender == &brush_ && (state_ & csBrushValid)) {
        SelectObject(dc_, oldBrush_);
        oldBrush_ = nullptr;
        state_ &= ~csBrushValid;
    } else if (sender == &pen_ && (state_ & csPenValid)) {
        SelectObject(dc_, oldPen_);
        oldPen_ = nullptr;
        state_ &= ~csPenValid;
    }
}

void TCanvas::DeselectHandles() {
    if (!dc_)
        return;
    if (state_ & csFontValid)
        SelectObject(dc_, oldFont_);
    if (state_ & csBrushValid)
        SelectObject(dc_, oldBrush_);
    if (state_ & csPenValid)
        SelectObject(dc_, oldPen_);
    oldFont_ = oldBrush_ = oldPen_ = nullptr;
    state_ &= ~(csFontValid | csBrushValid | csPenValid);
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == dc_)
        return;
    DeselectHandles();
    dc_ = dc;
    state_ = dc ? static_cast<unsigned>(csHandleValid) : 0u;
}

HDC TCanvas::Handle() {
    if (!dc_)
        CreateHandle();
    return dc_;
}

void TCanvas::RequireState(unsigned required) {
    if (!dc_)
        CreateHandle();
    if (!dc_)
        throw Exception("Canvas does not allow drawing");
    unsigned missing = required & ~state_;
    if (missing & csFontValid) {
        oldFont_ = SelectObject(dc_, font_.Handle());
        SetTextColor(dc_, ColorToRGB(font_.Color()));
        state_ |= csFontValid;
    }
    if (missing & csBrushValid) {
        oldBrush_ = SelectObject(dc_, brush_.Handle());
        if (brush_.Style() == bsClear) {
            SetBkMode(dc_, TRANSPARENT);
        } else {
            SetBkColor(dc_, ColorToRGB(brush_.Color()));
            SetBkMode(dc_, OPAQUE);
        }
        state_ |= csBrushValid;
    }
    if (missing & csPenValid) {
        oldPen_ = SelectObject(dc_, pen_.Handle());
        state_ |= csPenValid;
    }
    // The font colour can change without a new handle.
    if (required & csFontValid)
        SetTextColor(dc_, ColorToRGB(font_.Color()));
}

RECT TCanvas::ClipRect() {
    RECT rect{};
    if (Handle())
        GetClipBox(dc_, &rect);
    return rect;
}

void TCanvas::FillRect(const RECT& rect) {
    RequireState(csBrushValid);
    ::FillRect(dc_, &rect, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& rect) {
    RequireState(csBrushValid);
    ::FrameRect(dc_, &rect, brush_.Handle());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    RequireState(csBrushValid | csPenValid);
    ::Rectangle(dc_, left, top, right, bottom);
}

void TCanvas::MoveTo(int x, int y) {
    RequireState(csHandleValid);
    MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    RequireState(csPenValid | csBrushValid);
    ::LineTo(dc_, x, y);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    RequireState(csFontValid | csBrushValid);
    ExtTextOutA(dc_, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text) {
    RequireState(csFontValid | csBrushValid);
    UINT options = ETO_CLIPPED | (brush_.Style() != bsClear ? ETO_OPAQUE : 0);
    ExtTextOutA(dc_, x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
}

SIZE TCanvas::TextExtent(const std::string& text) {
    RequireState(csFontValid);
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

int TCanvas::DrawText(const char* text, int length, RECT& rect, UINT format) {
    RequireState(csFontValid | csBrushValid);
    return ::DrawTextA(dc_, text, length, &rect, format);
}

TColor TCanvas::Pixel(int x, int y) {
    RequireState(csHandleValid);
    return static_cast<TColor>(GetPixel(dc_, x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    RequireState(csHandleValid);
    ::SetPixelV(dc_, x, y, ColorToRGB(color));
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    RequireState(csHandleValid);
    bitmap.Draw(dc_, x, y);
}

void TCanvas::StretchDraw(const RECT& rect, const TBitmap& bitmap) {
    RequireState(csHandleValid);
    bitmap.StretchDraw(dc_, rect);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect) {
    RequireState(csHandleValid);
    HDC sourceDC = source.Handle();
    StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, sourceDC,
               sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
               sourceRect.bottom - sourceRect.top, copyMode_);
}

void Frame3D(TCanvas& canvas, const RECT& r, TColor topLeft, TColor bottomRight) {
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    HDC dc = canvas.Handle();
    auto fill = [dc](int l, int t, int rr, int b, TColor color) {
        if (rr <= l || b <= t)
            return;
        RECT part{l, t, rr, b};
        SetBkColor(dc, ColorToRGB(color));
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &part, nullptr, 0, nullptr);
    };
    COLORREF savedBk = GetBkColor(dc);
    fill(r.left, r.top, r.right - 1, r.top + 1, topLeft);       // top row
    fill(r.left, r.top, r.left + 1, r.bottom - 1, topLeft);     // left column
    fill(r.right - 1, r.top, r.right, r.bottom, bottomRight);   // right column
    fill(r.left, r.bottom - 1, r.right, r.bottom, bottomRight); // bottom row
    SetBkColor(dc, savedBk);
}
