#include "WinSubClassButton.h"

#include "Bitmap.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "SkinPropertyNames.h"
#include "SysUtils.h"
#include "WinControl.h"
#include "WinSkinData.h"
#include "WinSubClassGeometry.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>

namespace {
std::string LowerClassName(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}
} // namespace

TSkinButton::TSkinButton(TComponent* owner) : TSkinControl(owner) {}

TSkinButton::~TSkinButton() = default;

void TSkinButton::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachControl(frame, skin, useSkinColour, canvas);
    if (!attached_)
        return;
    std::string lower = control_->ClassName();
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // These families handle their mouse presses themselves.
    pressReport_ = lower.rfind("trz", 0) == 0 || lower.rfind("tel", 0) == 0 ? TPressReport::prByControl
                                                                            : TPressReport::prByAdapter;
    transparent_ = control_->TagInt() == TransparentTag || SkinOption(xoTransparent);
}

void TSkinButton::AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachWindow(window, skin, frame, canvas);
    transparent_ = SkinOption(xoTransparent);
}

bool TSkinButton::BeforeMessage(TMessage& message) {
    // Without a button image the control keeps its own look.
    if (!skin_ || skin_->Buttons().Bitmap.Empty())
        return TSkinControl::BeforeMessage(message);
    switch (message.Msg) {
    case WM_PAINT:
        FullPaint(message);
        return false;
    case WM_ERASEBKGND:
        message.Result = 1;
        return false;
    case WM_TIMER:
        KillTimer(handle_, 1);
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const TAliveToken alive = AliveToken();
        if (GetFocus() != handle_)
            SetFocus(handle_);
        if (!alive)
            return false;
        mouseState_ |= msPressed;
        PaintFrame(nullptr);
        // The press ends when the mouse leaves, even when it never moved over the button before.
        SkinTrackMouseLeave(handle_);
        if (pressReport_ == TPressReport::prByAdapter && control_ && control_->OnMouseDown) {
            POINT at{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
            if (control_->Width() > 32768 || control_->Height() > 32768) {
                GetCursorPos(&at);
                ScreenToClient(handle_, &at);
            }
            const TMouseEvent handler = control_->OnMouseDown;
            handler(control_, mbLeft, MouseShiftState(message.WParam), at.x, at.y);
        }
        return false;
    }
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinButton::AfterMessage(TMessage& message) {
    if (!skin_ || skin_->Buttons().Bitmap.Empty()) {
        TSkinControl::AfterMessage(message);
        return;
    }
    switch (message.Msg) {
    case WM_SETTEXT:
        PaintFrame(nullptr);
        break;
    case WM_KEYDOWN:
        if (message.WParam == VK_SPACE) {
            mouseState_ |= msPressed;
            Repaint();
        }
        break;
    case WM_KEYUP:
        if (message.WParam == VK_SPACE) {
            mouseState_ &= ~msPressed;
            Repaint();
        }
        break;
    case WM_MOUSEMOVE:
        // A disabled button does not light up; the leave is watched all the same.
        if (TrackMouseHot((mouseState_ & msHot) || IsWindowEnabled(handle_), handle_))
            Repaint();
        break;
    case WM_LBUTTONUP:
        if (mouseState_ & msPressed) {
            mouseState_ &= ~msPressed;
            Repaint();
            Click();
        }
        break;
    case WM_MOUSELEAVE:
        mouseState_ &= ~(msHot | msPressed);
        Repaint();
        break;
    case CM_DIALOGKEY:
    case CM_FOCUSCHANGED:
    // The system's button draws its pushed look straight away; ours goes over it again.
    case BM_SETSTATE:
        Repaint();
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinButton::Click() {
    // The click may free the control and this adapter with it: nothing of ours is touched after.
    if (control_) {
        control_->Click();
        return;
    }
    HWND parent = GetParent(handle_);
    if (!parent)
        return;
    const WPARAM id =
        LowerClassName(handle_) == "tbutton" ? 0 : static_cast<WPARAM>(GetDlgCtrlID(handle_) & 0xFFFF);
    PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(handle_));
}

void TSkinButton::Paint(HDC dc, const RECT& rect) {
    if (!skin_ || !dc)
        return;
    const TDataSkinButton& element = skin_->Buttons();
    if (element.Bitmap.Empty())
        return;
    RefreshWindowState();
    const DWORD style = static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE));
    bool isDefault = false;
    std::wstring caption;
    if (control_) {
        isDefault = PropertyIsTrue(*control_, SkinProperty::Default);
        std::string text;
        control_->GetPropText(SkinProperty::Caption, text);
        caption = AnsiToWide(text);
        multiLine_ = PropertyIsTrue(*control_, SkinProperty::MultiLine);
    } else {
        isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        caption = WindowTextOf(handle_);
    }
    caption_ = caption;
    const int cell = ButtonCell((mouseState_ & msPressed) != 0, (mouseState_ & msHot) != 0,
                                focused_ || isDefault, enabled_);
    lastCell_ = cell;

    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    if (!buffer_)
        buffer_ = std::make_unique<TBitmap>();
    if (buffer_->Width() != width || buffer_->Height() != height)
        buffer_->SetSize(width, height);
    HDC target = buffer_->MemoryDC();
    const RECT all{0, 0, width, height};
    const TColor face = skin_->Colour(scButtonFace);
    if (transparent_) {
        PaintParentBackground(handle_, target, face);
    } else {
        FillButtonFace(target, all, *skin_);
    }
    DrawElementCell(target, all, element, cell);

    HFONT font = control_ ? control_->Font().Handle() : WindowFont();
    TColor colour = control_ ? control_->Font().Color() : skin_->Colour(scButtonText);
    if (element.HasNormalColour2)
        colour = element.NormalColour2;
    if (cell == 4 && element.HasMouseOverColour2)
        colour = element.MouseOverColour2;
    if (cell == 2 && element.HasPressedColour2)
        colour = element.PressedColour2;
    if (!enabled_)
        colour = static_cast<TColor>(GetSysColor(COLOR_BTNSHADOW));

    const std::wstring text = SplitCaptionLines(caption);
    TSelectGuard selectFont(target, font);
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, ColorToRGB(colour));
    const UINT rtl = RightToLeft() ? DT_RTLREADING : 0;
    RECT box{2, 2, width - 2, height - 2};
    RECT measured = box;
    DrawSkinText(target, text, measured, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP | rtl);
    const int textWidth = measured.right - measured.left, textHeight = measured.bottom - measured.top;
    const int top = box.top + CentreOffset(box.bottom - box.top, textHeight);
    RECT line{box.left, top, box.right, top + textHeight};
    DrawSkinText(target, text, line, DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP | rtl);
    if (focused_ && !SkinOption(xoNoFocusRect) && !text.empty()) {
        const int left = box.left + CentreOffset(box.right - box.left, textWidth);
        RECT focus{left - 2, top - 2, left + textWidth + 2, top + textHeight + 2};
        SetTextColor(target, RGB(0, 0, 0));
        SetBkColor(target, RGB(255, 255, 255));
        DrawFocusRect(target, &focus);
    }
    GdiFlush();
    BitBlt(dc, rect.left, rect.top, width, height, target, 0, 0, SRCCOPY);
}
