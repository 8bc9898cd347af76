#include "WinSubClassTab.h"

#include "ComCtrls.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "Messages.h"
#include "SkinPropertyNames.h"
#include "SysUtils.h"
#include "WinControl.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSubClassGeometry.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace {
TFrameRect FromRect(const RECT& r) {
    return TFrameRect{r.left, r.top, r.right, r.bottom};
}
RECT ToRect(const TFrameRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

// Copies an image as 24-bit, or empties the copy when there is no image.
void CopyImage(TBitmap& copy, const TBitmap* source) {
    if (!source || source->Empty()) {
        copy.SetSize(0, 0);
        return;
    }
    copy.Assign(*source);
    copy.SetPixelFormat(pf24bit);
}

// The margins of an image that was flipped or turned with it: they travel with its edges.
RECT TurnedMargins(const RECT& m, TTabOrientation orientation) {
    switch (orientation) {
    case toBottom:
        return RECT{m.left, m.bottom, m.right, m.top};
    case toLeft: // counter-clockwise: the top edge becomes the left one
        return RECT{m.top, m.right, m.bottom, m.left};
    case toRight: // clockwise: the top edge becomes the right one
        return RECT{m.bottom, m.left, m.top, m.right};
    case toTop:
    default:
        return m;
    }
}

// The first visible up-down child of a tab window (its scroller), or null.
HWND VisibleScroller(HWND tabs) {
    HWND scroller = FindWindowExA(tabs, nullptr, "msctls_updown32", nullptr);
    return scroller && IsWindowVisible(scroller) ? scroller : nullptr;
}

std::wstring TabText(HWND window, int index, bool unicode) {
    if (unicode) {
        wchar_t text[81] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 80;
        if (!SendMessageW(window, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
            return std::wstring();
        return std::wstring(item.pszText ? item.pszText : L"");
    }
    char text[81] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 80;
    if (!SendMessageA(window, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return std::wstring();
    return AnsiToWide(item.pszText ? item.pszText : "");
}

// The tab's rectangle in window coordinates; false when it has none.
bool TabRect(HWND window, int index, RECT& rect) {
    if (!SendMessageA(window, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)))
        return false;
    RECT outer{};
    GetWindowRect(window, &outer);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    OffsetRect(&rect, -outer.left, -outer.top);
    return rect.right > rect.left && rect.bottom > rect.top;
}

// The picture of a tab in the control's image list, -1 for none.
int TabPicture(HWND window, int index) {
    TCITEMA item{};
    item.mask = TCIF_IMAGE;
    item.iImage = -1;
    if (!SendMessageA(window, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.iImage;
}

// The window coordinates of a rectangle of the row buffer.
RECT BufferRectToWindow(const TFrameRect& r, const TFrameRect& row, TTabOrientation orientation) {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    BufferPointToWindow(r.Left, r.Top, row, orientation, x1, y1);
    BufferPointToWindow(r.Right - 1, r.Bottom - 1, row, orientation, x2, y2);
    return RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
}
} // namespace

// ---- TSkinTab

TSkinTab::TSkinTab(TComponent* owner) : TSkinControl(owner) {}

TSkinTab::~TSkinTab() {
    try {
        ReleaseScroller();
    } catch (...) {
        // Nothing may escape a destructor.
        TraceSwallowed("TSkinTab::~TSkinTab");
    }
}

void TSkinTab::AttachScroller() {
    if (!handle_ || !skin_ || !active_)
        return;
    // The scroller steps left and right, whatever side the tabs are on.
    KeepChildUpDown(this, skin_, canvas_, scroller_,
                    FindWindowExA(handle_, nullptr, "msctls_updown32", nullptr), false, true);
}

void TSkinTab::ReleaseScroller() {
    ReleaseChildUpDown(scroller_);
}

void TSkinTab::DoRestore() {
    ReleaseScroller();
    TSkinControl::DoRestore();
}

void TSkinTab::WindowRecreated() {
    hotTab_ = -1;
    closeRects_.clear();
    AfterAttach();
}

void TSkinTab::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachControl(frame, skin, useSkinColour, canvas);
    if (!attached_)
        return;
    if (control_ && control_->TagInt() == CloseTabsTag) {
        std::string kind = control_->ClassName(), ownerDraw;
        std::transform(kind.begin(), kind.end(), kind.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        // An owner-drawn page control draws its tabs itself, close marks included.
        const bool ownDrawn =
            control_->GetPropText(SkinProperty::OwnerDraw, ownerDraw) && SameText(ownerDraw, "true");
        closeButtons_ = kind.find("pagecontrol") != std::string::npos && !ownDrawn;
    }
    AfterAttach();
}

void TSkinTab::AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachWindow(window, skin, frame, canvas);
    if (!attached_)
        return;
    RefreshWindowState();
    AfterAttach();
}

void TSkinTab::AfterAttach() {
    if (!handle_)
        return;
    enabled_ = (GetWindowLongA(handle_, GWL_STYLE) & WS_DISABLED) == 0;
    PrepareImages();
    active_ = true;
    isUnicodeTab_ = IsWindowUnicode(handle_) != FALSE;
    AttachScroller();
    InvalidateRect(handle_, nullptr, TRUE);
}

void TSkinTab::PrepareImages() {
    if (!handle_ || !skin_)
        return;
    orientation_ = TabOrientationFromStyle(static_cast<std::uint32_t>(GetWindowLongA(handle_, GWL_STYLE)));
    const TDataSkinBorder* tabs = skin_->Tabs();
    CopyImage(tabImage_, tabs ? &tabs->Bitmap : nullptr);
    const TBitmap* pane = nullptr;
    if (tabs && tabs->Style == 0 && !tabs->Bitmap2.Empty())
        pane = &tabs->Bitmap2;
    else if (tabs && tabs->Style == 1)
        if (const TDataSkinObject* tabPane = skin_->Slot(ssTabPane); tabPane && !tabPane->Bitmap.Empty())
            pane = &tabPane->Bitmap;
    CopyImage(paneImage_, pane);
    if (orientation_ == toBottom) {
        if (!tabImage_.Empty())
            FlipBitmap(tabImage_);
        if (!paneImage_.Empty())
            FlipBitmap(paneImage_);
    } else if (orientation_ == toLeft && !paneImage_.Empty()) {
        RotateCounterClockwise(paneImage_);
    } else if (orientation_ == toRight && !paneImage_.Empty()) {
        RotateClockwise(paneImage_);
    }
}

void TSkinTab::SkinChanged() {
    PrepareImages();
    if (scroller_)
        scroller_->SkinChanged();
    TSkinControl::SkinChanged();
}

bool TSkinTab::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    switch (message.Msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
        // Without tab images the control draws its own tabs; the page frame goes over them after.
        if (!DrawsWholeControl())
            return true;
        FullPaint(message);
        return false;
    case WM_ERASEBKGND:
        if (!DrawsWholeControl())
            return true;
        message.Result = 1;
        return false;
    case WM_LBUTTONDOWN:
        if (closeButtons_ && PressOnCloseBox(static_cast<short>(LOWORD(message.LParam)),
                                             static_cast<short>(HIWORD(message.LParam)))) {
            message.Result = 0;
            return false;
        }
        return true;
    case WM_MOUSEMOVE: {
        TCHITTESTINFO hit{};
        hit.pt =
            POINT{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
        SetHotTab(
            enabled_ ? static_cast<int>(SendMessageA(handle_, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)))
                     : -1);
        return true;
    }
    case CM_MOUSELEAVE:
    case WM_MOUSELEAVE:
        SetHotTab(-1);
        return true;
    case WM_STYLECHANGED:
        PrepareImages();
        return true;
    default:
        return true;
    }
}

void TSkinTab::AfterMessage(TMessage& message) {
    if (message.Msg == WM_PAINT || message.Msg == WM_PRINTCLIENT) {
        if (!DrawsWholeControl() && DrawsPageFrame())
            PaintOverNative(reinterpret_cast<HDC>(message.WParam), message.Msg == WM_PRINTCLIENT);
        return;
    }
    // The control makes its scroller when the tabs stop fitting.
    if (message.Msg == WM_PARENTNOTIFY && LOWORD(message.WParam) == WM_CREATE) {
        AttachScroller();
        return;
    }
    if (message.Msg == WM_ENABLE || message.Msg == CM_ENABLEDCHANGED)
        enabled_ = (GetWindowLongA(handle_, GWL_STYLE) & WS_DISABLED) == 0;
    TSkinControl::AfterMessage(message);
}

void TSkinTab::SetHotTab(int tab) {
    // A program control hears of the leave from the framework.
    if (TrackHot(hotTab_, tab, tab >= 0 && !control_ ? handle_ : nullptr))
        Repaint();
}

bool TSkinTab::PressOnCloseBox(int x, int y) {
    POINT p{x, y};
    RECT outer{};
    GetWindowRect(handle_, &outer);
    MapWindowPoints(handle_, nullptr, &p, 1);
    p.x -= outer.left;
    p.y -= outer.top;
    for (size_t i = 0; i < closeRects_.size(); ++i) {
        if (!PtInRect(&closeRects_[i], p))
            continue;
        HWND frameWindow = frame_ ? frame_->Handle() : GetAncestor(handle_, GA_ROOT);
        const LRESULT answer = SendMessageA(frameWindow, SKM_CLOSETAB, reinterpret_cast<WPARAM>(handle_),
                                            static_cast<LPARAM>(i));
        if (answer == 0 && IsWindow(handle_)) {
            // The page goes, not only its tab: a tab control of the program would bring back
            // a tab whose caption it still holds.
            const TAliveToken alive = AliveToken();
            if (auto* tabControl = dynamic_cast<TTabControl*>(control_))
                tabControl->DeleteTab(static_cast<int>(i));
            else
                SendMessageA(handle_, TCM_DELETEITEM, i, 0);
            if (alive)
                Repaint();
        }
        return true;
    }
    return false;
}

void TSkinTab::Paint(HDC dc, const RECT& rect) {
    if (!dc || !skin_ || !handle_)
        return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    AttachScroller();
    TBitmap whole(width, height);
    HDC buffer = whole.MemoryDC();
    PaintTabs(buffer, RECT{0, 0, width, height}, !DrawsPageFrame());
    GdiFlush();
    TSaveDCGuard saved(dc);
    // A skinned scroller over the tab row stays on top.
    if (HWND scroller = VisibleScroller(handle_)) {
        RECT r{};
        GetWindowRect(scroller, &r);
        MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    BitBlt(dc, rect.left, rect.top, width, height, buffer, 0, 0, SRCCOPY);
    if (auto* windowed = dynamic_cast<TWinControl*>(control_)) {
        RECT client = windowed->ClientRect();
        windowed->PaintControls(dc, client);
    }
}

void TSkinTab::DrawTabFace(HDC dc, int index, const RECT& place) {
    const std::wstring text = TabText(handle_, index, isUnicodeTab_);
    const auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(handle_, TCM_GETIMAGELIST, 0, 0));
    const int image = images ? TabPicture(handle_, index) : -1;
    int iconWidth = 0, iconHeight = 0;
    if (image < 0 || !ListImageSize(images, iconWidth, iconHeight)) {
        RECT area = place;
        DrawSkinText(dc, text, area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    RECT measured{0, 0, 0, 0};
    if (!text.empty())
        DrawSkinText(dc, text, measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const TTabIconPlace at = TabIconPlace(FromRect(place), iconWidth, iconHeight,
                                          static_cast<int>(measured.right - measured.left));
    DrawListImage(dc, images, image, at.IconLeft, at.IconTop);
    RECT area{at.TextLeft, place.top, place.right, place.bottom};
    DrawSkinText(dc, text, area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TSkinTab::PaintOverNative(HDC dc, bool clientDc) {
    if (!skin_ || !handle_ || paneImage_.Empty())
        return;
    try {
        RECT rect{};
        if (clientDc) {
            if (!dc || !GetClientRect(handle_, &rect))
                return;
            PaintPageFrame(dc, rect);
            return;
        }
        if (!GetWindowRect(handle_, &rect))
            return;
        OffsetRect(&rect, -rect.left, -rect.top);
        if (dc) {
            PaintPageFrame(dc, rect);
            return;
        }
        TWindowDC windowDc(handle_, TWindowDC::Area::Window);
        if (windowDc.Get())
            PaintPageFrame(windowDc.Get(), rect);
    } catch (...) {
        // The control keeps its own picture.
        TraceSwallowed("TSkinTab::PaintOverNative");
    }
}

void TSkinTab::DrawTabCell(HDC dc, const RECT& place, int cell) {
    const TDataSkinBorder* tabs = skin_->Tabs();
    if (!tabs || tabImage_.Empty() || cell < 1)
        return;
    const RECT source = StripCellRect(tabImage_.Width(), tabImage_.Height(), 5, cell).Width() > 0
                            ? ToRect(StripCellRect(tabImage_.Width(), tabImage_.Height(), 5, cell))
                            : RECT{};
    if (IsRectEmpty(&source))
        return;
    RECT margins{tabs->LeftWidth, tabs->TopHeight, tabs->RightWidth, tabs->BottomHeight};
    if (orientation_ == toBottom)
        margins = TurnedMargins(margins, toBottom);
    margins =
        ToRect(UsableMargins(source.right - source.left, source.bottom - source.top, FromRect(margins)));
    DrawNineSlice(dc, place, tabImage_, source, margins, tabs->Tile == 1, tabs->Trans == 1);
}

void TSkinTab::PaintTabs(HDC dc, const RECT& rect, bool rowOnly) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    TColor background = skin_->Colour(scButtonFace);
    if (TWinControl* parent = FindControl(GetParent(handle_))) {
        std::string text;
        if (parent->GetPropText(SkinProperty::Color, text))
            background = parent->Color();
    }
    {
        TOwnedBrush brush(CreateSolidBrush(ColorToRGB(background)));
        FillRect(dc, &rect, brush.Get());
    }
    const TFrameRect page = PageRect(width, height);
    const int count = std::max(static_cast<int>(SendMessageA(handle_, TCM_GETITEMCOUNT, 0, 0)), 0);
    const int focus = static_cast<int>(SendMessageA(handle_, TCM_GETCURFOCUS, 0, 0));
    closeRects_.assign(static_cast<size_t>(count), RECT{});
    const TDataSkinBorder* tabs = skin_->Tabs();

    if (tabs && !tabImage_.Empty()) {
        const TFrameRect row = TabRowRect(width, height, page, orientation_);
        const TRowBufferSize size = RowBufferSize(row, orientation_);
        if (size.Width > 0 && size.Height > 0) {
            rowBuffer_.SetPixelFormat(pf24bit);
            rowBuffer_.SetSize(size.Width, size.Height);
            HDC row_dc = rowBuffer_.MemoryDC();
            {
                TOwnedBrush brush(CreateSolidBrush(ColorToRGB(background)));
                RECT all{0, 0, size.Width, size.Height};
                FillRect(row_dc, &all, brush.Get());
            }
            TSaveDCGuard saved(row_dc);
            HFONT font = control_ ? control_->Font().Handle() : WindowFont();
            SelectObject(row_dc, font ? font : WindowFont());
            SetBkMode(row_dc, TRANSPARENT);
            for (int i = 0; i < count; ++i) {
                RECT item{};
                if (!TabRect(handle_, i, item))
                    continue;
                const TFrameRect place = TabRectInBuffer(FromRect(item), row, orientation_);
                const int cell = TabCell(i == focus, i == hotTab_ && enabled_, 5);
                RECT placeRect = ToRect(place);
                DrawTabCell(row_dc, placeRect, cell);
                if (closeButtons_) {
                    const TFrameRect box = TabCloseBox(place);
                    TOwnedPen pen(CreatePen(PS_SOLID, 1, ColorToRGB(tabs->NormalColour2)));
                    HGDIOBJ old = SelectObject(row_dc, pen.Get());
                    SelectObject(row_dc, GetStockObject(NULL_BRUSH));
                    Rectangle(row_dc, box.Left, box.Top, box.Right, box.Bottom);
                    MoveToEx(row_dc, box.Left, box.Top, nullptr);
                    LineTo(row_dc, box.Right, box.Bottom);
                    MoveToEx(row_dc, box.Right - 1, box.Top, nullptr);
                    LineTo(row_dc, box.Left - 1, box.Bottom);
                    SelectObject(row_dc, old);
                    closeRects_[static_cast<size_t>(i)] = BufferRectToWindow(box, row, orientation_);
                }
                SetTextColor(row_dc, ColorToRGB(cell == 2 ? tabs->MouseOverColour2 : tabs->NormalColour2));
                DrawTabFace(row_dc, i, placeRect);
            }
            GdiFlush();
            if (orientation_ == toLeft)
                RotateCounterClockwise(rowBuffer_);
            else if (orientation_ == toRight)
                RotateClockwise(rowBuffer_);
            BitBlt(dc, rect.left + row.Left, rect.top + row.Top, row.Width(), row.Height(),
                   rowBuffer_.MemoryDC(), 0, 0, SRCCOPY);
        }
    }

    if (!rowOnly)
        PaintPageFrame(dc, rect);
}

TFrameRect TSkinTab::PageRect(int width, int height) const {
    RECT display{0, 0, width, height};
    SendMessageA(handle_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    return TabPageRect(FromRect(display), orientation_);
}

void TSkinTab::PaintPageFrame(HDC dc, const RECT& rect) {
    if (paneImage_.Empty())
        return;
    const TDataSkinBorder* tabs = skin_->Tabs();
    const TFrameRect page = PageRect(rect.right - rect.left, rect.bottom - rect.top);
    RECT margins{4, 5, 4, 4};
    if (tabs && tabs->Style != 0)
        if (const TDataSkinObject* tabPane = skin_->Slot(ssTabPane))
            margins =
                RECT{tabPane->LeftWidth, tabPane->TopHeight, tabPane->RightWidth, tabPane->BottomHeight};
    margins = TurnedMargins(margins, orientation_);
    margins = ToRect(UsableMargins(paneImage_.Width(), paneImage_.Height(), FromRect(margins)));
    RECT pageRect = ToRect(page);
    OffsetRect(&pageRect, rect.left, rect.top);
    try {
        DrawNineSlice(dc, pageRect, paneImage_, RECT{0, 0, paneImage_.Width(), paneImage_.Height()}, margins,
                      false, tabs && tabs->Trans == 1);
    } catch (...) {
        // The page keeps its background.
        TraceSwallowed("TSkinTab::PaintPageFrame");
    }
}

// ---- TSkinTab31

TSkinTab31::TSkinTab31(TComponent* owner) : TSkinTab(owner) {}

// ---- TSkinTabBtn

TSkinTabBtn::TSkinTabBtn(TComponent* owner) : TSkinTab(owner) {}

void TSkinTabBtn::Paint(HDC dc, const RECT& rect) {
    if (!dc || !skin_ || !handle_)
        return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    TBitmap whole(width, height);
    HDC buffer = whole.MemoryDC();
    FillRect(buffer, &rect, skin_->ButtonFaceBrush());
    const int count = std::max(static_cast<int>(SendMessageA(handle_, TCM_GETITEMCOUNT, 0, 0)), 0);
    const int selected = static_cast<int>(SendMessageA(handle_, TCM_GETCURSEL, 0, 0));
    const int focus = static_cast<int>(SendMessageA(handle_, TCM_GETCURFOCUS, 0, 0));
    const bool hasFocus = GetFocus() == handle_;
    {
        TSaveDCGuard saved(buffer);
        HFONT font = control_ ? control_->Font().Handle() : WindowFont();
        SelectObject(buffer, font ? font : WindowFont());
        SetBkMode(buffer, TRANSPARENT);
        SetTextColor(buffer, ColorToRGB(skin_->Colour(scButtonText)));
        for (int i = 0; i < count; ++i) {
            RECT item{};
            if (!TabRect(handle_, i, item))
                continue;
            const int cell = ButtonCell(i == selected, i == hotTab_, hasFocus && i == focus, enabled_);
            DrawElementCell(buffer, item, skin_->Buttons(), cell);
            DrawTabFace(buffer, i, item);
        }
    }
    GdiFlush();
    BitBlt(dc, rect.left, rect.top, width, height, buffer, 0, 0, SRCCOPY);
}

// ---- TSkinTabSheet

TSkinTabSheet::TSkinTabSheet(TComponent* owner) : TSkinControl(owner) {}

bool TSkinTabSheet::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    if (message.Msg == WM_ERASEBKGND && message.WParam && skin_ && handle_) {
        RECT client{};
        GetClientRect(handle_, &client);
        FillRect(reinterpret_cast<HDC>(message.WParam), &client, skin_->ButtonFaceBrush());
        message.Result = 1;
        return false;
    }
    return true;
}
