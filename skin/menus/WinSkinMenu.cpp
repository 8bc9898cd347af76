#include "WinSkinMenu.h"

#include "Application.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "Menus.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"

#include <memory>

namespace {
// The window property under which a popup window's link to its skin is found.
constexpr wchar_t LinkProperty[] = L"PerchSkinPopMenu";
constexpr UINT MN_GETHMENU_MSG = 0x01E1;
} // namespace

// What our procedure needs to run: the procedure it replaced, and the skin while one is
// attached. It outlives the skin when someone subclassed the window after us (our procedure is
// then still called) and goes with the window.
struct TWinSkinPopMenu::TLink {
    WNDPROC OldProc = nullptr;
    TWinSkinPopMenu* Owner = nullptr;
};

TWinSkinPopMenu::~TWinSkinPopMenu() {
    Detach();
}

bool TWinSkinPopMenu::Attach(HWND window, TSkinData* skin) {
    if (link_ || !window)
        return false;
    // Our procedure finds its link through the property: without it the window keeps its own.
    auto link = std::make_unique<TLink>();
    link->Owner = this;
    if (!SetPropW(window, LinkProperty, link.get()))
        return false;
    handle_ = window;
    skin_ = skin;
    link_ = link.release();
    link_->OldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinSkinPopMenu::PopupProc)));
    return true;
}

void TWinSkinPopMenu::Detach() {
    background_.SetSize(0, 0);
    if (!link_)
        return;
    TLink* link = link_;
    link_ = nullptr;
    link->Owner = nullptr;
    const bool ours =
        IsWindow(handle_) &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(handle_, GWLP_WNDPROC)) == &TWinSkinPopMenu::PopupProc;
    if (ours) {
        SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link->OldProc));
        RemovePropW(handle_, LinkProperty);
        delete link;
    } else if (!IsWindow(handle_)) {
        delete link;
    }
    // Otherwise a later subclasser calls our procedure still: the link stays with the window
    // and passes everything on until the window goes.
}

LRESULT CALLBACK TWinSkinPopMenu::PopupProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* link = static_cast<TLink*>(GetPropW(window, LinkProperty));
    if (!link)
        return DefWindowProcW(window, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The last message: whatever is left of the link goes with the window.
        const WNDPROC old = link->OldProc;
        if (link->Owner)
            link->Owner->Detach();
        if (GetPropW(window, LinkProperty) == link) {
            RemovePropW(window, LinkProperty);
            delete link;
        }
        return old ? CallWindowProcW(old, window, msg, wParam, lParam)
                   : DefWindowProcW(window, msg, wParam, lParam);
    }
    if (!link->Owner)
        return CallWindowProcW(link->OldProc, window, msg, wParam, lParam);
    try {
        return link->Owner->WindowProc(msg, wParam, lParam);
    } catch (...) {
        HandleCurrentException(PaintingMessage(msg));
        return 0;
    }
}

LRESULT TWinSkinPopMenu::PassOn(UINT msg, WPARAM wParam, LPARAM lParam) {
    return link_ ? CallWindowProcW(link_->OldProc, handle_, msg, wParam, lParam)
                 : DefWindowProcW(handle_, msg, wParam, lParam);
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
        const WNDPROC old = link_ ? link_->OldProc : nullptr;
        const HWND window = handle_;
        Detach();
        return old ? CallWindowProcW(old, window, msg, wParam, lParam)
                   : DefWindowProcW(window, msg, wParam, lParam);
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
