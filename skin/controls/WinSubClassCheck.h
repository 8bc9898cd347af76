#pragma once
// The check-box and radio-button adapters.
#include "WinSubClass.h"

// Check boxes and radio buttons: the skin's check or radio image in place of the native mark;
// full paint for program controls, overlay for bare windows (WinSubClassCheck.cpp).
class TSkinCheckBox : public TSkinControl {
  public:
    explicit TSkinCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TSkinCheckBox"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    void AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    void SkinChanged() override;
    int LastCheckState() const { return lastCheckState_; }
    bool Transparent() const { return transparent_; }
    int LastCell() const { return lastCell_; }
    TPaintCover Cover() const { return cover_; }
    // The cover as a number: 1 whole, 0 over the native look.
    int Mode() const { return static_cast<int>(cover_); }

  protected:
    virtual bool IsRadio() const { return false; }
    virtual const TBitmap& Image() const;
    virtual int ImageCells() const;
    virtual int ChooseCell();
    // Full paint for a program control when the skin has the image, else overlay.
    void ChooseCover();
    TPaintCover cover_ = TPaintCover::pcOverNative;
    int lastCheckState_ = 0;
    bool transparent_ = false;
    int lastCell_ = 0;
};

class TSkinRadioButton : public TSkinCheckBox {
  public:
    explicit TSkinRadioButton(TComponent* owner);
    const char* ClassName() const override { return "TSkinRadioButton"; }

  protected:
    bool IsRadio() const override { return true; }
    const TBitmap& Image() const override;
    int ImageCells() const override;
    int ChooseCell() override;
};
