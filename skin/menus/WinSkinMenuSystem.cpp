#include "WinSkinMenuSystem.h"

#include "Bitmap.h"
#include "ImageList.h"
#include "Menus.h"
#include "SysUtils.h"
#include "WinSkinData.h"
#include "WinSkinMenuPaint.h"

void LoadMenuGlyphs(TImageList& list) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    if (!FindResourceA(module, "MENUGLYPHS", reinterpret_cast<LPCSTR>(RT_BITMAP)))
        return;
    try {
        TBitmap glyphs;
        glyphs.LoadFromResourceName(module, "MENUGLYPHS");
        list.AddMasked(glyphs, clWhite);
    } catch (...) {
        // A damaged picture leaves the menu without glyphs.
        TraceSwallowed("LoadMenuGlyphs");
        list.Clear();
    }
}

void BuildSystemMenuPopup(TPopupMenu& popup, HMENU systemMenu, const TSystemMenuFacts& facts, TSkinData* skin,
                          const TMethod<void(TObject*)>& onClick) {
    TMenuItem& root = popup.Items();
    while (root.Count() > 0) {
        TMenuItem* old = root.Items(root.Count() - 1);
        root.Remove(old);
        TComponent::Free(old);
    }
    popup.SetTagInt(SystemMenuPopupTag);
    popup.SetImages(IsLiveSkinData(skin) ? skin->MenuGlyphs() : nullptr);
    TWinSkinMenuPainter& painter = SkinMenuPainter(skin);
    const int count = systemMenu ? GetMenuItemCount(systemMenu) : 0;
    for (int i = 0; i < count; ++i) {
        char text[81] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text - 1;
        if (!GetMenuItemInfoA(systemMenu, static_cast<UINT>(i), TRUE, &info))
            continue;
        // Owned by the menu's root item, which frees it: an item owned by the menu component
        // itself would tell the menu of its removal while the menu is being destroyed.
        auto* item = new TMenuItem(nullptr);
        const bool separator = (info.fType & MFT_SEPARATOR) || text[0] == '\0';
        item->SetCaption(separator ? "-" : text);
        item->SetTagInt(static_cast<int>(info.wID));
        if (!separator) {
            const TSystemMenuEntry entry = SystemMenuEntry(info.wID, info.fState, facts);
            item->SetEnabled(entry.Enabled);
            item->SetChecked(entry.Checked);
            item->SetImageIndex(entry.Glyph);
            item->OnClick = onClick;
        }
        item->OnDrawItem = Bind<&TWinSkinMenuPainter::DrawSkinnedItem>(&painter);
        item->OnMeasureItem = Bind<&TWinSkinMenuPainter::MeasurePopupItem>(&painter);
        root.Add(item);
    }
    popup.SetOwnerDraw(true);
}
