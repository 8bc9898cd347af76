#pragma once
// Buttons that show a glyph beside the caption: the bitmap button (a windowed push button
// that draws itself) and the speed button (windowless, flat or raised, optionally staying
// down within a group).

#include "Bitmap.h"
#include "Buttons.h"
#include "Control.h"
#include "GlyphLayout.h"
#include "ImageList.h"

template <> struct TEnumNames<TButtonLayout> {
    static constexpr const char* Names[] = {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};
    static constexpr size_t Count = 4;
};

// The glyph's look: cells of a glyph bitmap in this order.
enum TButtonGlyphState { bgsUp = 0, bgsDisabled = 1, bgsClicked = 2, bgsDown = 3 };

// The glyph and caption properties both buttons share.
class TGlyphSettings {
  public:
    // The glyph picture: NumGlyphs cells side by side, its bottom-left pixel's colour transparent.
    TBitmap& Glyph() const { return glyph_; }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value) { numGlyphs_ = value < 1 ? 1 : value > 4 ? 4 : value; }
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value) { layout_ = value; }
    int Margin() const { return margin_; }
    void SetMargin(int value) { margin_ = value < -1 ? -1 : value; }
    int Spacing() const { return spacing_; }
    void SetSpacing(int value) { spacing_ = value < -1 ? -1 : value; }
    // An image list instead of a glyph bitmap.
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images) { images_ = images; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value) { imageIndex_ = value; }
    int DisabledIndex() const { return disabledIndex_; }
    void SetDisabledIndex(int value) { disabledIndex_ = value; }
    // The size of one glyph (0 by 0 without one).
    SIZE GlyphSize() const;
    // Draws glyph and caption into rect in the DC's font; text in textColor.
    void DrawContent(HDC dc, const RECT& rect, const std::string& caption, TButtonGlyphState state,
                     bool enabled, TColor textColor, RECT* textRect = nullptr) const;

  private:
    mutable TBitmap glyph_;
    int numGlyphs_ = 1;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    TImageList* images_ = nullptr;
    int imageIndex_ = -1;
    int disabledIndex_ = -1;
};

class TBitBtn : public TButton, public TGlyphSettings {
  public:
    explicit TBitBtn(TComponent* owner);
    const char* ClassName() const override { return "TBitBtn"; }
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void SetButtonStyle(bool isDefault) override;

  private:
    void DrawItem(const DRAWITEMSTRUCT& item);
};

class TSpeedButton : public TGraphicControl, public TGlyphSettings {
  public:
    explicit TSpeedButton(TComponent* owner);
    const char* ClassName() const override { return "TSpeedButton"; }
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    // Down stays pressed; buttons of one GroupIndex (non-zero) release each other.
    bool Down() const { return down_; }
    void SetDown(bool value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value) { groupIndex_ = value; }
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value) { allowAllUp_ = value; }
    // The mouse is over the button / pressing it now.
    bool MouseInside() const { return mouseInControl_; }
    bool Pressed() const { return pressed_; }
    void Click() override;
    void WndProc(TMessage& message) override;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

  private:
    bool flat_ = false, down_ = false, allowAllUp_ = false, pressed_ = false, pressedInside_ = false;
    int groupIndex_ = 0;
};
