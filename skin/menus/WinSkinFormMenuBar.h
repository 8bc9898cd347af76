#pragma once
// The skinned menu bar of a window with a main menu. The window's own menu bar is taken off
// (SetMenu(window, 0)) and drawn by the frame in the strip below the caption: one button per
// top-level item, painted from the skin's MenuBar element. A click on a button, Alt with its
// access key, Alt or F10 alone open the item's popup under the button; while it is open, a
// message-filter hook lets the user slide to the neighbouring buttons with the mouse or the
// arrow keys. Switching skinning off gives the window its menu bar back.

#include "Bitmap.h"
#include "Component.h"
#include "Handles.h"
#include "WinSkinFormButtons.h"
#include "WinSkinFormGeometry.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class TMainMenu;
class TMenuItem;
class TSkinData;
class TWinSkinForm;

// ---- Rules of the bar, without windows

// The access key of a caption with "&" markers: the character after the first single "&"
// ("&&" shows one "&"), 0 when there is none.
wchar_t MenuAccelerator(const std::wstring& caption);
// Whether key is the caption's access key, whatever the case of either.
bool IsMenuAccelerator(wchar_t key, const std::wstring& caption);

// Where the first button starts in a strip stripWidth wide: the MenuBar element's end cap plus
// 4 (right to left: from the right edge, its right cap plus 8), 12 in a strip narrower than
// that; 6 without the element.
int MenuStripStart(bool hasElement, int leftWidth, int rightWidth, int stripWidth, bool rightToLeft);

// One button as the layout sees it: whether it shows and its caption's width.
struct TMenuButtonSpan {
    bool Visible = true;
    int TextWidth = 0;
};
// The buttons' rectangles in a strip (window coordinates): each visible button is its text
// plus 10 wide (a button without text has no margin), one after the other from start (right to
// left: leftwards from the strip's width less start), one row less high than the strip.
// Invisible buttons get an empty rectangle.
std::vector<TFrameRect> LayoutMenuButtons(const std::vector<TMenuButtonSpan>& spans, const TFrameRect& strip,
                                          int start, bool rightToLeft);

// The button the arrow keys move to from current: step +1 (Right) or -1 (Left), wrapping
// around, skipping buttons that cannot open. current itself when no other can.
int NeighbourMenuButton(const std::vector<bool>& selectable, int current, int step);

// What Left and Right do in a menu-bar popup, given what the popup has selected.
struct TMenuSelection {
    bool InNestedMenu = false; // the selected item lies in a submenu of the popup
    bool HasSubmenu = false;   // the selected item opens a submenu
};
enum TMenuKeyAction { mkNone, mkPrevious, mkNext };
// Left in a nested submenu is the menu's own (it closes that submenu); Right on an item with a
// submenu is the menu's own (it opens it). Otherwise they move to the neighbouring button.
TMenuKeyAction MenuBarKeyAction(unsigned virtualKey, const TMenuSelection& selection);

// ---- The bar

class TMenuBtn : public TNCObject {
  public:
    TMenuBtn(TWinSkinForm* owner, TSkinData* skin) : TNCObject(owner), SkinData(skin) {}
    // Restores the button's background from the painted strip and draws its caption, with a
    // frame while it is hot or pressed.
    void Paint() override;
    // It can be opened: visible, with a caption, enabled.
    bool Selectable() const { return Visible && !Caption.empty() && ItemEnabled; }

    TMenuItem* Item = nullptr;
    TSkinData* SkinData;
    int Index = 0;
    std::wstring Caption;
    bool ItemEnabled = true;
    HMENU Submenu = nullptr;
    UINT Command = 0;
};

class TWinSkinMenu : public TComponent {
  public:
    TWinSkinMenu(TWinSkinForm* frame, TSkinData* skin);
    ~TWinSkinMenu() override;
    const char* ClassName() const override { return "TWinSkinMenu"; }

    // The framework menu whose items stand behind the buttons (the form's Menu), or null.
    TMainMenu* SourceMenu() const { return sourceMenu_; }
    void SetSourceMenu(TMainMenu* menu);

    // Reads the window's menu bar into buttons and takes it off the window; false (no buttons,
    // and the menu left in place) when the window has no menu with items.
    bool BuildButtons();
    // The same after the window's menu was replaced; the buttons are laid out afresh.
    void RebuildButtons();
    // Gives the window its menu bar back; the menus' own drawing is put back too.
    void GiveBack();

    // Paints the strip at rect (window coordinates) on the window's DC.
    void Paint(HDC dc, const RECT& rect);
    // The buttons' rectangles for the frame's present size, without painting.
    void LayoutButtons();

    const std::vector<std::unique_ptr<TMenuBtn>>& Buttons() const { return buttons_; }
    TMenuBtn* Button(int index) const;
    // The first button with a caption whose rectangle holds the point (window coordinates).
    TMenuBtn* ButtonAt(POINT p) const;
    // The first visible, enabled button with that access key.
    TMenuBtn* ButtonByAccelerator(wchar_t key) const;
    // The first button that can open (Alt or F10 alone).
    TMenuBtn* FirstButton() const;

    HMENU MenuHandle() const { return menuHandle_; }
    const RECT& StripRect() const { return stripRect_; }
    const TBitmap& Background() const { return background_; }
    bool Painting() const { return painting_; }
    // The system's menu font.
    HFONT MenuFont() const;
    TWinSkinForm* OwnerFrame() const { return frame_; }

    // Every item of the popup, recursively, becomes owner-drawn (the frame measures and draws
    // them); GiveBack and a rebuild put back what was changed.
    void MakeOwnerDrawn(HMENU popup);

  protected:
    void Notification(TComponent* component, TOperation operation) override;

  private:
    void ReadButtons(bool fromItemsOnly);
    void RestoreOwnerDraw();
    // Width of a caption in the menu font on dc.
    int CaptionWidth(HDC dc, const std::wstring& caption) const;
    std::vector<TFrameRect> Layout(HDC dc, const RECT& strip);

    TWinSkinForm* frame_;
    TSkinData* skin_;
    TMainMenu* sourceMenu_ = nullptr;
    std::vector<std::unique_ptr<TMenuBtn>> buttons_;
    RECT stripRect_{};
    TBitmap background_;
    bool painting_ = false;
    HMENU menuHandle_ = nullptr;
    // Items made owner-drawn here: (menu, position).
    std::vector<std::pair<HMENU, UINT>> ownerDrawn_;
};

// Draws a caption centred in rect, "&" shown as an underlined access key.
void DrawMenuBarCaption(HDC dc, const std::wstring& caption, const RECT& rect);
