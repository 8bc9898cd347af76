#pragma once
// The skinned menu-item painter: measures and draws the items of the program's own menus (as
// their draw and measure events) and of native menus (system menu entries, from WM_DRAWITEM),
// from the skin's MenuItem image and colours, on the popup's MenuBackground picture.

#include "Bitmap.h"
#include "Graphics.h"
#include "Handles.h"
#include "WinSkinMenuGeometry.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class TObject;
class TCanvas;
class TImageList;
class TMenuItem;
class TSkinData;
class TBitmap;
struct TDataSkinObject;

// What one item shows, whether it comes from a toolkit item or from a native menu.
struct TMenuItemContent {
    std::string Caption; // with its "&" marker; "-" for a separator
    std::string Shortcut;
    bool Enabled = true;
    bool Checked = false;
    bool Default = false;
    bool RightToLeft = false;
    const TImageList* Images = nullptr;
    int ImageIndex = -1;

    bool Separator() const { return Caption == "-"; }
    // The item has a picture: an image list with the item's index in it.
    bool HasImage() const;
};

// A toolkit item: a tab in the caption separates the shortcut text.
TMenuItemContent MenuItemContent(const TMenuItem& item);
// Entry pos of a native menu: its text ("-" for none) split at the tab, enabled unless grayed,
// checked from MFS_CHECKED, default from MFS_DEFAULT.
TMenuItemContent NativeMenuItemContent(HMENU menu, UINT item, bool byPosition);

// The system's menu font (non-client metrics), normal or bold, made once each.
HFONT SkinMenuFont(bool bold = false);

class TWinSkinMenuPainter {
  public:
    explicit TWinSkinMenuPainter(TSkinData* skin) : skin_(skin) {}
    TWinSkinMenuPainter(const TWinSkinMenuPainter&) = delete;
    TWinSkinMenuPainter& operator=(const TWinSkinMenuPainter&) = delete;

    TSkinData* SkinData() const { return skin_; }
    void SetSkinData(TSkinData* skin) { skin_ = skin; }

    // Measure events of toolkit items (sender: the TMenuItem). MeasureMenuItem is for the items
    // of a main menu's submenus, MeasurePopupItem for those of popup menus.
    void MeasureMenuItem(TObject* sender, TCanvas& canvas, int& width, int& height);
    void MeasurePopupItem(TObject* sender, TCanvas& canvas, int& width, int& height);
    // Draw events of toolkit items. Without a MenuItem image DrawSkinnedItem draws plainly.
    void DrawSkinnedItem(TObject* sender, TCanvas& canvas, RECT rect, bool selected);
    void DrawPlainItem(TObject* sender, TCanvas& canvas, RECT rect, bool selected);

    // An entry of a native menu (menu: the menu it belongs to).
    void DrawNativeItem(HMENU menu, const TMenuItemContent& item, bool selected, const RECT& rect, HDC dc);
    TMenuItemSize MeasureNativeItem(HDC dc, const std::string& text) const;

    // The same for any content, for callers that have no toolkit item at hand.
    TMenuItemSize MeasureContent(HDC dc, const TMenuItemContent& item, bool popup) const;
    void DrawContentItem(HMENU menu, const TMenuItemContent& item, bool selected, const RECT& rect, HDC dc,
                         bool nativeSeparators);

  private:
    enum class TBackground { Skinned, Plain };
    // The live skin with its MenuItem image, else null (the component may be going away).
    const TSkinData* LiveSkin() const;
    int LeftWidth() const;
    void DrawItem(HMENU menu, const TMenuItemContent& item, bool selected, const RECT& rect, HDC dc,
                  TBackground background, bool nativeSeparators);
    void DrawContent(HDC dc, const TMenuItemContent& item, const RECT& rect, bool selected);
    void DrawCheckMark(HDC dc, const TFrameRect& item, const TFrameRect& glyph, COLORREF colour);
    // The skin component's menu glyphs are one-colour symbols (the other image lists hold
    // pictures); a symbol is drawn in one colour where its image is not transparent.
    bool SymbolImages(const TImageList* images) const;
    void DrawSymbol(HDC dc, const TImageList& images, int index, int x, int y, COLORREF colour);
    TColor TextColour(const TMenuItemContent& item, bool selected) const;
    // The element's cell drawn over rect, transparent where the skin says so.
    void DrawItemCell(HDC dc, const RECT& rect, const TDataSkinObject& element, int cell);

    struct TCellDrawing {
        HBITMAP Image = nullptr;
        std::string SkinName;
        int Cell = 0, Width = 0, Height = 0;
        bool Transparent = false;
        std::unique_ptr<TBitmap> Picture;
        std::unique_ptr<TBitmap> Mask;
    };
    static constexpr size_t MaxCellDrawings = 8;

    TSkinData* skin_;
    std::vector<TCellDrawing> cells_;
    TBitmap buffer_;
};

// The menu a popup-menu window shows (the window a menu item is drawn in), else null.
HMENU MenuOfPopupDC(HDC dc);

// The painter of a skin component, made when first asked for and kept for the life of the
// process: the items' events stay callable even after a frame or the component went away (the
// painter then draws plainly).
TWinSkinMenuPainter& SkinMenuPainter(TSkinData* skin);

class TComponent;
class TCustomForm;
// Owner-draw switching of a form's menus. Popup menus (and those of the forms it owns) whose
// Tag is not the skin's DisableTag become owner-drawn and every item, at any depth, is drawn by
// DrawSkinnedItem and measured by MeasurePopupItem (unless it measures itself). Main menus:
// the items below the top level that draw themselves keep doing so, the others are drawn by
// DrawSkinnedItem and measured by MeasureMenuItem. Switching off takes exactly our events off
// again and gives the menus the system's drawing back.
void SetPopupMenusOwnerDraw(TComponent& form, TSkinData* skin, bool on);
// The same for one popup menu (a tool bar's drop-down menu), whatever its Tag.
class TPopupMenu;
void SetPopupMenuOwnerDraw(TPopupMenu& menu, TSkinData* skin, bool on);
void SetMainMenusOwnerDraw(TComponent& form, TSkinData* skin, bool on);
