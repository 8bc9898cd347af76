#pragma once
// The container adapters: panels, bare containers, group boxes, size grips.
#include "WinSubClass.h"

// Panels and other containers of the program: colour replacement and the parent-background
// rule only; no hook of its own (WinSubClassBox.cpp).
class TSkinBox : public TSkinControl {
  public:
    explicit TSkinBox(TComponent* owner);
    const char* ClassName() const override { return "TSkinBox"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;

  protected:
    void DoRestore() override;
};

// Bare container windows (nested dialogs): background and static colours from ButtonFace.
class TSkinBoxH : public TSkinControl {
  public:
    explicit TSkinBoxH(TComponent* owner);
    const char* ClassName() const override { return "TSkinBoxH"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
};

// Group boxes: full paint for program controls, overlay for bare windows.
class TSkinGroupBox : public TSkinControl {
  public:
    explicit TSkinGroupBox(TComponent* owner);
    const char* ClassName() const override { return "TSkinGroupBox"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    TPaintCover Cover() const { return cover_; }
    // The cover as a number: 1 whole, 0 over the native look.
    int Mode() const { return static_cast<int>(cover_); }

  private:
    TPaintCover cover_ = TPaintCover::pcOverNative;
};

// Size grips: filled with ButtonFace.
class TSkinSizer : public TSkinControl {
  public:
    explicit TSkinSizer(TComponent* owner);
    const char* ClassName() const override { return "TSkinSizer"; }
    bool BeforeMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
};
