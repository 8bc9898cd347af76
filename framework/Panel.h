#pragma once
// A plain container with an optional bevel and a centred caption.

#include "WinControl.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TCustomPanel : public TCustomControl {
  public:
    explicit TCustomPanel(TComponent* owner);
    const char* ClassName() const override { return "TPanel"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

  protected:
    void Paint() override;
    void AdjustClientRect(RECT& rect) const override;

  private:
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    TAlignment alignment_ = taCenter;
    bool transparent_ = false;
};

class TPanel : public TCustomPanel {
  public:
    using TCustomPanel::TCustomPanel;
};
