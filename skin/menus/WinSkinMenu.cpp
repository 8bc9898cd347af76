#include "WinSkinMenu.h"

#include "Application.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "Menus.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WindowRelay.h"

#include <memory>

namespace {
// The relay of a popup window skinned by us. It outlives the skin when someone subclassed the
// window after us (our procedure is then still called) and goes with the window.
constexpr char PopupRelay[] = "PerchSkinPopMenu";
constexpr UINT MN_GETHMENU_MSG = 0x01E1;
} // namespace

TWinSkinPopMenu::~TWinSkinPopMenu() {
    Detach();
}

bool TWinSkinPopMenu::Attach(HWND window, TSkinData* skin) {
    if (relay_ || !window)
        return false;
    // Without the relay's record the window keeps its own procedure.
    auto relay =
        std::make_unique<TWindowRelay>(RelayKind<PopupRelay>, Bind<&TWinSkinPopMenu::RelayedMessage>(this));
    if (!relay->Install(window))
        return false;
    handle_ = window;
    skin_ = skin;
    relay_ = std::move(relay);
    return true;
}

void TWinSkinPopMenu::Detach() {
    background_.SetSize(0, 0);
    // Otherwise a later subclasser calls our procedure still: the relay stays with the window
    // and passes everything on until the window goes.
    relay_.reset();
}

LRESULT TWinSkinPopMenu::RelayedMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY) {
        // The last message: the window's own procedure gets it once we let go.
        const WNDPROC old = relay_->Previous();
        const bool unicode = relay_->Unicode();
        const HWND window = handle_;
        Detach();
        return TWindowRelay::CallProc(old, unicode, window, msg, wParam, lParam);
    }
    return WindowProc(msg, wParam, lParam);
}

LRESULT TWinSkinPopMenu::PassOn(UINT msg, WPARAM wParam, LPARAM lParam) {
    return relay_ ? relay_->CallPrevious(msg, wParam, lParam) : DefWindowProcW(handle_, msg, wParam, lParam);
}

bool TWinSkinPopMenu::RenderBackground() {
    const TSkinData* skin = IsLiveSkinData(skin_) ? skin_ : nullptr;
    const TDataSkinObject* element = skin && skin->SkinReady() ? skin->Slot(ssMenuBackground) : nullptr;
    if (!element || element->Bitmap.Empty())
        return false;
    RECT window{};
    GetWindowRect(handle_, &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    if (width <= 0 || height <= 0)
        return false;
    if (background_.Width() != width || background_.Height() != height)
        background_.SetSize(width, height);
    const RECT margins{element->LeftWidth, element->TopHeight, element->RightWidth, element->BottomHeight};
    DrawNineSlice(background_.MemoryDC(), RECT{0, 0, width, height}, element->Bitmap, CellRect(*element, 1),
                  margins, element->Tile == 1, false);
    return true;
}

LRESULT TWinSkinPopMenu::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == SKM_ISSKINNED)
        return 1;
    TSkinManage* manager = SkinManager();
    if (!manager || !manager->SkinningEnabled() || (msg != WM_DESTROY && KeepsSystemLook()))
        return PassOn(msg, wParam, lParam);
    switch (msg) {
    case WM_DESTROY: {
        // The window goes: it gets its own procedure back first.
        const WNDPROC old = relay_ ? relay_->Previous() : nullptr;
        const bool unicode = relay_ ? relay_->Unicode() : true;
        const HWND window = handle_;
        Detach();
        return TWindowRelay::CallProc(old, unicode, window, msg, wParam, lParam);
    }
    case WM_ERASEBKGND:
        if (!skin_ || !IsLiveSkinData(skin_) || !skin_->HasOption(xoMenuBG))
            PassOn(msg, wParam, lParam);
        return 1;
    case WM_NCPAINT:
        return PaintBorder(wParam);
    case WM_PRINT:
        return Print(reinterpret_cast<HDC>(wParam), wParam, lParam);
    case WM_PAINT: {
        // The menu paints its items (each on its part of the picture); what lies around them
        // gets the picture afterwards, whatever the menu drew there.
        const LRESULT result = PassOn(msg, wParam, lParam);
        if (!background_.Empty() || RenderBackground())
            PaintAroundItems();
        return result;
    }
    default:
        return PassOn(msg, wParam, lParam);
    }
}

bool TWinSkinPopMenu::KeepsSystemLook() {
    if (lookDecided_)
        return systemLook_;
    HMENU menu = reinterpret_cast<HMENU>(PassOn(MN_GETHMENU_MSG, 0, 0));
    if (!menu)
        return false;
    // A menu of the program's own whose Tag is the skin's DisableTag is left to the system.
    lookDecided_ = true;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id == 0 || id == static_cast<UINT>(-1))
            continue;
        TMenuItem* item = TMenuItem::FindByCommand(static_cast<WORD>(id));
        TMenu* owner = item ? item->Menu() : nullptr;
        if (owner)
            systemLook_ = IsLiveSkinData(skin_) && owner->TagInt() == skin_->DisableTag();
        break;
    }
    return systemLook_;
}

void TWinSkinPopMenu::PaintAroundItems() {
    HMENU menu = reinterpret_cast<HMENU>(PassOn(MN_GETHMENU_MSG, 0, 0));
    TWindowDC dc(handle_, TWindowDC::Area::Window);
    if (!dc)
        return;
    RECT window{};
    GetWindowRect(handle_, &window);
    TSaveDCGuard saved(dc.Get());
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &item))
            ExcludeClipRect(dc.Get(), item.left - window.left, item.top - window.top,
                            item.right - window.left, item.bottom - window.top);
    }
    BitBlt(dc.Get(), 0, 0, background_.Width(), background_.Height(), background_.MemoryDC(), 0, 0, SRCCOPY);
}

LRESULT TWinSkinPopMenu::PaintBorder(WPARAM region) {
    if (!RenderBackground())
        return PassOn(WM_NCPAINT, region, 0);
    TWindowDC dc(handle_, TWindowDC::Area::Window);
    if (!dc)
        return 0;
    const int width = background_.Width(), height = background_.Height();
    HDC source = background_.MemoryDC();
    // The border ring first (it is what shows at once), then the whole picture.
    BitBlt(dc.Get(), 0, 0, width, BorderWidth, source, 0, 0, SRCCOPY);
    BitBlt(dc.Get(), 0, height - BorderWidth, width, BorderWidth, source, 0, height - BorderWidth, SRCCOPY);
    BitBlt(dc.Get(), 0, 0, BorderWidth, height, source, 0, 0, SRCCOPY);
    BitBlt(dc.Get(), width - BorderWidth, 0, BorderWidth, height, source, width - BorderWidth, 0, SRCCOPY);
    BitBlt(dc.Get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    return 0;
}

LRESULT TWinSkinPopMenu::Print(HDC dc, WPARAM wParam, LPARAM lParam) {
    if (!dc || !RenderBackground())
        return PassOn(WM_PRINT, wParam, lParam);
    const int width = background_.Width(), height = background_.Height();
    BitBlt(dc, 0, 0, width, height, background_.MemoryDC(), 0, 0, SRCCOPY);
    // The menu prints its items over the picture, inside the border.
    TSaveDCGuard saved(dc);
    SetBkMode(dc, TRANSPARENT);
    TOwnedRegion clip(CreateRectRgn(BorderWidth, BorderWidth, width - BorderWidth, height - BorderWidth));
    SelectClipRgn(dc, clip.Get());
    const LRESULT result =
        PassOn(WM_PRINT, wParam, lParam & ~static_cast<LPARAM>(PRF_NONCLIENT | PRF_ERASEBKGND));
    SelectClipRgn(dc, nullptr);
    return result;
}
