#include "WinSubClassCombo.h"

#include "Application.h"
#include "Bitmap.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "Messages.h"
#include "SysUtils.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSubClassComboGeometry.h"
#include "WinSubClassGeometry.h"
#include "WindowRelay.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {
constexpr TColor Magenta = 0xFF00FF;
constexpr UINT SKM_PAINTSELF = 0xBC4A;
constexpr LPARAM SkinMagic = 0x41A2;

RECT ToRect(const TFrameRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

void FrameWith(HDC dc, const RECT& rect, COLORREF colour) {
    TOwnedBrush brush(CreateSolidBrush(colour));
    FrameRect(dc, &rect, brush.Get());
}

RECT Inset(const RECT& rect, int by) {
    return RECT{rect.left + by, rect.top + by, rect.right - by, rect.bottom - by};
}

// Whether the window's client area is smaller than the window in both directions (it has a
// border), and by how much at least.
int BorderExcess(HWND window) {
    RECT client{}, outer{};
    if (!GetClientRect(window, &client) || !GetWindowRect(window, &outer))
        return 0;
    const int dx = (outer.right - outer.left) - (client.right - client.left);
    const int dy = (outer.bottom - outer.top) - (client.bottom - client.top);
    return std::min(dx, dy);
}

// The edit-style border: one ring of ButtonShadow around the window, then `whiteRings` white.
void PaintEditBorder(HDC dc, const RECT& rect, const TSkinData& skin, int whiteRings) {
    FrameWith(dc, rect, ColorToRGB(skin.Colour(scButtonShadow)));
    for (int ring = 1; ring <= whiteRings; ++ring)
        FrameWith(dc, Inset(rect, ring), RGB(255, 255, 255));
}
} // namespace

// ---- Legible glyphs

void DrawLegibleGlyph(HDC dc, const RECT& dest, const TBitmap& image, const RECT& cell, TColor background) {
    const int width = cell.right - cell.left, height = cell.bottom - cell.top;
    if (!dc || image.Empty() || width <= 0 || height <= 0 || cell.left < 0 || cell.top < 0 ||
        cell.right > image.Width() || cell.bottom > image.Height())
        return;
    // Row by row from the pixel memory: the pixels are read on every paint.
    const int sourceStep = image.PixelFormat() == pf32bit ? 4 : 3;
    auto colourAt = [sourceStep](const std::uint8_t* row, int x) {
        const std::uint8_t* p = row + x * sourceStep;
        return static_cast<TColor>(p[2] | (p[1] << 8) | (p[0] << 16));
    };
    // The glyph's colour is the one most of its pixels have.
    std::vector<std::pair<TColor, int>> counts;
    for (int y = cell.top; y < cell.bottom; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(image.ScanLine(y));
        for (int x = cell.left; x < cell.right; ++x) {
            const TColor c = colourAt(row, x);
            if (c == Magenta)
                continue;
            auto known =
                std::find_if(counts.begin(), counts.end(), [c](auto& entry) { return entry.first == c; });
            if (known != counts.end())
                ++known->second;
            else
                counts.emplace_back(c, 1);
        }
    }
    if (counts.empty())
        return;
    // Of equal counts the lowest colour wins, as it always has.
    std::sort(counts.begin(), counts.end());
    const TColor glyph = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                             return a.second < b.second;
                         })->first;
    const auto legible = static_cast<TColor>(LegibleGlyphColour(
        static_cast<std::uint32_t>(glyph), static_cast<std::uint32_t>(ColorToRGB(background))));
    if (legible == glyph) {
        DrawNineSlice(dc, dest, image, cell, RECT{}, false, true);
        return;
    }
    TBitmap recoloured(width, height);
    const COLORREF paint = ColorToRGB(legible);
    for (int y = 0; y < height; ++y) {
        const auto* source = static_cast<const std::uint8_t*>(image.ScanLine(cell.top + y));
        auto* target = static_cast<std::uint8_t*>(recoloured.ScanLine(y));
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colourAt(source, cell.left + x) == Magenta ? RGB(255, 0, 255) : paint;
            std::uint8_t* p = target + x * 3; // a new bitmap has 24 bits
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    }
    DrawNineSlice(dc, dest, recoloured, RECT{0, 0, width, height}, RECT{}, false, true);
}

// ---- The combo box's edit part

namespace {
// The combo box's relay on its edit part.
constexpr char ComboEditRelay[] = "PPSkinComboEdit";
} // namespace

// ---- TSkinComBox

TSkinComBox::TSkinComBox(TComponent* owner) : TSkinControl(owner) {
    comboInfo_.cbSize = sizeof comboInfo_;
}

TSkinComBox::~TSkinComBox() {
    try {
        UnhookEdit();
        ReleaseListAdapters();
    } catch (...) {
        // Nothing may escape a destructor.
        TraceSwallowed("TSkinComBox::~TSkinComBox");
    }
}

void TSkinComBox::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachControl(frame, skin, useSkinColour, canvas);
    if (attached_)
        AttachParts(true);
}

void TSkinComBox::AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachWindow(window, skin, frame, canvas);
    if (attached_)
        AttachParts(false);
}

void TSkinComBox::AttachParts(bool programControl) {
    if (partsAttached_ || !handle_)
        return;
    partsAttached_ = true;
    comboStyle_ = static_cast<DWORD>(isUnicode_ ? GetWindowLongW(handle_, GWL_STYLE)
                                                : GetWindowLongA(handle_, GWL_STYLE));
    comboExStyle_ = static_cast<DWORD>(GetWindowLongA(handle_, GWL_EXSTYLE));
    comboInfo_.cbSize = sizeof comboInfo_;
    const bool haveInfo = GetComboBoxInfo(handle_, &comboInfo_) != FALSE;
    if ((comboStyle_ & 3) != CBS_SIMPLE) {
        listWindow_ = nullptr;
        if (programControl && (comboStyle_ & 2) && haveInfo && comboInfo_.hwndList) {
            // The drop-down list's scroll bar, painted from the skin while the list is open.
            auto* list = new TComboxScrollBar(this);
            list->AttachWindow(comboInfo_.hwndList, skin_, nullptr, canvas_);
            listScrollAdapter_ = list;
        }
        // The first child is the edit part (a drop-down list has none; its list is no edit).
        if (!isUnicode_)
            if (HWND edit = GetTopWindow(handle_); edit && (!haveInfo || edit != comboInfo_.hwndList))
                HookEdit(edit);
        return;
    }
    if (!haveInfo)
        return;
    listWindow_ = comboInfo_.hwndList;
    if (!programControl || !listWindow_)
        return;
    // The list of a simple combo box is its child: its scroll bars get the skin's overlays.
    const LONG listStyle = GetWindowLongA(listWindow_, GWL_STYLE);
    const auto SpecialParent = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x10014));
    if ((listStyle & WS_CHILD) && !(listStyle & WS_POPUP) && GetParent(listWindow_) != SpecialParent) {
        auto* list = new TSkinScrollbarH(this);
        list->AttachWindow(listWindow_, skin_, nullptr, canvas_);
        childListAdapter_ = list;
    }
}

void TSkinComBox::RefreshParts() {
    if (!partsAttached_ || !handle_)
        return;
    const TSkinControl* list = listScrollAdapter_ ? listScrollAdapter_ : childListAdapter_;
    const bool listGone = list && list->Handle() != comboInfo_.hwndList;
    const bool listNew = !list && ((comboStyle_ & 2) || (comboStyle_ & 3) == CBS_SIMPLE) && control_ &&
                         comboInfo_.hwndList && comboInfo_.hwndList != listWindow_;
    const bool editGone = editWindow_ && (!IsWindow(editWindow_) || GetParent(editWindow_) != handle_);
    const bool editNew =
        !editWindow_ && (comboStyle_ & 3) == CBS_DROPDOWN && !isUnicode_ && GetTopWindow(handle_);
    if (!listGone && !listNew && !editGone && !editNew)
        return;
    UnhookEdit();
    ReleaseListAdapters();
    partsAttached_ = false;
    AttachParts(control_ != nullptr);
}

void TSkinComBox::HookEdit(HWND edit) {
    if (editRelay_ || !edit)
        return;
    auto relay =
        std::make_unique<TWindowRelay>(RelayKind<ComboEditRelay>, Bind<&TSkinComBox::EditRelayMessage>(this));
    if (relay->Install(edit)) {
        editRelay_ = std::move(relay);
        editWindow_ = edit;
    }
}

void TSkinComBox::UnhookEdit() {
    // The edit's procedure goes back, or the relay stays a pass-through under a later subclasser.
    editRelay_.reset();
    editWindow_ = nullptr;
}

LRESULT TSkinComBox::EditRelayMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const TAliveToken alive = AliveToken();
    const LRESULT result = editRelay_->CallPrevious(msg, wParam, lParam);
    // The combo box may have let go of its edit, or gone, on the way.
    if (!alive || !editRelay_)
        return result;
    EditMessage(msg);
    if (msg == WM_NCDESTROY && alive) {
        editRelay_.reset();
        editWindow_ = nullptr;
    }
    return result;
}

void TSkinComBox::ReleaseListAdapters() {
    for (TSkinControl** adapter : {&listScrollAdapter_, &childListAdapter_}) {
        if (TSkinControl* a = *adapter) {
            *adapter = nullptr;
            a->Restore();
            TComponent::Free(a);
        }
    }
}

void TSkinComBox::DoRestore() {
    UnhookEdit();
    ReleaseListAdapters();
    TSkinControl::DoRestore();
    if (state_ != asDestroyed) {
        state_ = asRestored;
        if (handle_ && IsWindow(handle_))
            RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

void TSkinComBox::SkinChanged() {
    for (TSkinControl* list : {listScrollAdapter_, childListAdapter_})
        if (list)
            list->SkinChanged();
    TSkinControl::SkinChanged();
}

void TSkinComBox::EditMessage(UINT msg) {
    switch (msg) {
    case WM_PAINT:
        PaintFrame(nullptr);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetPressed(true);
        break;
    case WM_LBUTTONUP:
        SetPressed(false);
        break;
    default:
        break;
    }
}

void TSkinComBox::SetPressed(bool pressed) {
    if (pressed)
        mouseState_ |= msPressed;
    else
        mouseState_ &= static_cast<unsigned char>(~msPressed);
    Repaint();
}

void TSkinComBox::SetHot(bool hot) {
    // A program control hears of the leave from the framework.
    if (TrackMouseHot(hot, hot && !control_ ? handle_ : nullptr))
        Repaint();
}

bool TSkinComBox::PointOnButton(int clientX, int clientY) const {
    POINT p{clientX, clientY};
    RECT window{};
    if (!ClientToScreen(handle_, &p) || !GetWindowRect(handle_, &window))
        return false;
    const POINT inWindow{p.x - window.left, p.y - window.top};
    return PtInRect(&buttonRect_, inWindow) != FALSE;
}

void TSkinComBox::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The control repaints itself, and the skin with it.
        return;
    case WM_MOUSEMOVE: {
        const int x = static_cast<short>(LOWORD(message.LParam)),
                  y = static_cast<short>(HIWORD(message.LParam));
        RefreshWindowState();
        if (enabled_)
            SetHot(PointOnButton(x, y));
        return;
    }
    case WM_DRAWITEM:
    case WM_NCPAINT:
        PaintFrame(nullptr);
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetPressed(true);
        return;
    case WM_LBUTTONUP:
        SetPressed(false);
        return;
    case CM_MOUSELEAVE:
    case WM_MOUSELEAVE:
        if (mouseState_ & msHot)
            SetHot(false);
        if (message.Msg == CM_MOUSELEAVE)
            TSkinControl::AfterMessage(message);
        return;
    case CN_COMMAND: {
        const unsigned code = HIWORD(message.WParam);
        if (code == CBN_DROPDOWN) {
            droppedDown_ = true;
        } else if (code == CBN_CLOSEUP) {
            droppedDown_ = false;
            // The release may have gone to the list: the press ends with the list at the latest.
            if (mouseState_ & msPressed)
                SetPressed(false);
        }
        return;
    }
    default:
        TSkinControl::AfterMessage(message);
        return;
    }
}

void TSkinComBox::Paint(HDC dc, const RECT& rect) {
    if (!dc || !skin_ || !handle_)
        return;
    const TDataSkinBorder* button = skin_->ComboButton();
    if (!button || button->Bitmap.Empty())
        return;
    comboStyle_ = static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE));
    comboExStyle_ = static_cast<DWORD>(GetWindowLongA(handle_, GWL_EXSTYLE));
    comboInfo_.cbSize = sizeof comboInfo_;
    if (GetComboBoxInfo(handle_, &comboInfo_)) {
        RefreshParts();
        if (comboInfo_.stateButton & STATE_SYSTEM_INVISIBLE)
            return;
        // Reported in client coordinates; kept in window coordinates.
        RECT window{};
        GetWindowRect(handle_, &window);
        RECT r = comboInfo_.rcButton;
        MapWindowPoints(handle_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        OffsetRect(&r, -window.left, -window.top);
        buttonRect_ = r;
    }
    RefreshWindowState();
    const HWND focus = GetFocus();
    focused_ = focus && (focus == handle_ || IsChild(handle_, focus));
    const bool leftButton = (comboExStyle_ & WS_EX_LEFTSCROLLBAR) != 0;
    const bool pressed = (mouseState_ & msPressed) != 0, hot = (mouseState_ & msHot) != 0;
    const int cell = ComboCell(pressed, focused_ || hot, enabled_);
    if (button->Style == 1) {
        PaintPlain(dc, rect, cell);
        return;
    }
    lastCell_ = cell;
    if (extended_) {
        PaintExtended(dc, rect, cell);
        return;
    }
    if (button->Style == 2) {
        const TDataSkinObject* whole = leftButton ? skin_->Slot(ssSunkEdge) : button;
        if (whole)
            DrawElementCell(dc, rect, *whole, cell);
        return;
    }
    PaintParts(dc, rect, cell, leftButton);
}

void TSkinComBox::PaintParts(HDC dc, const RECT& rect, int cell, bool leftButton) {
    const TDataSkinBorder& button = *skin_->ComboButton();
    const int buttonWidth = GetSystemMetrics(SM_CXHSCROLL);
    const TComboLayout layout =
        ComboLayoutFor(rect.right - rect.left, rect.bottom - rect.top, buttonWidth, leftButton);
    TSaveDCGuard saved(dc);
    // Only border and button are drawn: the text area stays the control's.
    ExcludeClipRect(dc, layout.Text.Left, layout.Text.Top, layout.Text.Right, layout.Text.Bottom);
    if (const TDataSkinObject* sunk = skin_->Slot(ssSunkEdge))
        DrawElementCell(dc, rect, *sunk, std::min(cell, std::max(sunk->Frame, 1)));
    const RECT place = ToRect(layout.Button);
    const TBitmap& image = leftButton && !button.Bitmap2.Empty() ? button.Bitmap2 : button.Bitmap;
    const int cells = std::max(button.Frame, 1);
    DrawStripCell(dc, place, image, cells, std::min(cell, cells));
    buttonRect_ = place;
    const TDataSkinObject* extra = skin_->Slot(ssExtraImages);
    if (!extra || extra->Bitmap.Empty() || cell > std::max(extra->Frame, 1))
        return;
    const RECT glyphCell = CellRect(*extra, cell);
    const TFrameRect glyph =
        CentredRect(layout.Button, glyphCell.right - glyphCell.left, glyphCell.bottom - glyphCell.top);
    // The button's colour under the glyph: the middle of its cell.
    TColor background = skin_->Colour(scButtonFace);
    const int cellWidth = StripCellWidth(image.Width(), cells);
    if (cellWidth > 0)
        background =
            image.PixelColor(cellWidth * (std::min(cell, cells) - 1) + cellWidth / 2, image.Height() / 2);
    DrawLegibleGlyph(dc, ToRect(glyph), extra->Bitmap, glyphCell, background);
}

void TSkinComBox::PaintPlain(HDC dc, const RECT& rect, int cell) {
    const TDataSkinBorder& button = *skin_->ComboButton();
    const bool leftButton = (comboExStyle_ & WS_EX_LEFTSCROLLBAR) != 0;
    auto* brush = static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH));
    const RECT inner = Inset(rect, 1);
    if (brush) {
        FrameRect(dc, &inner, brush);
        const int strip = GetSystemMetrics(SM_CYVTHUMB);
        RECT fill = leftButton ? RECT{rect.left + 2, rect.top + 2, rect.left + 2 + strip, rect.bottom - 2}
                               : RECT{rect.right - 2 - strip, rect.top + 2, rect.right - 2, rect.bottom - 2};
        FillRect(dc, &fill, brush);
    }
    FrameWith(dc, rect, ColorToRGB(skin_->Colour(scButtonShadow)));
    const int cells = std::max(button.Frame, 1);
    const TFrameRect place =
        PlainComboButton(rect.right - rect.left, rect.bottom - rect.top,
                         StripCellWidth(button.Bitmap.Width(), cells), button.Bitmap.Height(), leftButton);
    buttonRect_ = ToRect(place);
    lastCell_ = std::min(cell, cells);
    DrawStripCell(dc, buttonRect_, button.Bitmap, cells, lastCell_);
}

void TSkinComBox::PaintExtended(HDC dc, const RECT& rect, int cell) {
    if (BorderExcess(handle_) > 0)
        PaintEditBorder(dc, rect, *skin_, 1);
    RECT place = buttonRect_;
    if (IsRectEmpty(&place))
        place =
            ToRect(ComboLayoutFor(rect.right - rect.left, rect.bottom - rect.top,
                                  GetSystemMetrics(SM_CXHSCROLL), (comboExStyle_ & WS_EX_LEFTSCROLLBAR) != 0)
                       .Button);
    FillRect(dc, &place, skin_->ButtonFaceBrush());
    if (const TDataSkinObject* arrow = skin_->Slot(ssComboArrow)) {
        const int cells = std::max(arrow->Frame, 1);
        DrawStripCell(dc, place, arrow->Bitmap, cells, std::min(cell, cells));
    }
}

// ---- TSkinEdit

TSkinEdit::TSkinEdit(TComponent* owner) : TSkinControl(owner) {}

TSkinEdit::~TSkinEdit() {
    try {
        ReleaseUpDown();
    } catch (...) {
        // Nothing may escape a destructor.
        TraceSwallowed("TSkinEdit::~TSkinEdit");
    }
}

void TSkinEdit::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachControl(frame, skin, useSkinColour, canvas);
    // At once rather than at the first paint: discovery would otherwise give the up-down an
    // adapter of its own, drawn outside the border.
    if (attached_)
        AttachUpDown();
}

void TSkinEdit::AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachWindow(window, skin, frame, canvas);
    if (attached_)
        AttachUpDown();
}

namespace {
bool IsUpDownClass(HWND window) {
    const std::string name = LowerCase(WindowClassName(window));
    return name == "msctls_updown32" || name.find("spin") != std::string::npos ||
           name.find("updown") != std::string::npos;
}
} // namespace

void TSkinEdit::AttachUpDown() {
    if (!handle_ || !skin_ || !active_ || !skin_->Skins(xcSpin))
        return;
    HWND found = nullptr;
    for (HWND child = GetTopWindow(handle_); child && !found; child = GetWindow(child, GW_HWNDNEXT))
        if (IsUpDownClass(child))
            found = child;
    KeepChildUpDown(this, skin_, canvas_, upDownAdapter_, found, true, false);
}

void TSkinEdit::ReleaseUpDown() {
    ReleaseChildUpDown(upDownAdapter_);
}

void TSkinEdit::SkinChanged() {
    if (upDownAdapter_)
        upDownAdapter_->SkinChanged();
    TSkinControl::SkinChanged();
}

void TSkinEdit::DoRestore() {
    ReleaseUpDown();
    TSkinControl::DoRestore();
    if (state_ != asDestroyed) {
        state_ = asRestored;
        // The border is the system's again.
        if (handle_ && IsWindow(handle_))
            RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
}

bool TSkinEdit::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    if (message.Msg == SKM_PAINTSELF && message.LParam == SkinMagic && message.WParam) {
        // Paint yourself into this context: the control's own painting, then the border.
        const TAliveToken alive = AliveToken();
        TMessage paint{WM_PAINT, message.WParam, 0, 0};
        PassOn(paint);
        if (!alive)
            return false;
        PrintBorder(reinterpret_cast<HDC>(message.WParam));
        message.Result = SkinMagic;
        return false;
    }
    return true;
}

void TSkinEdit::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_PAINT:
        PaintFrame(reinterpret_cast<HDC>(message.WParam));
        return;
    case WM_NCPAINT:
        // The system drew its own border again.
        PaintFrame(nullptr);
        return;
    case WM_PRINT:
        if (message.WParam) {
            PrintBorder(reinterpret_cast<HDC>(message.WParam));
        } else if (handle_) {
            TWindowDC dc(handle_, TWindowDC::Area::Window);
            PrintBorder(dc.Get());
        }
        return;
    default:
        TSkinControl::AfterMessage(message);
        return;
    }
}

void TSkinEdit::PrintBorder(HDC dc) {
    if (!dc || !skin_ || !handle_)
        return;
    if (BorderExcess(handle_) <= 2)
        return;
    RECT window{};
    GetWindowRect(handle_, &window);
    const RECT rect{0, 0, window.right - window.left, window.bottom - window.top};
    if (auto* brush = static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH))) {
        const RECT inner = Inset(rect, 1);
        FrameRect(dc, &inner, brush);
    }
    FrameWith(dc, rect, ColorToRGB(skin_->Colour(scButtonShadow)));
}

void TSkinEdit::Paint(HDC dc, const RECT& rect) {
    if (!dc || !skin_ || !handle_)
        return;
    AttachUpDown();
    RECT client{};
    GetClientRect(handle_, &client);
    // Without a border the edit keeps its own look.
    if (client.right - client.left >= rect.right - rect.left ||
        client.bottom - client.top >= rect.bottom - rect.top)
        return;
    PaintEditBorder(dc, rect, *skin_, 2);
}

// ---- TArrowButton

namespace {
const char* const ArrowClassName = "PPSkinPickerArrow";

bool RegisterArrowClass(WNDPROC proc) {
    WNDCLASSA existing{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), ArrowClassName, &existing))
        return true;
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = ArrowClassName;
    return RegisterClassA(&wc) != 0;
}
} // namespace

TArrowButton::TArrowButton(TSkinDateTime* adapter, HWND picker) : adapter_(adapter), picker_(picker) {
    arrowWidth_ = GetSystemMetrics(SM_CXHSCROLL);
    if (!picker_ || !RegisterArrowClass(&TArrowButton::Proc))
        return;
    window_ = CreateWindowExA(0, ArrowClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                              picker_, nullptr, GetModuleHandleA(nullptr), this);
    Place();
}

TArrowButton::~TArrowButton() {
    if (window_ && IsWindow(window_)) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void TArrowButton::Place() {
    if (!window_ || !picker_)
        return;
    RECT picker{};
    GetWindowRect(picker_, &picker);
    const bool left = (GetWindowLongA(picker_, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
    const TFrameRect place =
        PickerArrowRect(picker.right - picker.left, picker.bottom - picker.top, arrowWidth_, left);
    SetWindowPos(window_, HWND_TOP, place.Left, place.Top, place.Width(), place.Height(),
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void TArrowButton::Invalidate() {
    if (window_)
        InvalidateRect(window_, nullptr, FALSE);
}

void TArrowButton::Repaint() {
    if (window_) {
        InvalidateRect(window_, nullptr, FALSE);
        UpdateWindow(window_);
    }
}

LRESULT CALLBACK TArrowButton::Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* arrow = reinterpret_cast<TArrowButton*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            if (arrow)
                arrow->window_ = nullptr;
            return DefWindowProcA(window, msg, wParam, lParam);
        }
        if (arrow && arrow->window_ == window)
            return arrow->Handle(msg, wParam, lParam);
    } catch (...) {
        HandleCurrentException(PaintingMessage(msg));
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

LRESULT TArrowButton::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!Hot() && IsWindowEnabled(picker_)) {
            state_ |= 1;
            SkinTrackMouseLeave(window_);
            Repaint();
        }
        return 0;
    case WM_MOUSELEAVE:
        if (Hot()) {
            state_ &= static_cast<unsigned char>(~1);
            Repaint();
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        TPaintDC dc(window_);
        if (dc.Get())
            PaintOn(dc.Get());
        return 0;
    }
    case WM_LBUTTONDOWN: {
        const LRESULT result = DefWindowProcA(window_, msg, wParam, lParam);
        RECT arrow{};
        GetWindowRect(window_, &arrow);
        MapWindowPoints(nullptr, picker_, reinterpret_cast<POINT*>(&arrow), 2);
        const int x = static_cast<short>(LOWORD(lParam)) + arrow.left;
        const int y = static_cast<short>(HIWORD(lParam)) + arrow.top;
        PostMessageA(picker_, WM_LBUTTONDOWN, wParam, MAKELPARAM(x, y));
        PostMessageA(picker_, WM_LBUTTONUP, wParam & ~static_cast<WPARAM>(MK_LBUTTON), MAKELPARAM(x, y));
        Repaint();
        return result;
    }
    case WM_LBUTTONUP: {
        const LRESULT result = DefWindowProcA(window_, msg, wParam, lParam);
        // The open calendar holds the focus; taking it away would close the calendar again.
        HWND calendar = reinterpret_cast<HWND>(SendMessageA(picker_, DTM_GETMONTHCAL, 0, 0));
        if (!(calendar && IsWindowVisible(calendar)) && GetFocus() != picker_)
            SetFocus(picker_);
        return result;
    }
    default:
        return DefWindowProcA(window_, msg, wParam, lParam);
    }
}

void TArrowButton::PaintOn(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    TSkinData* skin = adapter_ ? adapter_->SkinData() : nullptr;
    if (!skin) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    FillRect(dc, &client, skin->ButtonFaceBrush());
    const TDataSkinObject* arrow = skin->Slot(ssComboArrow);
    if (!arrow || arrow->Bitmap.Empty())
        return;
    const int cells = std::max(arrow->Frame, 1);
    const int cell = std::min(Hot() ? 4 : 1, cells);
    DrawStripCell(dc, client, arrow->Bitmap, cells, cell);
}

// ---- TSkinDateTime

TSkinDateTime::TSkinDateTime(TComponent* owner) : TSkinControl(owner) {}

TSkinDateTime::~TSkinDateTime() {
    try {
        arrow_.reset();
    } catch (...) {
        // Nothing may escape a destructor.
        TraceSwallowed("TSkinDateTime::~TSkinDateTime");
    }
}

void TSkinDateTime::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachControl(frame, skin, useSkinColour, canvas);
    if (attached_)
        MakeArrow();
}

void TSkinDateTime::AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachWindow(window, skin, frame, canvas);
    if (attached_)
        MakeArrow();
}

void TSkinDateTime::MakeArrow() {
    if (arrow_ || !handle_)
        return;
    const LONG style = GetWindowLongA(handle_, GWL_STYLE);
    if (!(style & WS_CLIPCHILDREN)) {
        // So that the picker does not paint over the arrow.
        SetWindowLongA(handle_, GWL_STYLE, style | WS_CLIPCHILDREN);
        addedClipChildren_ = true;
    }
    arrow_ = std::make_unique<TArrowButton>(this, handle_);
}

void TSkinDateTime::WindowRecreated() {
    arrow_.reset();
    addedClipChildren_ = false;
    // A picker made anew with arrows to step its fields has no drop-down button to cover.
    if (!(GetWindowLongA(handle_, GWL_STYLE) & DTS_UPDOWN))
        MakeArrow();
}

void TSkinDateTime::DoRestore() {
    arrow_.reset();
    if (addedClipChildren_ && handle_ && IsWindow(handle_) && state_ != asDestroyed)
        SetWindowLongA(handle_, GWL_STYLE, GetWindowLongA(handle_, GWL_STYLE) & ~WS_CLIPCHILDREN);
    addedClipChildren_ = false;
    TSkinControl::DoRestore();
    if (state_ != asDestroyed) {
        state_ = asRestored;
        if (handle_ && IsWindow(handle_))
            RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
}

void TSkinDateTime::SkinChanged() {
    TSkinControl::SkinChanged();
    // Painted on its own, the arrow has the picker paint its background first.
    if (arrow_ && FrameRepaintsAll())
        arrow_->Invalidate();
    else if (arrow_)
        arrow_->Repaint();
}

void TSkinDateTime::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_SIZE:
        if (arrow_) {
            arrow_->Place();
            arrow_->Repaint();
        }
        return;
    case WM_NCPAINT:
        PaintFrame(nullptr);
        return;
    default:
        TSkinControl::AfterMessage(message);
        return;
    }
}

void TSkinDateTime::Paint(HDC dc, const RECT& rect) {
    if (!dc || !skin_ || !handle_)
        return;
    if (arrow_)
        arrow_->Place();
    RECT client{};
    GetClientRect(handle_, &client);
    if (client.right - client.left < rect.right - rect.left &&
        client.bottom - client.top < rect.bottom - rect.top)
        PaintEditBorder(dc, rect, *skin_, 1);
}
