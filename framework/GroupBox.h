#pragma once
// Group boxes: a captioned etched frame around other controls; the radio group makes and
// lays out its own radio buttons from a list of captions.

#include "Buttons.h"
#include "StringList.h"
#include "WinControl.h"

#include <vector>

class TCustomGroupBox : public TCustomControl {
  public:
    explicit TCustomGroupBox(TComponent* owner);
    const char* ClassName() const override { return "TGroupBox"; }

  protected:
    void Paint() override;
    void AdjustClientRect(RECT& rect) const override;
    // Height of the caption's line in the control's font.
    int CaptionHeight() const;
};

class TGroupBox : public TCustomGroupBox {
  public:
    using TCustomGroupBox::TCustomGroupBox;
    const char* ClassName() const override { return "TGroupBox"; }
};

class TRadioGroup : public TCustomGroupBox {
  public:
    explicit TRadioGroup(TComponent* owner);
    ~TRadioGroup() override;
    const char* ClassName() const override { return "TRadioGroup"; }
    // The buttons' captions; call ItemsChanged after editing them.
    TStringList& Items() { return *items_; }
    void ItemsChanged();
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int Columns() const { return columns_; }
    void SetColumns(int value);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TRadioButton* Buttons(int index) const { return buttons_.at(static_cast<size_t>(index)); }
    TNotifyEvent OnClick;

  protected:
    void BoundsChanged() override;

  private:
    void ButtonClick(TObject* sender);
    void ArrangeButtons();
    TStringList* items_;
    std::vector<TRadioButton*> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
};
