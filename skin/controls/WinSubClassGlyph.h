#pragma once
// The adapters of buttons with glyphs: bitmap buttons (the push button's cells with the glyph
// and caption placed by the button's Layout, Margin and Spacing), speed buttons (the same drawn
// for a windowless button on its parent) and buttons with a drop-down part.
#include "WinSubClassButton.h"

#include <memory>
#include <string>

class TGlyphSettings;

class TSkinBitButton : public TSkinButton {
  public:
    using TSkinButton::TSkinButton;
    const char* ClassName() const override { return "TSkinBitButton"; }
    void Paint(HDC dc, const RECT& rect) override;
    // A property that holds the glyph instead of the button's own (empty: the button's).
    const std::string& GlyphProperty() const { return glyphProperty_; }
    void SetGlyphProperty(const std::string& name) { glyphProperty_ = name; }

  protected:
    // Everything but the frame's cell: the state the button shows.
    struct TLook {
        int Cell = 1;
        bool Down = false;
    };
    virtual TLook CurrentLook();
    // Paints the button (cell, glyph, caption) into a buffer of rect's size and copies it.
    void PaintButton(HDC dc, const RECT& rect, const TLook& look);
    // The drop-down part's width at the right (0: none).
    virtual int DropDownWidth() const { return 0; }

  private:
    std::unique_ptr<TBitmap> glyphBuffer_;
    std::string glyphProperty_;
};

// A windowless speed button: its messages are hooked like a control's, it paints on the DC its
// parent hands it, and repaints go to the button itself.
class TSkinSpeedButton : public TSkinBitButton {
  public:
    using TSkinBitButton::TSkinBitButton;
    const char* ClassName() const override { return "TSkinSpeedButton"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;

  protected:
    TLook CurrentLook() override;
};

class TSkinMenuButton : public TSkinBitButton {
  public:
    using TSkinBitButton::TSkinBitButton;
    const char* ClassName() const override { return "TSkinMenuButton"; }

  protected:
    int DropDownWidth() const override { return 14; }
};
