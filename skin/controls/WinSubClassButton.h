#pragma once
// The push-button adapter.
#include "WinSubClass.h"

#include <memory>

// Push buttons: the whole button from the skin's Buttons cells (WinSubClassButton.cpp).
class TSkinButton : public TSkinControl {
  public:
    explicit TSkinButton(TComponent* owner);
    ~TSkinButton() override;
    const char* ClassName() const override { return "TSkinButton"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    void AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    bool MultiLine() const { return multiLine_; }
    bool Transparent() const { return transparent_; }
    // The cell the last paint chose (0 before the first).
    int LastCell() const { return lastCell_; }

  private:
    // Who hears of a press: the control's OnMouseDown through the adapter, or the control
    // alone (families that handle their presses themselves).
    enum class TPressReport { prByAdapter, prByControl };
    void Click();
    TPressReport pressReport_ = TPressReport::prByAdapter;
    std::unique_ptr<TBitmap> buffer_;
    bool multiLine_ = false;
    bool transparent_ = false;
    int lastCell_ = 0;
};

// The glyph buttons build on the push button.
#include "WinSubClassGlyph.h"
