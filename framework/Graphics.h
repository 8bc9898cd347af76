#pragma once
// Colours, fonts, brushes, pens and the canvas that draws with them.

#include "Delegate.h"
#include "Handles.h"
#include "Persistent.h"

#include <windows.h>

#include <cstdint>
#include <string>

// 0x00BBGGRR, or 0xFF0000nn for system colour nn (resolved when drawn).
using TColor = std::int32_t;

constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0xFF000000u | static_cast<unsigned>(index));
}
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

// The RGB value a colour stands for now (system colours looked up).
COLORREF ColorToRGB(TColor color);
bool IsSystemColor(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TBrushStyle { bsSolid, bsClear };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// Dots per inch of the screen, read once.
int ScreenPixelsPerInch();

// Base of fonts, brushes and pens: a lazily made GDI handle and a change event.
class TGraphicsObject : public TPersistent {
  public:
    TNotifyEvent OnChange;

  protected:
    void Changed();
    virtual void ReleaseHandle() = 0;
};

class TFont : public TGraphicsObject {
  public:
    TFont();
    const char* ClassName() const override { return "TFont"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;
    void Assign(const TPersistent& source) override;

    HFONT Handle() const;
    // Takes the description of an existing font (the handle itself is not kept).
    void SetHandle(HFONT font);
    LOGFONTA LogFont() const;
    void SetLogFont(const LOGFONTA& logFont);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    int Height() const { return height_; }
    void SetHeight(int height);
    int Size() const; // points
    void SetSize(int points);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    int PixelsPerInch() const { return pixelsPerInch_; }

    bool SameAs(const TFont& other) const;

  protected:
    void ReleaseHandle() override;

  private:
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_ = 0;
    BYTE charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
    int pixelsPerInch_;
    mutable TOwnedFont handle_;
};

class TBrush : public TGraphicsObject {
  public:
    const char* ClassName() const override { return "TBrush"; }
    void Assign(const TPersistent& source) override;
    HBRUSH Handle() const;
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);

  protected:
    void ReleaseHandle() override;

  private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    mutable TOwnedBrush handle_;
};

class TPen : public TGraphicsObject {
  public:
    const char* ClassName() const override { return "TPen"; }
    void Assign(const TPersistent& source) override;
    HPEN Handle() const;
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);

  protected:
    void ReleaseHandle() override;

  private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    mutable TOwnedPen handle_;
};

class TBitmap;

// Drawing on a device context with the canvas's font, brush and pen. The
// canvas selects its objects on demand and puts the context's own back when
// the handle changes or the canvas goes away.
class TCanvas : public TPersistent {
  public:
    TCanvas();
    ~TCanvas() override;
    const char* ClassName() const override { return "TCanvas"; }

    HDC Handle();
    bool HandleAllocated() const { return dc_ != nullptr; }
    // Borrows a device context (or lets go of it with null).
    void SetHandle(HDC dc);

    TFont& Font() { return font_; }
    TBrush& Brush() { return brush_; }
    TPen& Pen() { return pen_; }
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD rop) { copyMode_ = rop; }
    RECT ClipRect();

    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    void Rectangle(int left, int top, int right, int bottom);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const RECT& rect, int x, int y, const std::string& text);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    // DrawTextA with the canvas's font and brush (opaque unless the brush is clear).
    int DrawText(const char* text, int length, RECT& rect, UINT format);
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);
    void Draw(int x, int y, const TBitmap& bitmap);
    void StretchDraw(const RECT& rect, const TBitmap& bitmap);
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect);

  protected:
    // Derived canvases make their device context on first use.
    virtual void CreateHandle() {}
    enum : unsigned { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
    void RequireState(unsigned state);
    // Selects the context's original objects back in.
    void DeselectHandles();

  private:
    void ObjectChanged(TObject* sender);

    HDC dc_ = nullptr;
    unsigned state_ = 0;
    HGDIOBJ oldFont_ = nullptr, oldBrush_ = nullptr, oldPen_ = nullptr;
    TFont font_;
    TBrush brush_;
    TPen pen_;
    DWORD copyMode_ = SRCCOPY;
};

// Raised or sunken one-pixel frame: top-left colour on the top row and left
// column, bottom-right colour on the right column and bottom row (the
// top-right and bottom-left corner pixels take the bottom-right colour).
void Frame3D(TCanvas& canvas, const RECT& rect, TColor topLeft, TColor bottomRight);
