#include "WinSkinFormMenuBar.h"

#include "Application.h"
#include "Form.h"
#include "ImgUtil.h"
#include "Menus.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinMenuPaint.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cwctype>
#include <utility>

namespace {
// What the one open menu-bar popup of the process is doing. It belongs to the frame that
// tracks it; the message-filter hook reads and writes it.
struct TTracking {
    TWinSkinForm* Frame = nullptr;
    HMENU Menu = nullptr;
    int CurrentIndex = -1;
    POINT LastMouse{INT_MIN, INT_MIN};
    bool FirstMessage = true;
    // The button whose popup opens once this one has closed, -1 for none.
    int PendingIndex = -1;
};
TTracking tracking;

// A frame that goes while its popup is open leaves the popup's loop nothing to reach.
void ForgetTracking(const TWinSkinForm* frame) {
    if (frame && tracking.Frame == frame) {
        tracking.Frame = nullptr;
        EndMenu();
    }
}

// Tells whether a component was freed while it was being watched (a window may go while its
// popup's modal loop runs).
class TLifeWatch : public TComponent {
  public:
    explicit TLifeWatch(TComponent* watched) : TComponent(nullptr), watched_(watched) {
        watched_->FreeNotification(this);
    }
    ~TLifeWatch() override {
        if (watched_)
            watched_->RemoveFreeNotification(this);
    }
    bool Gone() const { return watched_ == nullptr; }

  protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == watched_)
            watched_ = nullptr;
    }

  private:
    TComponent* watched_;
};
} // namespace

// ---- Rules of the bar

wchar_t MenuAccelerator(const std::wstring& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&')
            continue;
        if (caption[i + 1] == L'&') {
            ++i; // "&&" is a plain "&"
            continue;
        }
        return caption[i + 1];
    }
    return 0;
}

bool IsMenuAccelerator(wchar_t key, const std::wstring& caption) {
    const wchar_t accelerator = MenuAccelerator(caption);
    return key != 0 && accelerator != 0 &&
           std::towupper(static_cast<wint_t>(accelerator)) == std::towupper(static_cast<wint_t>(key));
}

int MenuStripStart(bool hasElement, int leftWidth, int rightWidth, int stripWidth, bool rightToLeft) {
    if (!hasElement)
        return 6;
    const long long start =
        rightToLeft ? static_cast<long long>(rightWidth) + 8 : static_cast<long long>(leftWidth) + 4;
    if (stripWidth < start)
        return 12;
    return static_cast<int>(start);
}

std::vector<TFrameRect> LayoutMenuButtons(const std::vector<TMenuButtonSpan>& spans, const TFrameRect& strip,
                                          int start, bool rightToLeft) {
    std::vector<TFrameRect> rects(spans.size());
    const long long bottom = static_cast<long long>(strip.Bottom) - 1;
    auto clamp = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
    long long x = rightToLeft ? static_cast<long long>(strip.Width()) - start : start;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (!spans[i].Visible)
            continue;
        const long long w = std::max(0, spans[i].TextWidth);
        const long long width = w > 0 ? w + 10 : 0;
        long long left = x, right = x + width;
        if (rightToLeft) {
            left = x - width;
            right = x;
            x -= width;
        } else {
            x += width;
        }
        TFrameRect& r = rects[i];
        r.Left = clamp(left + strip.Left);
        r.Top = strip.Top;
        r.Right = clamp(right + strip.Left);
        r.Bottom = clamp(std::max<long long>(bottom, strip.Top));
    }
    return rects;
}

int NeighbourMenuButton(const std::vector<bool>& selectable, int current, int step) {
    const int count = static_cast<int>(selectable.size());
    if (count == 0 || step == 0)
        return current;
    for (int i = 1; i < count; ++i) {
        int j = (current + step * i) % count;
        if (j < 0)
            j += count;
        if (selectable[static_cast<size_t>(j)])
            return j;
    }
    return current;
}

TMenuKeyAction MenuBarKeyAction(unsigned virtualKey, const TMenuSelection& selection) {
    constexpr unsigned keyLeft = 0x25, keyRight = 0x27;
    if (virtualKey == keyLeft)
        return selection.InNestedMenu ? mkNone : mkPrevious;
    if (virtualKey == keyRight)
        return selection.HasSubmenu ? mkNone : mkNext;
    return mkNone;
}

// ---- Drawing

namespace {
RECT ToRect(const TFrameRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

TColor CaptionColour(const TSkinData& skin, bool enabled) {
    return skin.Colour(enabled ? scMenuBarText : scButtonShadow);
}

// The strip's background: the MenuBar element's cell for the activation (two cells stacked),
// as an element cell when it says Tile, else as a three-part strip; the Menubar colour without
// the element.
void PaintStripBackground(HDC dc, int width, int height, const TSkinData& skin, bool active) {
    const RECT all{0, 0, width, height};
    const TDataSkinObject* element = skin.Slot(ssMenuBar);
    if (!element || element->Bitmap.Empty()) {
        TOwnedBrush brush(CreateSolidBrush(ColorToRGB(skin.Colour(scMenuBar))));
        FillRect(dc, &all, brush.Get());
        return;
    }
    const int cells = std::max(element->Frame, 1);
    const int cell = (active || cells < 2) ? 1 : 2;
    const RECT source = CellRect(*element, cell, true);
    if (element->Tile == 1) {
        DrawNineSlice(
            dc, all, element->Bitmap, source,
            RECT{element->LeftWidth, element->TopHeight, element->RightWidth, element->BottomHeight}, false,
            false);
        return;
    }
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    for (const TStripPart& part : ThreePartStrip(source.right - source.left, source.bottom - source.top,
                                                 width, height, element->LeftWidth, element->RightWidth))
        StretchBlt(dc, part.Dest.Left, part.Dest.Top, part.Dest.Width(), part.Dest.Height(),
                   element->Bitmap.MemoryDC(), source.left + part.Source.Left, source.top + part.Source.Top,
                   part.Source.Width(), part.Source.Height(), SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}
} // namespace

void DrawMenuBarCaption(HDC dc, const std::wstring& caption, const RECT& rect) {
    if (caption.empty())
        return;
    RECT measured = rect;
    DrawSkinText(dc, caption, measured, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE | DT_CENTER);
    const int w = measured.right - measured.left, h = measured.bottom - measured.top;
    RECT text{rect.left + (rect.right - rect.left - w) / 2, rect.top + (rect.bottom - rect.top - h) / 2, 0,
              0};
    text.right = text.left + w;
    text.bottom = text.top + h;
    DrawSkinText(dc, caption, text, DT_SINGLELINE | DT_EXPANDTABS | DT_CENTER);
}

// ---- TMenuBtn

void TMenuBtn::Paint() {
    TWinSkinForm* frame = OwnerFrame();
    TWinSkinMenu* bar = frame->SkinMenuBar();
    if (!Visible || !bar || frame->FrameState() != fsRunning || bar->Background().Empty())
        return;
    const RECT r = ToRect(BoundsRect);
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    TWindowDC dc(frame->Handle(), TWindowDC::Area::Window);
    if (!dc.Get())
        return;
    const RECT& strip = bar->StripRect();
    BitBlt(dc.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top, bar->Background().MemoryDC(),
           r.left - strip.left, r.top - strip.top, SRCCOPY);
    if (State == ncPressed || State == ncHot) {
        TOwnedBrush brush(CreateSolidBrush(ColorToRGB(SkinData->Colour(scButtonHilight))));
        FrameRect(dc.Get(), &r, brush.Get());
    }
    TSelectGuard font(dc.Get(), bar->MenuFont());
    const int oldMode = SetBkMode(dc.Get(), TRANSPARENT);
    SetTextColor(dc.Get(), ColorToRGB(CaptionColour(*SkinData, ItemEnabled)));
    DrawMenuBarCaption(dc.Get(), Caption, r);
    SetBkMode(dc.Get(), oldMode);
}

// ---- TWinSkinMenu

TWinSkinMenu::TWinSkinMenu(TWinSkinForm* frame, TSkinData* skin)
    : TComponent(nullptr), frame_(frame), skin_(skin) {}

TWinSkinMenu::~TWinSkinMenu() {
    ForgetTracking(frame_);
    if (frame_ && frame_->HotObject())
        for (const auto& button : buttons_)
            if (frame_->HotObject() == button.get())
                frame_->SetHotObject(nullptr);
    SetSourceMenu(nullptr);
}

void TWinSkinMenu::SetSourceMenu(TMainMenu* menu) {
    if (menu == sourceMenu_)
        return;
    if (sourceMenu_)
        sourceMenu_->RemoveFreeNotification(this);
    sourceMenu_ = menu;
    if (sourceMenu_)
        sourceMenu_->FreeNotification(this);
}

void TWinSkinMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == sourceMenu_) {
        sourceMenu_ = nullptr;
        for (const auto& button : buttons_)
            button->Item = nullptr;
    }
}

HFONT TWinSkinMenu::MenuFont() const {
    return SkinMenuFont(false);
}

TMenuBtn* TWinSkinMenu::Button(int index) const {
    if (index < 0 || index >= static_cast<int>(buttons_.size()))
        return nullptr;
    return buttons_[static_cast<size_t>(index)].get();
}

TMenuBtn* TWinSkinMenu::ButtonAt(POINT p) const {
    for (const auto& button : buttons_)
        if (!button->Caption.empty() && button->BoundsRect.Contains(p.x, p.y))
            return button.get();
    return nullptr;
}

TMenuBtn* TWinSkinMenu::ButtonByAccelerator(wchar_t key) const {
    for (const auto& button : buttons_)
        if (button->Visible && button->ItemEnabled && IsMenuAccelerator(key, button->Caption))
            return button.get();
    return nullptr;
}

TMenuBtn* TWinSkinMenu::FirstButton() const {
    for (const auto& button : buttons_)
        if (button->Selectable())
            return button.get();
    return nullptr;
}

bool TWinSkinMenu::BuildButtons() {
    const HMENU menu = GetMenu(frame_->Handle());
    if (!menu)
        return false;
    // A different menu: what was made owner-drawn belongs to the old one, which its owner has
    // freed or keeps.
    if (menu != menuHandle_)
        ownerDrawn_.clear();
    menuHandle_ = menu;
    ReadButtons(false);
    if (buttons_.empty())
        return false;
    SetMenu(frame_->Handle(), nullptr);
    LayoutButtons();
    return true;
}

void TWinSkinMenu::RebuildButtons() {
    const HMENU menu = GetMenu(frame_->Handle());
    if (!menu)
        return;
    if (menu != menuHandle_)
        ownerDrawn_.clear();
    menuHandle_ = menu;
    ReadButtons(true);
    SetMenu(frame_->Handle(), nullptr);
    LayoutButtons();
}

void TWinSkinMenu::ReadButtons(bool fromItemsOnly) {
    if (frame_->HotObject())
        for (const auto& button : buttons_)
            if (frame_->HotObject() == button.get())
                frame_->SetHotObject(nullptr);
    buttons_.clear();
    const int count = GetMenuItemCount(menuHandle_);
    for (int i = 0; i < count; ++i) {
        char text[80] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text - 1;
        if (!GetMenuItemInfoA(menuHandle_, static_cast<UINT>(i), TRUE, &info))
            continue;
        auto button = std::make_unique<TMenuBtn>(frame_, skin_);
        button->Index = static_cast<int>(buttons_.size());
        button->Submenu = info.hSubMenu;
        button->ItemEnabled = (info.fState & 3) == 0;
        button->Visible = true;
        button->Command = info.wID;
        if (!(info.fType & (MFT_SEPARATOR | MFT_BITMAP)))
            button->Caption = AnsiToWide(text);
        TMenuItem* item = sourceMenu_ ? TMenuItem::FindByCommand(static_cast<WORD>(info.wID)) : nullptr;
        if (item && item->Menu() != sourceMenu_)
            item = nullptr;
        if (item && (!fromItemsOnly || button->Caption.empty())) {
            button->Caption = AnsiToWide(item->Caption());
            button->ItemEnabled = item->Enabled();
            button->Item = item;
            button->Submenu = item->Count() > 0 ? info.hSubMenu : nullptr;
        }
        buttons_.push_back(std::move(button));
    }
}

void TWinSkinMenu::GiveBack() {
    RestoreOwnerDraw();
    if (menuHandle_ && IsMenu(menuHandle_) && IsWindow(frame_->Handle()) && !GetMenu(frame_->Handle()))
        SetMenu(frame_->Handle(), menuHandle_);
}

void TWinSkinMenu::MakeOwnerDrawn(HMENU popup) {
    const int count = popup ? GetMenuItemCount(popup) : 0;
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &info))
            continue;
        if (!(info.fType & MFT_OWNERDRAW)) {
            MENUITEMINFOA change{};
            change.cbSize = sizeof change;
            change.fMask = MIIM_FTYPE;
            change.fType = info.fType | MFT_OWNERDRAW;
            if (SetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &change))
                ownerDrawn_.emplace_back(popup, static_cast<UINT>(i));
        }
        if (info.hSubMenu)
            MakeOwnerDrawn(info.hSubMenu);
    }
}

void TWinSkinMenu::RestoreOwnerDraw() {
    // Only menus still reachable from the menu bar are ours to change: a handle of a freed menu
    // may already stand for another one.
    std::vector<HMENU> reachable;
    auto walk = [&](auto&& self, HMENU menu) -> void {
        if (!menu || std::find(reachable.begin(), reachable.end(), menu) != reachable.end())
            return;
        reachable.push_back(menu);
        const int count = GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i)
            self(self, GetSubMenu(menu, i));
    };
    if (menuHandle_ && IsMenu(menuHandle_))
        walk(walk, menuHandle_);
    for (const auto& [menu, position] : ownerDrawn_) {
        if (std::find(reachable.begin(), reachable.end(), menu) == reachable.end())
            continue;
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        if (!GetMenuItemInfoA(menu, position, TRUE, &info))
            continue;
        info.fType &= ~static_cast<UINT>(MFT_OWNERDRAW);
        SetMenuItemInfoA(menu, position, TRUE, &info);
    }
    ownerDrawn_.clear();
}

int TWinSkinMenu::CaptionWidth(HDC dc, const std::wstring& caption) const {
    if (caption.empty())
        return 0;
    RECT r{0, 0, 0, 0};
    DrawSkinText(dc, caption, r, DT_CALCRECT | DT_NOCLIP);
    return std::max(0L, r.right - r.left);
}

std::vector<TFrameRect> TWinSkinMenu::Layout(HDC dc, const RECT& strip) {
    TSelectGuard font(dc, MenuFont());
    std::vector<TMenuButtonSpan> spans;
    spans.reserve(buttons_.size());
    for (const auto& button : buttons_)
        spans.push_back(
            TMenuButtonSpan{button->Visible, button->Visible ? CaptionWidth(dc, button->Caption) : 0});
    const TDataSkinObject* element = skin_->Slot(ssMenuBar);
    const bool hasElement = element && !element->Bitmap.Empty();
    const bool rightToLeft = frame_->RightToLeft();
    const int start =
        MenuStripStart(hasElement, hasElement ? element->LeftWidth : 0, hasElement ? element->RightWidth : 0,
                       strip.right - strip.left, rightToLeft);
    std::vector<TFrameRect> rects = LayoutMenuButtons(
        spans, TFrameRect{strip.left, strip.top, strip.right, strip.bottom}, start, rightToLeft);
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->BoundsRect = rects[i];
    return rects;
}

void TWinSkinMenu::LayoutButtons() {
    RECT window{};
    GetWindowRect(frame_->Handle(), &window);
    const TFrameWidths& widths = frame_->Widths();
    const RECT strip{widths.Left, widths.Caption, window.right - window.left - widths.Right,
                     widths.Caption + widths.Menu};
    TMemoryDC dc(CreateCompatibleDC(nullptr));
    if (dc.Get())
        Layout(dc.Get(), strip);
}

void TWinSkinMenu::Paint(HDC dc, const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    TBitmap strip(width, height);
    HDC stripDC = strip.MemoryDC();
    PaintStripBackground(stripDC, width, height, *skin_, frame_->Active());
    stripRect_ = rect;
    background_.SetSize(width, height);
    BitBlt(background_.MemoryDC(), 0, 0, width, height, stripDC, 0, 0, SRCCOPY);
    painting_ = true;
    TSelectGuard font(stripDC, MenuFont());
    const int oldMode = SetBkMode(stripDC, TRANSPARENT);
    Layout(stripDC, rect);
    const TMenuBtn* open = frame_->MenuTracking() ? frame_->TrackedButton() : nullptr;
    for (const auto& button : buttons_) {
        if (!button->Visible || button->BoundsRect.Width() <= 0)
            continue;
        RECT r = ToRect(button->BoundsRect);
        OffsetRect(&r, -rect.left, -rect.top);
        if (button.get() == open) {
            // The open button keeps its pressed look through a repaint of the frame.
            TOwnedBrush brush(CreateSolidBrush(ColorToRGB(skin_->Colour(scButtonHilight))));
            FrameRect(stripDC, &r, brush.Get());
        }
        SetTextColor(stripDC, ColorToRGB(CaptionColour(*skin_, button->ItemEnabled)));
        DrawMenuBarCaption(stripDC, button->Caption, r);
    }
    SetBkMode(stripDC, oldMode);
    painting_ = false;
    GdiFlush();
    BitBlt(dc, rect.left, rect.top, width, height, stripDC, 0, 0, SRCCOPY);
}

// ---- Tracking a menu-bar popup

namespace {

void SwitchTrackingTo(int index) {
    if (index < 0 || index == tracking.CurrentIndex)
        return;
    tracking.PendingIndex = index;
    EndMenu();
}

bool IsPopupMenuWindow(HWND window) {
    char name[16] = {};
    return window && GetClassNameA(window, name, sizeof name) && std::string(name) == "#32768";
}

// The popup menu windows of this thread that show, with their menus.
std::vector<std::pair<HWND, HMENU>> ShownPopups() {
    std::vector<std::pair<HWND, HMENU>> popups;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            if (IsWindowVisible(window) && IsPopupMenuWindow(window))
                reinterpret_cast<std::vector<std::pair<HWND, HMENU>>*>(param)->emplace_back(
                    window, reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0)));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&popups));
    return popups;
}

int SelectedPosition(HMENU menu) {
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i)
        if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE)
            return i;
    return -1;
}

// Where the selection of the open popup is, read from the menus themselves: from the tracked
// menu down through every open submenu that has a selection of its own. rightToLeft tells
// whether the selected item belongs to a right-to-left menu.
TMenuSelection CurrentSelection(bool& rightToLeft) {
    const std::vector<std::pair<HWND, HMENU>> shown = ShownPopups();
    auto isShown = [&](HMENU menu) {
        return std::any_of(shown.begin(), shown.end(),
                           [&](const auto& popup) { return popup.second == menu; });
    };
    TMenuSelection selection;
    rightToLeft = false;
    HMENU menu = tracking.Menu;
    for (int depth = 0; menu && depth < 32; ++depth) {
        const int selected = SelectedPosition(menu);
        if (selected < 0)
            break;
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(selected), TRUE, &info))
            break;
        rightToLeft = (info.fType & MFT_RIGHTORDER) != 0;
        if (info.hSubMenu && isShown(info.hSubMenu) && SelectedPosition(info.hSubMenu) >= 0) {
            selection.InNestedMenu = true;
            menu = info.hSubMenu;
            continue;
        }
        selection.HasSubmenu = info.hSubMenu != nullptr;
        break;
    }
    return selection;
}

// One message of the popup's modal loop, after the other filters let it through.
void FilterMenuMessage(const MSG& msg) {
    TWinSkinForm* frame = tracking.Frame;
    TWinSkinMenu* bar = frame ? frame->SkinMenuBar() : nullptr;
    if (!bar)
        return;
    if (tracking.FirstMessage) {
        // The popup opens with its first item selected, as a menu opened from a menu bar does.
        // The key goes to the popup window, so that it goes with the popup and cannot reach the
        // next one.
        tracking.FirstMessage = false;
        HWND target = IsPopupMenuWindow(msg.hwnd) ? msg.hwnd : nullptr;
        for (const auto& [window, menu] : ShownPopups())
            if (!target && menu == tracking.Menu)
                target = window;
        PostMessageA(target ? target : msg.hwnd, WM_KEYDOWN, VK_DOWN, 0);
    }
    int target = -1;
    switch (msg.message) {
    case WM_KEYDOWN: {
        bool rightToLeft = false;
        const TMenuSelection selection = CurrentSelection(rightToLeft);
        const TMenuKeyAction action = MenuBarKeyAction(static_cast<unsigned>(msg.wParam), selection);
        if (action == mkNone)
            break;
        std::vector<bool> selectable;
        for (const auto& button : bar->Buttons())
            selectable.push_back(button->Selectable() && button->Submenu);
        target = NeighbourMenuButton(selectable, tracking.CurrentIndex, action == mkNext ? 1 : -1);
        break;
    }
    case WM_MOUSEMOVE: {
        POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        if (msg.hwnd)
            ClientToScreen(msg.hwnd, &screen);
        if (screen.x == tracking.LastMouse.x && screen.y == tracking.LastMouse.y)
            break;
        tracking.LastMouse = screen;
        TMenuBtn* button = bar->ButtonAt(frame->ScreenToFrame(screen));
        if (button && button->Selectable() && button->Submenu)
            target = button->Index;
        break;
    }
    default:
        break;
    }
    if (target >= 0 && target != tracking.CurrentIndex)
        SwitchTrackingTo(target);
}

LRESULT CALLBACK MenuFilterProc(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    try {
        // In a right-to-left menu Left and Right change places.
        if (code == MSGF_MENU && msg && tracking.Frame && msg->message == WM_KEYDOWN &&
            (msg->wParam == VK_LEFT || msg->wParam == VK_RIGHT)) {
            bool rightToLeft = false;
            CurrentSelection(rightToLeft);
            if (rightToLeft)
                msg->wParam = msg->wParam == VK_LEFT ? VK_RIGHT : VK_LEFT;
        }
        const LRESULT next = CallNextHookEx(nullptr, code, wParam, lParam);
        if (next || code != MSGF_MENU || !msg)
            return next;
        FilterMenuMessage(*msg);
    } catch (...) {
        HandleCurrentException(true);
    }
    return 0;
}

// The tracking state and the message-filter hook for one TrackPopupMenu call: both go when it
// returns, whatever way it ends.
class TTrackingScope {
  public:
    TTrackingScope(TWinSkinForm* frame, const TMenuBtn& button) {
        tracking = TTracking{};
        tracking.Frame = frame;
        tracking.Menu = button.Submenu;
        tracking.CurrentIndex = button.Index;
        GetCursorPos(&tracking.LastMouse);
        hook_.Reset(SetWindowsHookExA(WH_MSGFILTER, &MenuFilterProc, nullptr, GetCurrentThreadId()));
    }
    TTrackingScope(const TTrackingScope&) = delete;
    TTrackingScope& operator=(const TTrackingScope&) = delete;
    ~TTrackingScope() {
        hook_.Reset();
        tracking = TTracking{};
    }
    int PendingIndex() const { return tracking.PendingIndex; }

  private:
    TOwnedHook hook_;
};
} // namespace

bool TWinSkinForm::MenuTracking() const {
    return tracking.Frame == this;
}

HMENU TWinSkinForm::TrackedMenu() const {
    return MenuTracking() ? tracking.Menu : nullptr;
}

TMenuBtn* TWinSkinForm::TrackedButton() const {
    return MenuTracking() && skinMenuBar_ ? skinMenuBar_->Button(tracking.CurrentIndex) : nullptr;
}

void TWinSkinForm::PostMenuClick(const TMenuBtn& button) {
    RECT window{};
    GetWindowRect(handle_, &window);
    PostMessageA(
        handle_, WM_NCLBUTTONDOWN, 1,
        MAKELPARAM(window.left + button.BoundsRect.Left + 1, window.top + button.BoundsRect.Top + 1));
}

void TWinSkinForm::ShowButtonState(int index, int state) {
    TMenuBtn* button = skinMenuBar_ ? skinMenuBar_->Button(index) : nullptr;
    if (!button)
        return;
    if (state == ncNormal) {
        // Hot again when the pointer is still on it.
        POINT cursor{};
        GetCursorPos(&cursor);
        const POINT p = ScreenToFrame(cursor);
        state = active_ && button->BoundsRect.Contains(p.x, p.y) ? ncHot : ncNormal;
    }
    if (hotObject_ && hotObject_ != button && state != ncNormal)
        hotObject_->MouseLeave();
    button->State = state;
    if (state == ncNormal) {
        if (hotObject_ == button)
            hotObject_ = nullptr;
    } else {
        hotObject_ = button;
    }
    button->Paint();
}

bool TWinSkinForm::OpenButtonPopup(TMenuBtn& first) {
    if (!skinMenuBar_)
        return false;
    if (tracking.Frame) {
        // A menu-bar popup is open: this button's opens once it has closed.
        if (tracking.Frame == this)
            SwitchTrackingTo(first.Index);
        return false;
    }
    bool opened = false;
    // The button may be rebuilt while its popup is open: from here on it is known by index.
    const int firstIndex = first.Index;
    int index = firstIndex;
    int shown = -1;
    while (index >= 0 && skinMenuBar_ && IsWindow(handle_)) {
        TMenuBtn* button = skinMenuBar_->Button(index);
        index = -1;
        if (!button)
            break;
        // The top item's own click comes first (it may prepare its items).
        PostMessageA(handle_, WM_COMMAND, button->Command, 0);
        if (!button->Submenu || !button->ItemEnabled)
            break;
        if (shown >= 0 && shown != button->Index)
            ShowButtonState(shown, ncNormal);
        shown = button->Index;
        ShowButtonState(shown, ncPressed);
        skinMenuBar_->MakeOwnerDrawn(button->Submenu);
        const HMENU submenu = button->Submenu;
        UINT flags = TPM_NONOTIFY | TPM_RIGHTBUTTON;
        RECT window{};
        GetWindowRect(handle_, &window);
        int x = window.left + button->BoundsRect.Left;
        if (rightToLeft_) {
            x = window.left + button->BoundsRect.Right;
            flags |= TPM_RIGHTALIGN;
        }
        const int y = window.top + button->BoundsRect.Bottom;
        const TLifeWatch watch(this);
        TTrackingScope scope(this, *button);
        if (TSkinManage* manager = SkinManager()) {
            manager->SetNextMenuKind(mkMenuBar);
            manager->SetMenuFromBar(true);
        }
        TrackPopupMenu(submenu, flags, x, y, 0, handle_, nullptr);
        if (watch.Gone())
            return true; // the frame went with its window while the popup was open
        opened = true;
        index = scope.PendingIndex();
    }
    if (shown >= 0 && skinMenuBar_)
        ShowButtonState(shown, ncNormal);
    if (firstIndex != shown && skinMenuBar_)
        ShowButtonState(firstIndex, ncNormal);
    return opened;
}

// ---- The frame's side of the bar

bool TWinSkinForm::MenuBarWanted() const {
    return skinFrame_ && skin_ && !skinMenuBar_ && borderKind_ != bkNone && !isChild_ &&
           !(exStyle_ & WS_EX_MDICHILD) && GetMenu(handle_);
}

void TWinSkinForm::ReserveMenuStrip() {
    // A window drawn by the skin from its creation gets its menu from its owner afterwards
    // (setting the menu recalculates the frame): the strip's room is kept from then on, so that
    // taking the menu over at the deferred start leaves the client area as it is and the
    // window's layout is not done twice.
    if (frameState_ == fsRunning && widths_.Menu == 0 && MenuBarWanted())
        widths_.Menu = GetSystemMetrics(SM_CYMENU);
}

bool TWinSkinForm::ClientFitsFrame() const {
    RECT window{}, client{};
    if (!GetWindowRect(handle_, &window) || !GetClientRect(handle_, &client))
        return true;
    const TFrameRect fit =
        NcCalcClientRect(widths_, 0, 0, window.right - window.left, window.bottom - window.top);
    return client.right == fit.Right - fit.Left && client.bottom == fit.Bottom - fit.Top;
}

void TWinSkinForm::CreateMenuBar() {
    if (!MenuBarWanted())
        return;
    const bool reserved = widths_.Menu > 0;
    auto bar = MakeComponent<TWinSkinMenu>(this, skin_);
    if (form_)
        bar->SetSourceMenu(form_->Menu());
    RECT before{};
    GetClientRect(handle_, &before);
    // The strip is there before the menu comes off, so that the new client area leaves room
    // for it.
    widths_.Menu = GetSystemMetrics(SM_CYMENU);
    skinMenuBar_ = std::move(bar);
    if (!skinMenuBar_->BuildButtons()) {
        skinMenuBar_.reset();
        widths_.Menu = 0;
        // A menu without items: the room kept for it goes back to the client area.
        if (reserved && frameState_ != fsCreated)
            SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        return;
    }
    if (frameState_ == fsCreated) {
        // The system frame still holds the window: its client area grew by the system's menu
        // bar, which the strip takes over.
        RECT after{};
        GetClientRect(handle_, &after);
        menuGrowth_ = std::max(0L, after.bottom - before.bottom);
    } else if (!ClientFitsFrame()) {
        // Taking the menu off recalculated the frame with the strip already; a system that did
        // not is asked to.
        SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}

void TWinSkinForm::ReleaseMenuBar(bool giveBack) {
    if (!skinMenuBar_)
        return;
    if (MenuTracking())
        EndMenu();
    if (giveBack)
        skinMenuBar_->GiveBack();
    else if (!form_ && frameState_ == fsClosing && skinMenuBar_->MenuHandle() &&
             IsMenu(skinMenuBar_->MenuHandle()))
        DestroyMenu(skinMenuBar_->MenuHandle()); // the window took it off itself: nobody else frees it
    skinMenuBar_.reset();
    widths_.Menu = 0;
}

void TWinSkinForm::MenuChanged() {
    if (!skinFrame_ || frameState_ == fsClosing || frameState_ == fsDestroyed)
        return;
    if (GetMenu(handle_)) {
        if (!skinMenuBar_) {
            CreateMenuBar();
        } else {
            if (skin_ && skin_->MenuUpdate()) {
                skinMenuBar_->SetSourceMenu(form_ ? form_->Menu() : nullptr);
                skinMenuBar_->BuildButtons();
            }
            SetMenu(handle_, nullptr);
        }
    } else if (skinMenuBar_ && form_ && !form_->Menu()) {
        // The form has no main menu any more: the strip goes, the client area takes its room.
        skinMenuBar_.reset();
        widths_.Menu = 0;
        SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    if (frameState_ == fsRunning && IsWindowVisible(handle_))
        PaintNonClient();
}

bool TWinSkinForm::MenuBarMouse(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (!skinMenuBar_)
        return false;
    const POINT p = ScreenToFrame(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    // Caption objects come first, even inside the strip.
    if (CaptionButtonAt(p))
        return false;
    TMenuBtn* button = skinMenuBar_->ButtonAt(p);
    if (!button)
        return false;
    result = 0;
    switch (msg) {
    case WM_NCMOUSEMOVE:
        if (!active_)
            return false;
        if (!MenuTracking())
            button->MouseEnter();
        return true;
    case WM_NCLBUTTONDOWN:
        HideHint();
        if (!active_)
            SetForegroundWindow(handle_);
        if (MenuTracking()) {
            OpenButtonPopup(*button);
            return true;
        }
        button->MouseDown();
        OpenButtonPopup(*button);
        return true;
    case WM_NCLBUTTONUP:
        HideHint();
        return true;
    case WM_NCLBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

bool TWinSkinForm::MenuBarKey(LPARAM key) {
    if (!skinMenuBar_)
        return false;
    TMenuBtn* button = nullptr;
    if (key == 0) {
        button = skinMenuBar_->FirstButton();
    } else {
        const std::wstring wide = AnsiToWide(std::string(1, static_cast<char>(key & 0xFF)));
        if (!wide.empty())
            button = skinMenuBar_->ButtonByAccelerator(wide[0]);
    }
    if (!button)
        return key == 0;
    OpenButtonPopup(*button);
    return true;
}

void TWinSkinForm::MenuAtPoint(LPARAM lParam) {
    if (!skinMenuBar_)
        return;
    const POINT p = ScreenToFrame(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    for (const auto& object : captionButtons_)
        if (object->Visible && object->BoundsRect.Contains(p.x, p.y))
            return;
    if (TMenuBtn* button = skinMenuBar_->ButtonAt(p))
        OpenButtonPopup(*button);
}

// ---- The form object's message handler

// Sits in front of the form object's message handler while the frame is skinned. When someone
// put a handler in front of it meanwhile, it cannot leave the chain without cutting them off:
// it then stays as a plain relay to the handler it replaced, until the form goes.
class TWinSkinForm::TFormHook : public TComponent {
  public:
    TFormHook(TCustomForm* form, TWinSkinForm* frame)
        : TComponent(form), form_(form), frame_(frame), previous_(form->WindowProc()) {
        form->SetWindowProc(Handler());
    }
    ~TFormHook() override {
        if (frame_ && frame_->formHook_ == this)
            frame_->formHook_ = nullptr;
    }
    const char* ClassName() const override { return "TFormHook"; }

    // The frame lets go; freed now or, while a message is in it, once that message is done.
    void Release() {
        frame_ = nullptr;
        if (form_->WindowProc() == Handler()) {
            form_->SetWindowProc(previous_);
            unhooked_ = true;
            if (depth_ == 0)
                TComponent::Free(this);
        }
    }

  private:
    TWndMethod Handler() { return Bind<&TFormHook::Handle>(this); }
    void Handle(TMessage& message) {
        ++depth_;
        struct TLeave {
            TFormHook* Hook;
            ~TLeave() {
                if (--Hook->depth_ == 0 && Hook->unhooked_)
                    TComponent::Free(Hook);
            }
        } leave{this};
        if (frame_)
            frame_->FormHandler(message, previous_);
        else if (previous_)
            previous_(message);
    }

    TCustomForm* form_;
    TWinSkinForm* frame_;
    TWndMethod previous_;
    int depth_ = 0;
    bool unhooked_ = false;
};

void TWinSkinForm::HookFormHandler() {
    if (form_ && skinFrame_ && !formHook_)
        formHook_ = new TFormHook(form_, this);
}

void TWinSkinForm::UnhookFormHandler() {
    if (TFormHook* hook = std::exchange(formHook_, nullptr))
        hook->Release();
}

void TWinSkinForm::FormHandler(TMessage& message, const TWndMethod& previous) {
    switch (message.Msg) {
    case CM_MENUCHANGED: {
        // The frame is not drawn while the toolkit swaps the menus.
        struct TPaintingOff {
            TSkinData* Skin;
            bool Was;
            ~TPaintingOff() {
                if (Skin)
                    Skin->SetFramePainting(Was);
            }
        } off{skin_, skin_ && skin_->FramePainting()};
        if (skin_)
            skin_->SetFramePainting(false);
        if (previous)
            previous(message);
        if (skin_)
            skin_->SetFramePainting(off.Was);
        off.Skin = nullptr;
        MenuChanged();
        return;
    }
    case CM_DIALOGCHAR: {
        if (previous)
            previous(message);
        if (message.Result)
            return;
        // Alt and nothing else held: the access key of a menu-bar button opens it.
        const bool alt = GetKeyState(VK_MENU) < 0;
        const bool others = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0;
        if (skinMenuBar_ && alt && !others) {
            const std::wstring key = AnsiToWide(std::string(1, static_cast<char>(message.WParam & 0xFF)));
            if (TMenuBtn* button = key.empty() ? nullptr : skinMenuBar_->ButtonByAccelerator(key[0])) {
                PostMenuClick(*button);
                message.Result = 1;
                return;
            }
        }
        // A key no control of a non-modal form took is the main form's to try (its menu bar,
        // its buttons' access keys); what it answers is not this form's answer.
        TCustomForm* mainForm = Application ? Application->MainForm() : nullptr;
        if (mainForm && form_ && mainForm != form_ && !form_->Modal() && !IsMdiChild() &&
            mainForm->HandleAllocated())
            mainForm->Perform(CM_DIALOGCHAR, message.WParam, message.LParam);
        message.Result = 0;
        return;
    }
    // Asked of the form object itself.
    case SKM_PROBE:
        message.Result = message.LParam == SKIN_MAGIC ? SKIN_MAGIC : 1;
        return;
    case SKM_PAINTFRAME:
        if (message.LParam != SKIN_MAGIC)
            break;
        if (message.WParam)
            PaintNonClient(reinterpret_cast<HDC>(message.WParam));
        message.Result = SKIN_MAGIC;
        return;
    case SKM_RESKIN:
        Reskin();
        message.Result = 0;
        return;
    default:
        break;
    }
    if (previous)
        previous(message);
}

// ---- The items of the bar's popups

namespace {
// The item of the bar's framework menu with that command, else null.
TMenuItem* SourceItem(const TWinSkinMenu& bar, UINT command) {
    if (!bar.SourceMenu() || command > 0xFFFF)
        return nullptr;
    TMenuItem* item = TMenuItem::FindByCommand(static_cast<WORD>(command));
    return item && item->Menu() == bar.SourceMenu() ? item : nullptr;
}

// Commands of the program's own items; entries without one (0) and the system's and MDI
// windows' entries (from 4096 up) are measured and drawn as native entries.
bool IsProgramCommand(UINT command) {
    return command >= 1 && command <= 4095;
}
} // namespace

LRESULT TWinSkinForm::MenuItemMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!skinMenuBar_ || !skin_ || !lParam)
        return PassOn(msg, wParam, lParam);
    TWinSkinMenuPainter& painter = SkinMenuPainter(skin_);
    if (msg == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU)
            return PassOn(msg, wParam, lParam);
        TMenuItem* item = form_ ? SourceItem(*skinMenuBar_, measure->itemID) : nullptr;
        // A window without a form object has nobody else to measure the items the bar made
        // owner-drawn: they are measured as native entries, as they are drawn.
        if (!item && form_ && IsProgramCommand(measure->itemID))
            return PassOn(msg, wParam, lParam);
        TWindowDC dc(handle_);
        if (!dc.Get())
            return PassOn(msg, wParam, lParam);
        if (item) {
            TCanvas canvas;
            canvas.SetHandle(dc.Get());
            int width = static_cast<int>(measure->itemWidth), height = static_cast<int>(measure->itemHeight);
            painter.MeasureMenuItem(item, canvas, width, height);
            canvas.SetHandle(nullptr);
            measure->itemWidth = static_cast<UINT>(std::max(0, width));
            measure->itemHeight = static_cast<UINT>(std::max(0, height));
            return TRUE;
        }
        char text[81] = {};
        GetMenuStringA(TrackedMenu(), measure->itemID, text, 80, MF_BYCOMMAND);
        const TMenuItemSize size = painter.MeasureNativeItem(dc.Get(), text);
        measure->itemWidth = static_cast<UINT>(std::max(0, size.Width));
        measure->itemHeight = static_cast<UINT>(std::max(0, size.Height));
        return TRUE;
    }
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (draw->CtlType != ODT_MENU)
        return PassOn(msg, wParam, lParam);
    const auto menu = reinterpret_cast<HMENU>(draw->hwndItem);
    if (TSkinManage* manager = SkinManager())
        manager->AttachMenuHandle(menu);
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    if (TMenuItem* item = form_ ? SourceItem(*skinMenuBar_, draw->itemID) : nullptr) {
        TCanvas canvas;
        canvas.SetHandle(draw->hDC);
        painter.DrawSkinnedItem(item, canvas, draw->rcItem, selected);
        canvas.SetHandle(nullptr);
        return TRUE;
    }
    if (IsProgramCommand(draw->itemID) && form_)
        return PassOn(msg, wParam, lParam);
    // A native entry: as it is in its menu, enabled and checked as the system draws it now.
    TMenuItemContent content = NativeMenuItemContent(menu, draw->itemID, false);
    content.Enabled = !(draw->itemState & (ODS_GRAYED | ODS_DISABLED));
    content.Checked = (draw->itemState & ODS_CHECKED) != 0;
    painter.DrawNativeItem(menu, content, selected, draw->rcItem, draw->hDC);
    return TRUE;
}
