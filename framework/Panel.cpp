#include "Panel.h"

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 185, 41);
    SetParentBackground(true);
}

const TPropertyInfo* TCustomPanel::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TWinControl::ParentBackground, &TWinControl::SetParentBackground>("ParentBackground"),
        Prop<&TCustomPanel::Transparent, &TCustomPanel::SetTransparent>("Transparent"),
        Prop<&TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth>("BevelWidth"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TCustomControl::FindProperty(name);
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
    if (value == bevelOuter_)
        return;
    bevelOuter_ = value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
    if (value == bevelInner_)
        return;
    bevelInner_ = value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int value) {
    if (value == bevelWidth_)
        return;
    bevelWidth_ = value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment value) {
    if (value == alignment_)
        return;
    alignment_ = value;
    Invalidate();
}

void TCustomPanel::SetTransparent(bool value) {
    if (value == transparent_)
        return;
    transparent_ = value;
    Invalidate();
}

void TCustomPanel::AdjustClientRect(RECT& rect) const {
    int inset = (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
    InflateRect(&rect, -inset, -inset);
}

void TCustomPanel::Paint() {
    TCanvas& canvas = Canvas();
    RECT rect = ClientRect();
    canvas.Brush().SetColor(Color());
    canvas.FillRect(rect);
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        TColor topLeft = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        TColor bottomRight = cut == bvLowered ? clBtnHighlight : clBtnShadow;
        for (int i = 0; i < bevelWidth_; ++i) {
            if (cut != bvSpace)
                Frame3D(canvas, rect, topLeft, bottomRight);
            InflateRect(&rect, -1, -1);
        }
    };
    bevel(bevelOuter_);
    bevel(bevelInner_);
    if (Caption().empty())
        return;
    canvas.Font().Assign(Font());
    canvas.Brush().SetStyle(bsClear);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS |
                  (alignment_ == taLeftJustify    ? DT_LEFT
                   : alignment_ == taRightJustify ? DT_RIGHT
                                                  : DT_CENTER);
    canvas.DrawText(Caption().c_str(), -1, rect, format);
}
