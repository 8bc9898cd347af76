#include "WinSubClassCheck.h"

#include "Bitmap.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "SkinPropertyNames.h"
#include "SysUtils.h"
#include "WinSkinData.h"
#include "WinSubClassGeometry.h"

namespace {
const TBitmap& NoImage() {
    static const TBitmap empty;
    return empty;
}

// Windows of major version 6 draw no focus rectangle around a check box's caption.
bool SystemDrawsCheckFocus() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const bool known = GetVersionExA(&info) != FALSE;
#pragma GCC diagnostic pop
    return !known || info.dwMajorVersion != 6;
}

// Toolkit notifications after which the box shows its state again.
constexpr UINT CM_CHECKREFRESH1 = 0xB01B, CM_CHECKREFRESH2 = 0xB0D0;
} // namespace

// ---- TSkinCheckBox

TSkinCheckBox::TSkinCheckBox(TComponent* owner) : TSkinControl(owner) {}

const TBitmap& TSkinCheckBox::Image() const {
    return skin_ ? skin_->Buttons().CheckBitmap : NoImage();
}

int TSkinCheckBox::ImageCells() const {
    return skin_ ? skin_->Buttons().CheckFrame : 0;
}

void TSkinCheckBox::ChooseCover() {
    cover_ =
        control_ && !Image().Empty() && ImageCells() > 0 ? TPaintCover::pcWhole : TPaintCover::pcOverNative;
}

void TSkinCheckBox::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachControl(frame, skin, useSkinColour, canvas);
    if (!attached_)
        return;
    lastCheckState_ = 0;
    ChooseCover();
    transparent_ = control_->TagInt() == TransparentTag || SkinOption(xoTransparent);
    Repaint();
}

void TSkinCheckBox::AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachWindow(window, skin, frame, canvas);
    lastCheckState_ = 0;
    cover_ = TPaintCover::pcOverNative;
    transparent_ = SkinOption(xoTransparent);
}

void TSkinCheckBox::SkinChanged() {
    if (control_)
        ChooseCover();
    TSkinControl::SkinChanged();
}

bool TSkinCheckBox::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    switch (message.Msg) {
    case WM_PAINT:
    case WM_PRINT:
        if (cover_ == TPaintCover::pcWhole) {
            FullPaint(message);
            return false;
        }
        return true;
    case WM_ERASEBKGND:
        if (transparent_) {
            EraseTransparent(reinterpret_cast<HDC>(message.WParam));
            message.Result = 1;
            return false;
        }
        return true;
    default:
        return true;
    }
}

void TSkinCheckBox::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case BM_SETCHECK:
        if (!IsRadio())
            lastCheckState_ = static_cast<int>(message.WParam) + 1;
        Repaint();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case CM_CHECKREFRESH1:
    case CM_CHECKREFRESH2:
        Repaint();
        break;
    // The system's box draws its pushed look straight away on these; ours goes over it again.
    case WM_KEYDOWN:
    case WM_KEYUP:
    case BM_SETSTATE:
        Repaint();
        break;
    case WM_MOUSEMOVE:
        if (message.WParam & MK_LBUTTON)
            Repaint();
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

int TSkinCheckBox::ChooseCell() {
    const LRESULT state = SendMessageA(handle_, BM_GETSTATE, 0, 0);
    TCheckFacts facts;
    facts.NativeChecked = (state & BST_CHECKED) != 0;
    facts.NativeIndeterminate = (state & BST_INDETERMINATE) != 0;
    facts.Disabled = (GetWindowLongA(handle_, GWL_STYLE) & WS_DISABLED) != 0;
    facts.ImageCells = ImageCells();
    if (control_) {
        std::string text;
        if (control_->HasProperty(SkinProperty::State) && control_->GetPropText(SkinProperty::State, text))
            facts.PropertyCell = CheckStateCell(text);
        else if (control_->HasProperty(SkinProperty::Checked))
            facts.PropertyCell = PropertyIsTrue(*control_, SkinProperty::Checked) ? 2 : 1;
        facts.HasDataField = control_->HasProperty(SkinProperty::DataField);
        facts.LastCheckState = lastCheckState_;
        facts.HasDataBinding = control_->HasProperty(SkinProperty::DataBinding);
    }
    return CheckBoxCell(facts);
}

void TSkinCheckBox::Paint(HDC dc, const RECT& rect) {
    if (!dc || !handle_)
        return;
    const TBitmap& image = Image();
    const int cells = ImageCells();
    if (image.Empty() || cells < 1) {
        cover_ = TPaintCover::pcOverNative;
        return;
    }
    RefreshWindowState();
    const int cell = ChooseCell();
    lastCell_ = cell;
    const DWORD style = static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE));
    const bool leftText = (style & BS_LEFTTEXT) != 0;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const TCheckLayout layout = CheckLayoutFor(width, height, StripCellWidth(image.Width(), cells),
                                               image.Height(), leftText, IsRadio());
    const TColor face = skin_->Colour(scButtonFace);

    TSaveDCGuard saved(dc);
    if (cover_ == TPaintCover::pcWhole && !transparent_)
        FillButtonFace(dc, rect, *skin_);
    const RECT imageRect{rect.left + layout.Image.Left, rect.top + layout.Image.Top,
                         rect.left + layout.Image.Right, rect.top + layout.Image.Bottom};
    DrawStripCell(dc, imageRect, image, cells, cell);
    if (cover_ != TPaintCover::pcWhole)
        return;

    std::wstring caption;
    HFONT font = nullptr;
    TColor colour = clBtnText;
    if (control_) {
        std::string text;
        control_->GetPropText(SkinProperty::Caption, text);
        caption = AnsiToWide(text);
        font = control_->Font().Handle();
        colour = control_->Font().Color();
    } else {
        caption = WindowTextOf(handle_);
        font = WindowFont();
        colour = skin_->Colour(scButtonText);
    }
    caption_ = caption;
    if (!enabled_)
        colour = static_cast<TColor>(GetSysColor(COLOR_BTNSHADOW));
    if (caption.empty())
        return;
    SelectObject(dc, font);
    SetTextColor(dc, ColorToRGB(colour));
    SetBkColor(dc, ColorToRGB(face));
    SetBkMode(dc, TRANSPARENT);
    const UINT align = (leftText ? DT_RIGHT : DT_LEFT) | (RightToLeft() ? DT_RTLREADING : 0);
    RECT textRect{rect.left + layout.Text.Left, rect.top + layout.Text.Top, rect.left + layout.Text.Right,
                  rect.top + layout.Text.Bottom};
    RECT measured = textRect;
    DrawSkinText(dc, caption, measured, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP | align);
    const int textWidth = measured.right - measured.left, textHeight = measured.bottom - measured.top;
    const int top = textRect.top + CentreOffset(textRect.bottom - textRect.top, textHeight);
    RECT place{textRect.left, top, textRect.right, top + textHeight};
    if (focused_ && SystemDrawsCheckFocus()) {
        const int left = leftText ? textRect.right - textWidth : textRect.left;
        RECT focus{left - 2, top - 1, left + textWidth + 2, top + textHeight + 1};
        DrawFocusRect(dc, &focus);
    }
    DrawSkinText(dc, caption, place, DT_WORDBREAK | DT_EXPANDTABS | align);
}

// ---- TSkinRadioButton

TSkinRadioButton::TSkinRadioButton(TComponent* owner) : TSkinCheckBox(owner) {}

const TBitmap& TSkinRadioButton::Image() const {
    return skin_ ? skin_->Buttons().RadioBitmap : NoImage();
}

int TSkinRadioButton::ImageCells() const {
    return skin_ ? skin_->Buttons().RadioFrame : 0;
}

int TSkinRadioButton::ChooseCell() {
    bool checked = (SendMessageA(handle_, BM_GETCHECK, 0, 0) & BST_CHECKED) != 0;
    if (control_ && control_->HasProperty(SkinProperty::Checked))
        checked = PropertyIsTrue(*control_, SkinProperty::Checked);
    const bool disabled = (GetWindowLongA(handle_, GWL_STYLE) & WS_DISABLED) != 0;
    return RadioButtonCell(checked, disabled, ImageCells());
}
