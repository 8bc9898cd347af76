#include "GroupBox.h"

#include "Handles.h"

#include <algorithm>

// ---- TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 185, 105);
    SetColor(clBtnFace);
}

int TCustomGroupBox::CaptionHeight() const {
    TWindowDC dc(nullptr);
    TSelectGuard font(dc.Get(), Font().Handle());
    SIZE extent{};
    GetTextExtentPoint32A(dc.Get(), "0", 1, &extent);
    return extent.cy;
}

void TCustomGroupBox::AdjustClientRect(RECT& rect) const {
    TCustomControl::AdjustClientRect(rect);
    rect.top += CaptionHeight();
    InflateRect(&rect, -1, -1);
}

void TCustomGroupBox::Paint() {
    TCanvas& canvas = Canvas();
    RECT client = ClientRect();
    canvas.Brush().SetColor(Color());
    canvas.FillRect(client);
    canvas.Font().Assign(Font());
    const int textHeight = canvas.TextHeight("0");
    RECT frame = client;
    frame.top += textHeight / 2;
    DrawEdge(canvas.Handle(), &frame, EDGE_ETCHED, BF_RECT);
    if (Caption().empty())
        return;
    RECT text{0, 0, 0, 0};
    canvas.DrawText(Caption().c_str(), -1, text, DT_CALCRECT | DT_SINGLELINE);
    OffsetRect(&text, 8, 0);
    canvas.Brush().SetColor(Color());
    canvas.DrawText(Caption().c_str(), -1, text, DT_SINGLELINE);
}

// ---- TRadioGroup

TRadioGroup::TRadioGroup(TComponent* owner) : TCustomGroupBox(owner), items_(new TStringList) {}

TRadioGroup::~TRadioGroup() {
    delete items_;
}

void TRadioGroup::ItemsChanged() {
    while (buttons_.size() > static_cast<size_t>(items_->Count())) {
        TRadioButton* last = buttons_.back();
        buttons_.pop_back();
        TComponent::Free(last);
    }
    while (buttons_.size() < static_cast<size_t>(items_->Count())) {
        auto* button = new TRadioButton(this);
        button->SetParent(this);
        button->OnClick = Bind<&TRadioGroup::ButtonClick>(this);
        buttons_.push_back(button);
    }
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->SetCaption(items_->Strings(static_cast<int>(i)));
    if (itemIndex_ >= items_->Count())
        itemIndex_ = -1;
    SetItemIndex(itemIndex_);
    ArrangeButtons();
}

void TRadioGroup::SetItemIndex(int index) {
    if (index < -1 || index >= ButtonCount())
        index = -1;
    itemIndex_ = index;
    updating_ = true;
    for (int i = 0; i < ButtonCount(); ++i)
        buttons_[static_cast<size_t>(i)]->SetChecked(i == index);
    updating_ = false;
}

void TRadioGroup::SetColumns(int value) {
    value = std::clamp(value, 1, 16);
    if (value == columns_)
        return;
    columns_ = value;
    ArrangeButtons();
}

void TRadioGroup::ButtonClick(TObject* sender) {
    if (updating_)
        return;
    auto found = std::find(buttons_.begin(), buttons_.end(), sender);
    if (found == buttons_.end() || !(*found)->Checked())
        return;
    itemIndex_ = static_cast<int>(found - buttons_.begin());
    if (OnClick)
        OnClick(this);
}

void TRadioGroup::BoundsChanged() {
    TCustomGroupBox::BoundsChanged();
    ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
    if (buttons_.empty())
        return;
    RECT area{0, 0, Width(), Height()};
    area.top += CaptionHeight();
    InflateRect(&area, -8, -2);
    const int rows = (ButtonCount() + columns_ - 1) / columns_;
    const int columnWidth = std::max<int>((area.right - area.left) / columns_, 1);
    const int rowHeight = std::max<int>((area.bottom - area.top) / std::max(rows, 1), 1);
    for (int i = 0; i < ButtonCount(); ++i) {
        const int column = i / rows, row = i % rows;
        const int height = std::min(rowHeight, 20);
        buttons_[static_cast<size_t>(i)]->SetBounds(area.left + column * columnWidth,
                                                    area.top + row * rowHeight + (rowHeight - height) / 2,
                                                    columnWidth, height);
    }
}
