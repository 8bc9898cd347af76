#pragma once
// Adapters for controls of other libraries that the skin reaches through their published
// properties: media players (a skinned button strip over the player), check boxes and radio
// buttons that draw their own glyphs (given the skin's images), and advanced page controls (given
// the skin's tab images).
#include "WinSubClass.h"
#include "WinSubClassMediaGeometry.h"

#include "Bitmap.h"
#include "ControlDiscoveryRules.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class TSkinMP;

// The skinned button strip of a media player: a child window of the player over its whole
// client area, each visible button drawn from the skin's Buttons cells with its symbol. A click
// on an enabled button is handed to the player at the same place, so the player acts on it.
class TWMediaPlayer {
  public:
    TWMediaPlayer(TSkinMP* adapter, HWND player);
    ~TWMediaPlayer();
    TWMediaPlayer(const TWMediaPlayer&) = delete;
    TWMediaPlayer& operator=(const TWMediaPlayer&) = delete;

    HWND Handle() const { return window_; }
    // Covers the player's client area as it is now.
    void Place();
    void Repaint();
    // The button under the mouse and the one held down, if any.
    std::optional<TMediaButton> HotButton() const { return hot_; }
    std::optional<TMediaButton> PressedButton() const { return pressed_; }

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void PaintOn(HDC dc);
    std::optional<TMediaButtonPlace> ButtonAt(LPARAM point) const;

    TSkinMP* adapter_;
    HWND player_;
    HWND window_ = nullptr;
    std::optional<TMediaButton> hot_;
    std::optional<TMediaButton> pressed_;
    // The strip is drawn here first and copied in one go; kept, and only resized.
    TBitmap buffer_;
};

// Media players: the skinned strip covers the player; which buttons show, which take clicks and
// which have coloured symbols come from its "VisibleButtons", "EnabledButtons" and
// "ColoredButtons" (all visible and enabled, none coloured, when it has no such property).
class TSkinMP : public TSkinControl {
  public:
    explicit TSkinMP(TComponent* owner);
    ~TSkinMP() override;
    const char* ClassName() const override { return "TSkinMP"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    void AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) override;
    void AfterMessage(TMessage& message) override;
    void SkinChanged() override;

    TWMediaPlayer* Strip() const { return strip_.get(); }
    TMediaButtons VisibleButtons() const;
    TMediaButtons EnabledButtons() const;
    TMediaButtons ColoredButtons() const;
    // A press and release at the centre of place, handed to the player.
    void ForwardClick(const TMediaButtonPlace& place);

  protected:
    void DoRestore() override;

  private:
    void MakeStrip();
    TMediaButtons ButtonSet(std::string_view property, TMediaButtons absent) const;
    std::unique_ptr<TWMediaPlayer> strip_;
    bool addedClipChildren_ = false;
};

// Check boxes and radio buttons that draw their own glyphs: no painting of its own; the
// control's glyph properties take the skin's check or radio image, magenta transparent, and get
// their own values back on Restore.
class TSkinObjImage : public TSkinControl {
  public:
    // Which glyph properties the control has: "UseCustomGlyphs" with "CustomGlyphs" (check boxes
    // and radio buttons of one family), or "Properties" with its "Glyph" (check boxes of another).
    enum class TGlyphKind { gkCheckBox = ObjImageCheckMode, gkRadio = ObjImageRadioMode, gkPropertiesGlyph };
    static_assert(static_cast<int>(TGlyphKind::gkPropertiesGlyph) == ObjImageThirdMode);

    // mode: the discovery decision's (ObjImageCheckMode, ObjImageRadioMode or ObjImageThirdMode).
    TSkinObjImage(TComponent* owner, int mode);
    const char* ClassName() const override { return "TSkinObjImage"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    void SkinChanged() override;
    TGlyphKind Kind() const { return kind_; }
    int Mode() const { return static_cast<int>(kind_); }

  protected:
    void DoRestore() override;

  private:
    TBitmap* GlyphOfControl() const;
    void ApplyImage();

    TGlyphKind kind_;
    // What the control had before the first change.
    bool saved_ = false;
    TBitmap savedGlyph_;
    std::string savedUseCustom_;
    std::string savedTransparentColour_;
};

// Advanced page controls: no painting of its own; "TabBackGround" and "TabBackGroundActive" take
// the skin's tab cells (normal and selected) and get their own images back on Restore.
class TSkinAdvPage : public TSkinControl {
  public:
    explicit TSkinAdvPage(TComponent* owner);
    const char* ClassName() const override { return "TSkinAdvPage"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    void SkinChanged() override;

  protected:
    void DoRestore() override;

  private:
    void ApplyImages();

    bool saved_ = false;
    TBitmap savedNormal_;
    TBitmap savedActive_;
};
