#include "WinSkinMenuPaint.h"

#include "Bitmap.h"
#include "Form.h"
#include "Graphics.h"
#include "ImageList.h"
#include "ImgUtil.h"
#include "MemoryDCPool.h"
#include "Menus.h"
#include "SystemFunction.h"
#include "TransparentBlit.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinMenu.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The common controls are loaded with the first image list, not with the program.
const TSystemFunction<decltype(&::ImageList_Draw)> imageListDraw{"comctl32.dll", "ImageList_Draw"};

TFrameRect ToFrame(const RECT& rect) {
    return TFrameRect{rect.left, rect.top, rect.right, rect.bottom};
}
RECT ToRect(const TFrameRect& rect) {
    return RECT{rect.Left, rect.Top, rect.Right, rect.Bottom};
}

void SplitAtTab(const std::string& text, std::string& caption, std::string& shortcut) {
    const size_t tab = text.find('\t');
    caption = text.substr(0, tab);
    shortcut = tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

// DrawSkinText measuring: an empty caption or a lone "&" gets a blank so that it has a height.
SIZE MeasureText(HDC dc, const std::string& text) {
    std::string measured = text;
    if (measured.empty() || measured == "&")
        measured += ' ';
    RECT rect{0, 0, 0, 0};
    DrawSkinText(dc, AnsiToWide(measured), rect, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// The framework's 50 % pattern of button face and button highlight, made once.
HBRUSH CheckedImageBrush() {
    static TOwnedBrush brush = [] {
        static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
        TOwnedBitmap bits(CreateBitmap(8, 8, 1, 1, pattern));
        return TOwnedBrush(CreatePatternBrush(bits.Get()));
    }();
    return brush.Get();
}

// The system's check mark, loaded once.
HBITMAP CheckMarkBitmap() {
    static TOwnedBitmap mark(LoadBitmapA(nullptr, MAKEINTRESOURCEA(32760))); // OBM_CHECK
    return mark.Get();
}

} // namespace

bool TMenuItemContent::HasImage() const {
    return Images && ImageIndex >= 0 && ImageIndex < Images->Count();
}

TMenuItemContent MenuItemContent(const TMenuItem& item) {
    TMenuItemContent content;
    SplitAtTab(item.Caption(), content.Caption, content.Shortcut);
    if (item.IsLine())
        content.Caption = "-";
    content.Enabled = item.Enabled();
    content.Checked = item.Checked();
    content.Default = item.Default();
    if (TMenu* menu = item.Menu())
        content.Images = menu->Images();
    content.ImageIndex = item.ImageIndex();
    return content;
}

TMenuItemContent NativeMenuItemContent(HMENU menu, UINT item, bool byPosition) {
    TMenuItemContent content;
    char text[81] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text - 1;
    if (!GetMenuItemInfoA(menu, item, byPosition, &info)) {
        content.Caption = "-";
        return content;
    }
    SplitAtTab(text, content.Caption, content.Shortcut);
    if (content.Caption.empty() || (info.fType & MFT_SEPARATOR))
        content.Caption = "-";
    content.Enabled = (info.fState & (MFS_GRAYED | MFS_DISABLED)) == 0;
    content.Checked = (info.fState & MFS_CHECKED) != 0;
    content.Default = (info.fState & MFS_DEFAULT) != 0;
    content.RightToLeft = (info.fType & MFT_RIGHTORDER) != 0;
    return content;
}

HFONT SkinMenuFont(bool bold) {
    static TOwnedFont fonts[2];
    TOwnedFont& font = fonts[bold ? 1 : 0];
    if (!font) {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof metrics;
        LOGFONTA logFont{};
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            logFont = metrics.lfMenuFont;
        else
            GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont);
        if (bold)
            logFont.lfWeight = FW_BOLD;
        font.Reset(CreateFontIndirectA(&logFont));
    }
    return font.Get();
}

HMENU MenuOfPopupDC(HDC dc) {
    HWND window = dc ? WindowFromDC(dc) : nullptr;
    if (!window || WindowClassName(window) != "#32768")
        return nullptr;
    return reinterpret_cast<HMENU>(SendMessageA(window, 0x01E1 /* MN_GETHMENU */, 0, 0));
}

// ---- TWinSkinMenuPainter

const TSkinData* TWinSkinMenuPainter::LiveSkin() const {
    return IsLiveSkinData(skin_) ? skin_ : nullptr;
}

int TWinSkinMenuPainter::LeftWidth() const {
    const TSkinData* skin = LiveSkin();
    const TDataSkinObject* element = skin ? skin->Slot(ssMenuItem) : nullptr;
    return element && !element->Bitmap.Empty() ? element->LeftWidth : 0;
}

TMenuItemSize TWinSkinMenuPainter::MeasureContent(HDC dc, const TMenuItemContent& item, bool popup) const {
    TSelectGuard font(dc, SkinMenuFont(item.Default));
    TMenuItemMetrics metrics;
    metrics.Separator = item.Separator();
    if (!metrics.Separator) {
        const SIZE caption = MeasureText(dc, item.Caption);
        metrics.CaptionWidth = caption.cx;
        metrics.CaptionHeight = caption.cy;
        if (!item.Shortcut.empty())
            metrics.ShortcutWidth = MeasureText(dc, item.Shortcut).cx;
    }
    metrics.HasImages = item.Images != nullptr;
    metrics.ImageWidth = item.Images ? item.Images->Width() : 0;
    metrics.Checked = item.Checked;
    metrics.SystemItemHeight = GetSystemMetrics(SM_CYMENU);
    const TMenuItemSize standard = StandardMenuItemSize(metrics);
    return popup ? MeasurePopupItemSize(standard, LeftWidth(), metrics.HasImages, metrics.Separator)
                 : MeasureMenuItemSize(standard, LeftWidth(), metrics.HasImages, metrics.Separator);
}

void TWinSkinMenuPainter::MeasureMenuItem(TObject* sender, TCanvas& canvas, int& width, int& height) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item)
        return;
    const TMenuItemSize size = MeasureContent(canvas.Handle(), MenuItemContent(*item), false);
    width = size.Width;
    height = size.Height;
}

void TWinSkinMenuPainter::MeasurePopupItem(TObject* sender, TCanvas& canvas, int& width, int& height) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item)
        return;
    const TMenuItemSize size = MeasureContent(canvas.Handle(), MenuItemContent(*item), true);
    width = size.Width;
    height = size.Height;
}

TMenuItemSize TWinSkinMenuPainter::MeasureNativeItem(HDC dc, const std::string& text) const {
    TSelectGuard font(dc, SkinMenuFont(false));
    std::string caption, shortcut;
    SplitAtTab(text, caption, shortcut);
    const bool empty = text.empty();
    int width = 0;
    if (!empty) {
        width = MeasureText(dc, caption).cx;
        if (!shortcut.empty())
            width += MenuShortcutGap + MeasureText(dc, shortcut).cx;
    }
    return MeasureNativeItemSize(width, GetSystemMetrics(SM_CYMENU), empty, LeftWidth());
}

void TWinSkinMenuPainter::DrawSkinnedItem(TObject* sender, TCanvas& canvas, RECT rect, bool selected) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item)
        return;
    HDC dc = canvas.Handle();
    HMENU menu = MenuOfPopupDC(dc);
    if (!menu) {
        // Not in a popup window of its own (a caller's canvas): the item's own menu when it is
        // on the top level, whose handle exists while the menu shows.
        TMenu* owner = item->Menu();
        if (owner && item->ParentItem() == &owner->Items())
            menu = owner->Handle();
    }
    DrawContentItem(menu, MenuItemContent(*item), selected, rect, dc, false);
}

void TWinSkinMenuPainter::DrawPlainItem(TObject* sender, TCanvas& canvas, RECT rect, bool selected) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item)
        return;
    DrawItem(nullptr, MenuItemContent(*item), selected, rect, canvas.Handle(), TBackground::Plain, false);
}

void TWinSkinMenuPainter::DrawNativeItem(HMENU menu, const TMenuItemContent& item, bool selected,
                                         const RECT& rect, HDC dc) {
    DrawContentItem(menu, item, selected, rect, dc, true);
}

void TWinSkinMenuPainter::DrawContentItem(HMENU menu, const TMenuItemContent& item, bool selected,
                                          const RECT& rect, HDC dc, bool nativeSeparators) {
    const TSkinData* skin = LiveSkin();
    const TDataSkinObject* element = skin ? skin->Slot(ssMenuItem) : nullptr;
    const bool skinned = element && !element->Bitmap.Empty();
    DrawItem(menu, item, selected, rect, dc, skinned ? TBackground::Skinned : TBackground::Plain,
             nativeSeparators);
}

void TWinSkinMenuPainter::DrawItem(HMENU menu, const TMenuItemContent& item, bool selected,
                                   const RECT& itemRect, HDC dc, TBackground background,
                                   bool nativeSeparators) {
    if (!dc || itemRect.right <= itemRect.left || itemRect.bottom <= itemRect.top)
        return;
    const TSkinData* skin = LiveSkin();
    if (background == TBackground::Plain || !skin) {
        // The item is composed off screen and reaches the popup in one copy.
        TBufferDC buffer(dc, itemRect);
        HDC out = buffer.Get();
        TSelectGuard font(out, SkinMenuFont(item.Default));
        const TColor colour =
            !skin ? (selected ? clHighlight : clMenu) : skin->Colour(selected ? scHilight : scMenu);
        TOwnedBrush brush(CreateSolidBrush(ColorToRGB(colour)));
        FillRect(out, &itemRect, brush.Get());
        DrawContent(out, item, itemRect, selected);
        buffer.CopyToArea(dc);
        return;
    }

    // Background: the popup's picture behind the item. The item keeps off the picture's border,
    // which the system's item rectangles may reach into.
    if (SkinManager() && menu)
        SkinManager()->AttachMenuHandle(menu);
    const TBitmap* picture = SkinManager() && menu ? SkinManager()->FindMenuBitmap(menu) : nullptr;
    HWND popup = WindowFromDC(dc);
    POINT origin{0, 0};
    RECT window{};
    const bool placed = picture && !picture->Empty() && popup && ClientToScreen(popup, &origin) &&
                        GetWindowRect(popup, &window);
    RECT rect = itemRect;
    POINT offset{TWinSkinPopMenu::BorderWidth, TWinSkinPopMenu::BorderWidth};
    if (placed) {
        offset = POINT{origin.x - window.left, origin.y - window.top};
        rect = ToRect(ItemInsidePicture(ToFrame(itemRect), offset.x, offset.y, picture->Width(),
                                        picture->Height(), TWinSkinPopMenu::BorderWidth));
        if (rect.right <= rect.left || rect.bottom <= rect.top)
            return;
    }
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    // The item is composed in the painter's buffer and reaches the popup in one copy.
    if (buffer_.Width() < width || buffer_.Height() < height)
        buffer_.SetSize(std::max(buffer_.Width(), width), std::max(buffer_.Height(), height));
    HDC out = buffer_.MemoryDC();
    TSaveDCGuard savedBuffer(out);
    SetViewportOrgEx(out, -rect.left, -rect.top, nullptr);
    TSelectGuard font(out, SkinMenuFont(item.Default));
    if (placed) {
        BitBlt(out, rect.left, rect.top, width, height, picture->MemoryDC(), rect.left + offset.x,
               rect.top + offset.y, SRCCOPY);
    } else {
        TOwnedBrush brush(CreateSolidBrush(ColorToRGB(skin->Colour(scMenu))));
        FillRect(out, &rect, brush.Get());
    }

    const TDataSkinObject& element = *skin->Slot(ssMenuItem);
    const int cells = std::max(element.Frame, 1);
    if (item.Separator() && !nativeSeparators) {
        // A strip cut from the image's second cell.
        const RECT cell = CellRect(element, std::min(2, cells));
        const TSeparatorStrip strip = SeparatorStrip(cell.right - cell.left, cell.bottom - cell.top,
                                                     ToFrame(rect), element.LeftWidth, element.RightWidth);
        HDC source = element.Bitmap.MemoryDC();
        for (int i = 0; i < strip.Count; ++i) {
            const TStripPart& part = strip.Parts[static_cast<size_t>(i)];
            TransparentBlit(out, part.Dest.Left, part.Dest.Top, part.Dest.Width(), part.Dest.Height(), source,
                            cell.left + part.Source.Left, cell.top + part.Source.Top, part.Source.Width(),
                            part.Source.Height(), RGB(255, 0, 255));
        }
    } else {
        if (!item.Separator()) {
            DrawItemCell(out, rect, element, selected ? 4 : 1);
        }
        DrawContent(out, item, rect, selected);
    }
    BitBlt(dc, rect.left, rect.top, width, height, out, rect.left, rect.top, SRCCOPY);
}

void TWinSkinMenuPainter::DrawItemCell(HDC dc, const RECT& rect, const TDataSkinObject& element, int cell) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    cell = std::min(cell, std::max(element.Frame, 1));
    // The items of a menu share a few sizes: each cell drawing is made once and kept, with a
    // mask of its transparent pixels, until the skin's image changes.
    TCellDrawing* found = nullptr;
    for (TCellDrawing& drawing : cells_)
        if (drawing.Image == element.Bitmap.Handle() && drawing.Cell == cell && drawing.Width == width &&
            drawing.Height == height && drawing.SkinName == (skin_ ? skin_->SkinName() : std::string()))
            found = &drawing;
    if (!found) {
        if (cells_.size() >= MaxCellDrawings)
            cells_.erase(cells_.begin());
        TCellDrawing& drawing = cells_.emplace_back();
        drawing.Image = element.Bitmap.Handle();
        drawing.Cell = cell;
        drawing.Width = width;
        drawing.Height = height;
        drawing.SkinName = skin_ ? skin_->SkinName() : std::string();
        drawing.Picture = std::make_unique<TBitmap>(width, height, pf24bit);
        FillBitmap(*drawing.Picture, clFuchsia);
        const RECT margins{element.LeftWidth, element.TopHeight, element.RightWidth, element.BottomHeight};
        DrawNineSlice(drawing.Picture->MemoryDC(), RECT{0, 0, width, height}, element.Bitmap,
                      CellRect(element, cell), margins, element.Tile == 1, false);
        // Mask: white where the drawing is transparent, black elsewhere; the picture black there.
        drawing.Transparent = element.Trans == 1;
        if (drawing.Transparent) {
            drawing.Mask = std::make_unique<TBitmap>(width, height, pf24bit);
            GdiFlush();
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const bool clear = (drawing.Picture->PixelColor(x, y) & 0xFFFFFF) == 0xFF00FF;
                    drawing.Mask->SetPixelColor(x, y, clear ? clWhite : clBlack);
                    if (clear)
                        drawing.Picture->SetPixelColor(x, y, clBlack);
                }
        }
        GdiFlush();
        found = &drawing;
    }
    HDC picture = found->Picture->MemoryDC();
    if (!found->Transparent) {
        BitBlt(dc, rect.left, rect.top, width, height, picture, 0, 0, SRCCOPY);
        return;
    }
    BitBlt(dc, rect.left, rect.top, width, height, found->Mask->MemoryDC(), 0, 0, SRCAND);
    BitBlt(dc, rect.left, rect.top, width, height, picture, 0, 0, SRCPAINT);
}

TColor TWinSkinMenuPainter::TextColour(const TMenuItemContent& item, bool selected) const {
    const TSkinData* skin = LiveSkin();
    if (!item.Enabled) {
        if (!skin || skin->Colour(scButtonShadow) == skin->Colour(scMenuText))
            return clBtnShadow;
        return skin->Colour(scButtonShadow);
    }
    if (!skin)
        return selected ? clHighlightText : clMenuText;
    return skin->Colour(selected ? scHilightText : scMenuText);
}

namespace {

// Paints colour into dc where the monochrome mask (width x height, selected into mask) is black;
// where it is white the item stays as it is.
void PaintThroughMask(HDC dc, int x, int y, int width, int height, HDC mask, COLORREF colour) {
    TOwnedBrush brush(CreateSolidBrush(colour));
    TSelectGuard useBrush(dc, brush.Get());
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, x, y, width, height, mask, 0, 0, 0x00B8074A);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

} // namespace

void TWinSkinMenuPainter::DrawCheckMark(HDC dc, const TFrameRect& item, const TFrameRect& glyph,
                                        COLORREF colour) {
    HBITMAP mark = CheckMarkBitmap();
    BITMAP info{};
    if (!mark || !GetObjectA(mark, sizeof info, &info))
        return;
    int x = 0, y = 0;
    MenuCheckMarkOrigin(item, glyph, info.bmWidth, info.bmHeight, x, y);
    TPooledMemoryDC source;
    TSelectGuard select(source.Get(), mark);
    PaintThroughMask(dc, x, y, info.bmWidth, info.bmHeight, source.Get(), colour);
}

bool TWinSkinMenuPainter::SymbolImages(const TImageList* images) const {
    return images && IsLiveSkinData(skin_) && images == skin_->MenuGlyphs();
}

void TWinSkinMenuPainter::DrawSymbol(HDC dc, const TImageList& images, int index, int x, int y,
                                     COLORREF colour) {
    const int width = images.Width(), height = images.Height();
    if (width <= 0 || height <= 0)
        return;
    // The image on magenta, then a mask of what is not magenta.
    TBitmap picture(width, height, pf24bit);
    FillBitmap(picture, clFuchsia);
    images.Draw(picture.MemoryDC(), 0, 0, index);
    TPooledMemoryDC maskDC;
    TOwnedBitmap mask(CreateBitmap(width, height, 1, 1, nullptr));
    TSelectGuard select(maskDC.Get(), mask.Get());
    const COLORREF oldBack = SetBkColor(picture.MemoryDC(), RGB(255, 0, 255));
    BitBlt(maskDC.Get(), 0, 0, width, height, picture.MemoryDC(), 0, 0, SRCCOPY);
    SetBkColor(picture.MemoryDC(), oldBack);
    PaintThroughMask(dc, x, y, width, height, maskDC.Get(), colour);
}

void TWinSkinMenuPainter::DrawContent(HDC dc, const TMenuItemContent& item, const RECT& rect, bool selected) {
    const TFrameRect itemRect = ToFrame(rect);
    TMenuContentFacts facts;
    facts.LeftWidth = LeftWidth();
    facts.Separator = item.Separator();
    facts.RightToLeft = item.RightToLeft;
    facts.HasShortcut = !item.Shortcut.empty();
    facts.GlyphSize = MenuGlyphSize(item.Images ? item.Images->Width() : 0, item.Checked);
    SIZE caption{};
    if (!facts.Separator) {
        caption = MeasureText(dc, item.Caption);
        facts.CaptionWidth = caption.cx;
        facts.CaptionHeight = caption.cy;
    }
    const TMenuItemLayout layout = LayoutMenuItem(itemRect, facts);
    const COLORREF textColour = ColorToRGB(TextColour(item, selected));

    if (facts.Separator) {
        // A native separator: an etched line 4 pixels below the top of the text space.
        RECT line = ToRect(layout.Text);
        line.top += 4;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }

    if (item.HasImage()) {
        const TFrameRect& box = layout.Glyph;
        if (item.Checked) {
            RECT square{box.Left, box.Top, box.Left + 16, box.Top + 16};
            const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
            const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
            FillRect(dc, &square, CheckedImageBrush());
            SetTextColor(dc, oldText);
            SetBkColor(dc, oldBack);
            DrawEdge(dc, &square, BDR_SUNKENOUTER, BF_RECT);
        }
        if (SymbolImages(item.Images)) {
            // The skin's menu glyphs are symbols: drawn like the caption, in its colour.
            DrawSymbol(dc, *item.Images, item.ImageIndex, box.Left, box.Top, textColour);
        } else if (auto draw = imageListDraw.Find()) {
            // A disabled item's picture is blended half into the background.
            draw(item.Images->Handle(), item.ImageIndex, dc, box.Left, box.Top,
                 ILD_TRANSPARENT | (item.Enabled ? 0u : static_cast<UINT>(ILD_BLEND50)));
        }
    } else if (item.Checked) {
        // The tick is drawn like the caption, in its colour, so that it reads on every skin.
        DrawCheckMark(dc, itemRect, layout.Glyph, textColour);
    }

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour);
    RECT captionRect = ToRect(layout.Caption);
    captionRect.right = layout.Text.Right;
    if (item.RightToLeft) {
        captionRect.left = layout.Text.Left;
        DrawSkinText(dc, AnsiToWide(item.Caption), captionRect,
                     DT_EXPANDTABS | DT_SINGLELINE | DT_RIGHT | DT_RTLREADING);
    } else {
        DrawSkinText(dc, AnsiToWide(item.Caption), captionRect, DT_EXPANDTABS | DT_SINGLELINE);
    }
    if (!item.Shortcut.empty()) {
        RECT shortcut = ToRect(layout.Shortcut);
        DrawSkinText(dc, AnsiToWide(item.Shortcut), shortcut,
                     DT_SINGLELINE | (item.RightToLeft ? DT_LEFT | DT_RTLREADING : DT_RIGHT));
    }
}

// ---- owner-draw switching

TWinSkinMenuPainter& SkinMenuPainter(TSkinData* skin) {
    static std::vector<std::unique_ptr<TWinSkinMenuPainter>> painters;
    for (auto& painter : painters)
        if (painter->SkinData() == skin)
            return *painter;
    painters.push_back(std::make_unique<TWinSkinMenuPainter>(skin));
    return *painters.back();
}

namespace {

void SwitchItems(TMenuItem& parent, TWinSkinMenuPainter& painter, bool on, bool popup, int depth) {
    const TMenuDrawItemEvent draw = Bind<&TWinSkinMenuPainter::DrawSkinnedItem>(&painter);
    const TMenuMeasureItemEvent measure = popup ? Bind<&TWinSkinMenuPainter::MeasurePopupItem>(&painter)
                                                : Bind<&TWinSkinMenuPainter::MeasureMenuItem>(&painter);
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem& item = *parent.Items(i);
        // Main menus: the top level stays the bar's; only the items of its submenus are ours.
        if (on && popup) {
            item.OnDrawItem = draw;
            if (!item.OnMeasureItem)
                item.OnMeasureItem = measure;
        } else if (on && depth >= 2 && (!item.OnDrawItem || item.OnDrawItem == draw)) {
            item.OnDrawItem = draw;
            if (!item.OnMeasureItem)
                item.OnMeasureItem = measure;
        } else if (!on && (popup || depth >= 2)) {
            if (item.OnDrawItem == draw)
                item.OnDrawItem = nullptr;
            if (item.OnMeasureItem == measure)
                item.OnMeasureItem = nullptr;
        }
        SwitchItems(item, painter, on, popup, depth + 1);
    }
}

template <class Visit> void ForEachOwnedForm(TComponent& form, Visit visit) {
    visit(form);
    for (TComponent* component : std::vector<TComponent*>(form.Components()))
        if (auto* owned = dynamic_cast<TCustomForm*>(component))
            ForEachOwnedForm(*owned, visit);
}

} // namespace

void SetPopupMenuOwnerDraw(TPopupMenu& menu, TSkinData* skin, bool on) {
    SwitchItems(menu.Items(), SkinMenuPainter(skin), on, true, 1);
    menu.SetOwnerDraw(on);
    // Its items are measured again, for this skin.
    menu.MenuChanged();
}

void SetPopupMenusOwnerDraw(TComponent& form, TSkinData* skin, bool on) {
    if (std::string(form.ClassName()) == "TwwRichEditForm")
        return;
    const int disableTag = IsLiveSkinData(skin) ? skin->DisableTag() : 99;
    ForEachOwnedForm(form, [&](TComponent& owner) {
        for (TComponent* component : owner.Components()) {
            auto* menu = dynamic_cast<TPopupMenu*>(component);
            if (!menu || (on && menu->TagInt() == disableTag))
                continue;
            SetPopupMenuOwnerDraw(*menu, skin, on);
        }
    });
}

void SetMainMenusOwnerDraw(TComponent& form, TSkinData* skin, bool on) {
    TWinSkinMenuPainter& painter = SkinMenuPainter(skin);
    for (TComponent* component : form.Components())
        if (auto* menu = dynamic_cast<TMainMenu*>(component)) {
            SwitchItems(menu->Items(), painter, on, false, 1);
            menu->SetOwnerDraw(on);
        }
}
