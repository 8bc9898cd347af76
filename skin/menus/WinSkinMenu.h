#pragma once
// The skin of one popup menu window ("#32768"): its border and background are painted from the
// skin's MenuBackground picture, which is kept so that the item painter can draw each item on
// its part of it. The manager attaches one to every popup menu window it skins and frees it
// when the window goes.

#include "Bitmap.h"
#include "WindowRelay.h"

#include <windows.h>

#include <memory>

class TSkinData;

class TWinSkinPopMenu {
  public:
    TWinSkinPopMenu() = default;
    ~TWinSkinPopMenu();
    TWinSkinPopMenu(const TWinSkinPopMenu&) = delete;
    TWinSkinPopMenu& operator=(const TWinSkinPopMenu&) = delete;

    // Subclasses the window (its procedure runs before the menu's own). False, and the window
    // left as it was, when the window cannot carry the link to this skin.
    bool Attach(HWND window, TSkinData* skin);
    // Gives the window its procedure back and empties the picture. When someone subclassed the
    // window after us, our procedure stays in their chain and merely passes everything on.
    void Detach();

    HWND Handle() const { return handle_; }
    TSkinData* SkinData() const { return skin_; }
    // The menu shown in the window, null until its first item is drawn.
    HMENU MenuHandle() const { return menuHandle_; }
    void SetMenuHandle(HMENU menu) { menuHandle_ = menu; }
    // Opened from a skinned menu bar.
    bool FromBar() const { return fromBar_; }
    void SetFromBar(bool value) { fromBar_ = value; }
    // The MenuBackground picture at the window's size, as last painted (empty before).
    const TBitmap& Background() const { return background_; }

    // Width of the border the picture's edge covers.
    static constexpr int BorderWidth = 3;

  private:
    LRESULT RelayedMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT PassOn(UINT msg, WPARAM wParam, LPARAM lParam);
    // Renders MenuBackground at the window's size into Background; false without the picture.
    bool RenderBackground();
    LRESULT PaintBorder(WPARAM region);
    void PaintAroundItems();
    // Whether the menu shown is one the skin leaves alone (decided once the menu is known).
    bool KeepsSystemLook();
    LRESULT Print(HDC dc, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    TSkinData* skin_ = nullptr;
    std::unique_ptr<TWindowRelay> relay_;
    HMENU menuHandle_ = nullptr;
    bool fromBar_ = false;
    bool lookDecided_ = false;
    bool systemLook_ = false;
    TBitmap background_;
};
