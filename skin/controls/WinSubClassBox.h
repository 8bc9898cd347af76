#pragma once
// The container adapters: panels, bare containers, group boxes, size grips.
#include "WinSubClass.h"

// Panels and other containers of the program: colour replacement and the parent-background
// rule only; no hook of its own (WinSubClassBox.cpp).
class TSkinBox : public TSkinControl {
  public:
    explicit TSkinBox(TComponent* owner);
    const char* ClassName() const override { return "TSkinBox"; }
    void Restore() override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
};

// Bare container windows (nested dialogs): background and static colours from ButtonFace.
class TSkinBoxH : public TSkinControl {
  public:
    explicit TSkinBoxH(TComponent* owner);
    const char* ClassName() const override { return "TSkinBoxH"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
};

// Group boxes: full paint for program controls (Mode 1), overlay for bare windows.
class TSkinGroupBox : public TSkinControl {
  public:
    explicit TSkinGroupBox(TComponent* owner);
    const char* ClassName() const override { return "TSkinGroupBox"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
};

// Size grips: filled with ButtonFace.
class TSkinSizer : public TSkinControl {
  public:
    explicit TSkinSizer(TComponent* owner);
    const char* ClassName() const override { return "TSkinSizer"; }
    bool BeforeMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
};
