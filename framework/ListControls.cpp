#include "ListControls.h"

#include "SysUtils.h"

#include <windowsx.h>

#include <algorithm>

namespace list_detail {

struct TListMessages {
    UINT Reset, Insert, Delete, InitStorage, GetCurSel, SetCurSel;
    LRESULT ErrSpace;
};

constexpr TListMessages ListBoxMessages{LB_RESETCONTENT, LB_INSERTSTRING, LB_DELETESTRING, LB_INITSTORAGE,
                                        LB_GETCURSEL,    LB_SETCURSEL,    LB_ERRSPACE};
constexpr TListMessages ComboBoxMessages{CB_RESETCONTENT, CB_INSERTSTRING, CB_DELETESTRING, CB_INITSTORAGE,
                                         CB_GETCURSEL,    CB_SETCURSEL,    CB_ERRSPACE};

// Past this many changed lines the window is refilled instead of edited line by line.
constexpr size_t RefillThreshold = 64;

// Remembers the lines the window holds, so a change of the string list
// reaches the window as the few deletions and insertions it amounts to. The
// selection follows its line when the line survives and is dropped when it
// does not, whichever way the window was brought up to date.
class TItemsMirror {
  public:
    explicit TItemsMirror(const TListMessages& messages) : messages_(messages) {}

    // A new window holds no lines.
    void Forget() {
        shown_.clear();
        stale_ = false;
    }

    // The window's own list procedure is called directly: the lines go in
    // without a trip through the control's message handling for each one.
    // countOnly: the window keeps no lines, only their number.
    void Sync(HWND window, WNDPROC listProc, const std::vector<std::string>& lines, bool countOnly = false) {
        if (!window) {
            shown_.clear();
            return;
        }
        auto send = [window, listProc](UINT msg, WPARAM wParam, LPARAM lParam) {
            return CallWindowProcA(listProc, window, msg, wParam, lParam);
        };
        size_t oldCount = shown_.size(), newCount = lines.size();
        size_t prefix = 0;
        while (prefix < oldCount && prefix < newCount && shown_[prefix] == lines[prefix])
            ++prefix;
        size_t suffix = 0;
        while (suffix < oldCount - prefix && suffix < newCount - prefix &&
               shown_[oldCount - 1 - suffix] == lines[newCount - 1 - suffix])
            ++suffix;
        size_t removed = oldCount - prefix - suffix, added = newCount - prefix - suffix;
        if (removed == 0 && added == 0 && !stale_)
            return;

        bool wasStale = stale_;
        auto selected = static_cast<int>(send(messages_.GetCurSel, 0, 0));
        int newSelected = -1;
        if (selected >= 0 && static_cast<size_t>(selected) < prefix)
            newSelected = selected;
        else if (selected >= 0 && static_cast<size_t>(selected) >= oldCount - suffix)
            newSelected = static_cast<int>(static_cast<size_t>(selected) - oldCount + newCount);

        send(WM_SETREDRAW, FALSE, 0);
        struct TRedraw {
            HWND window;
            WNDPROC listProc;
            ~TRedraw() {
                CallWindowProcA(listProc, window, WM_SETREDRAW, TRUE, 0);
                InvalidateRect(window, nullptr, TRUE);
            }
        } redraw{window, listProc};

        // Until the end, the window holds neither the old lines nor the new: a
        // failure on the way leaves it to be refilled next time.
        stale_ = true;
        shown_.clear();
        bool refill = wasStale || removed + added > RefillThreshold;
        if (countOnly) {
            if (send(LB_SETCOUNT, newCount, 0) == messages_.ErrSpace)
                throw EOutOfResources("Not enough storage for the list's lines");
        } else if (refill) {
            send(messages_.Reset, 0, 0);
            size_t bytes = 0;
            for (const std::string& line : lines)
                bytes += line.size() + 1;
            send(messages_.InitStorage, newCount, static_cast<LPARAM>(bytes));
            for (size_t i = 0; i < newCount; ++i)
                Insert(send, i, lines[i]);
        } else {
            for (size_t i = 0; i < removed; ++i)
                send(messages_.Delete, prefix, 0);
            for (size_t i = 0; i < added; ++i)
                Insert(send, prefix + i, lines[prefix + i]);
        }
        shown_ = lines;
        stale_ = false;
        if (newSelected != selected || refill || countOnly)
            send(messages_.SetCurSel, static_cast<WPARAM>(newSelected), 0);
    }

  private:
    template <class TSend> void Insert(TSend& send, size_t index, const std::string& line) {
        if (send(messages_.Insert, index, reinterpret_cast<LPARAM>(line.c_str())) == messages_.ErrSpace)
            throw EOutOfResources("Not enough storage for the list's lines");
    }

    TListMessages messages_;
    std::vector<std::string> shown_;
    bool stale_ = false;
};

} // namespace list_detail

using list_detail::TItemsMirror;

namespace {

// Lends the canvas a device context for one drawing call.
class TCanvasLoan {
  public:
    TCanvasLoan(TCanvas& canvas, HDC dc) : canvas_(canvas) { canvas_.SetHandle(dc); }
    TCanvasLoan(const TCanvasLoan&) = delete;
    TCanvasLoan& operator=(const TCanvasLoan&) = delete;
    ~TCanvasLoan() { canvas_.SetHandle(nullptr); }

  private:
    TCanvas& canvas_;
};

void PrepareItemCanvas(TCanvas& canvas, const TControl& control, int index, TOwnerDrawState state) {
    canvas.Font().Assign(control.Font());
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(control.Color());
    if (index >= 0 && (state & odSelected)) {
        canvas.Brush().SetColor(clHighlight);
        canvas.Font().SetColor(clHighlightText);
    } else if (state & odDisabled) {
        canvas.Font().SetColor(clGrayText);
    }
}

void DrawItemText(TCanvas& canvas, const std::string& text, const RECT& rect) {
    canvas.FillRect(rect);
    RECT textRect{rect.left + 2, rect.top, rect.right, rect.bottom};
    canvas.DrawText(text.c_str(), static_cast<int>(text.size()), textRect,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
}

int FontLineHeight(const TFont& font) {
    TWindowDC screen(nullptr);
    TSelectGuard select(screen.Get(), font.Handle());
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen.Get(), &metrics);
    return metrics.tmHeight;
}

} // namespace

// ---- TCustomListBox

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), mirror_(std::make_unique<TItemsMirror>(list_detail::ListBoxMessages)) {
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
    captureMouse_ = false; // the system list tracks the mouse itself
    items_.SetDuplicates(dupAccept);
    items_.OnChange = Bind<&TCustomListBox::ItemsChanged>(this);
}

TCustomListBox::~TCustomListBox() = default;

const TPropertyInfo* TCustomListBox::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex>("ItemIndex"),
        Prop<&TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight>("ItemHeight"),
        Prop<&TCustomListBox::Style, &TCustomListBox::SetStyle>("Style"),
        Prop<&TCustomListBox::Sorted, &TCustomListBox::SetSorted>("Sorted"),
        Prop<&TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight>("IntegralHeight"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TWinControl::FindProperty(name);
}

void TCustomListBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "LISTBOX");
    params.Style |= WS_VSCROLL | LBS_NOTIFY;
    if (!integralHeight_)
        params.Style |= LBS_NOINTEGRALHEIGHT;
    if (style_ == lbVirtual)
        params.Style |= LBS_OWNERDRAWFIXED | LBS_NODATA;
    else
        params.Style |= LBS_HASSTRINGS;
    if (style_ == lbOwnerDrawFixed)
        params.Style |= LBS_OWNERDRAWFIXED;
    else if (style_ == lbOwnerDrawVariable)
        params.Style |= LBS_OWNERDRAWVARIABLE;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateHandleFinished() {
    HWND window = WindowHandle();
    // The measuring at creation may have reached the parent before the control was linked.
    ApplyItemHeight();
    mirror_->Forget();
    mirror_->Sync(window, DefWndProc(), items_.Lines(), style_ == lbVirtual);
    SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    if (requestedHeight_ >= 0)
        SetBounds(Left(), Top(), Width(), requestedHeight_);
}

void TCustomListBox::DestroyWnd() {
    if (HWND window = WindowHandle())
        itemIndex_ = static_cast<int>(SendMessageA(window, LB_GETCURSEL, 0, 0));
    mirror_->Forget();
    TWinControl::DestroyWnd();
}

void TCustomListBox::FontChanged() {
    TWinControl::FontChanged();
    if (WindowHandle()) {
        // A standard list measures its lines by the font it has just been given.
        ApplyItemHeight();
        if (requestedHeight_ >= 0)
            SetBounds(Left(), Top(), Width(), requestedHeight_);
    }
}

void TCustomListBox::ItemsChanged(TObject*) {
    mirror_->Sync(WindowHandle(), DefWndProc(), items_.Lines(), style_ == lbVirtual);
    if (!WindowHandle() && itemIndex_ >= items_.Count())
        itemIndex_ = -1;
}

int TCustomListBox::ItemIndex() const {
    if (HWND window = WindowHandle())
        return static_cast<int>(SendMessageA(window, LB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TCustomListBox::SetItemIndex(int index) {
    if (index < -1 || index >= Count())
        index = -1;
    itemIndex_ = index;
    if (HWND window = WindowHandle())
        SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TCustomListBox::TopIndex() const {
    HWND window = WindowHandle();
    return window ? static_cast<int>(SendMessageA(window, LB_GETTOPINDEX, 0, 0)) : 0;
}

void TCustomListBox::SetTopIndex(int index) {
    if (HWND window = WindowHandle())
        SendMessageA(window, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(index, 0)), 0);
}

void TCustomListBox::SetStyle(TListBoxStyle style) {
    if (style == style_)
        return;
    style_ = style;
    RecreateWnd();
}

int TCustomListBox::ItemHeight() const {
    if (HWND window = WindowHandle(); window && !IsOwnerDraw())
        return static_cast<int>(SendMessageA(window, LB_GETITEMHEIGHT, 0, 0));
    return itemHeight_;
}

void TCustomListBox::SetItemHeight(int height) {
    if (height <= 0 || height == itemHeight_)
        return;
    itemHeight_ = height;
    if (WindowHandle()) {
        ApplyItemHeight();
        if (requestedHeight_ >= 0)
            SetBounds(Left(), Top(), Width(), requestedHeight_);
        Invalidate();
    }
}

void TCustomListBox::ApplyItemHeight() {
    HWND window = WindowHandle();
    if (!window || !IsOwnerDraw())
        return;
    if (style_ != lbOwnerDrawVariable) {
        SendMessageA(window, LB_SETITEMHEIGHT, 0, MAKELPARAM(itemHeight_, 0));
        return;
    }
    for (int i = 0; i < Count(); ++i) {
        int height = itemHeight_;
        MeasureItem(i, height);
        SendMessageA(window, LB_SETITEMHEIGHT, static_cast<WPARAM>(i), MAKELPARAM(height, 0));
    }
}

void TCustomListBox::SetIntegralHeight(bool value) {
    if (value == integralHeight_)
        return;
    integralHeight_ = value;
    RecreateWnd();
}

void TCustomListBox::SetSorted(bool value) {
    if (value == items_.Sorted())
        return;
    items_.SetSorted(value);
}

int TCustomListBox::IntegralHeightFor(int height) const {
    if (!integralHeight_ || style_ == lbOwnerDrawVariable)
        return height;
    int border = 2 * GetSystemMetrics(SM_CYEDGE);
    if (HWND window = WindowHandle()) {
        RECT outer{}, inner{};
        GetWindowRect(window, &outer);
        GetClientRect(window, &inner);
        border = (outer.bottom - outer.top) - inner.bottom;
    }
    int line = ItemHeight();
    if (line <= 0 || height - border < line)
        return height;
    return border + (height - border) / line * line;
}

void TCustomListBox::SetBounds(int left, int top, int width, int height) {
    requestedHeight_ = height;
    TWinControl::SetBounds(left, top, width, IntegralHeightFor(height));
}

int TCustomListBox::ItemAtPos(POINT point) const {
    HWND window = WindowHandle();
    if (!window)
        return -1;
    LRESULT hit = SendMessageA(window, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    // The high word is set when the point lies below the last line.
    if (HIWORD(hit) != 0)
        return -1;
    int index = LOWORD(hit);
    return index < Count() ? index : -1;
}

RECT TCustomListBox::ItemRect(int index) const {
    RECT rect{0, 0, 0, 0};
    if (HWND window = WindowHandle())
        SendMessageA(window, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TCustomListBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state) {
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    DrawItemText(canvas_, items_[index], rect);
}

void TCustomListBox::KeyPress(char& key) {
    TWinControl::KeyPress(key);
    // A list without lines of its own cannot look for one; it is done here.
    if (style_ == lbVirtual && static_cast<unsigned char>(key) > ' ') {
        if (SelectByLetter(key))
            Click();
        key = 0;
    }
}

void TCustomListBox::MeasureItem(int index, int& height) {
    if (OnMeasureItem)
        OnMeasureItem(this, index, height);
}

void TCustomListBox::DrawItemMessage(const DRAWITEMSTRUCT& draw) {
    TCanvasLoan loan(canvas_, draw.hDC);
    auto index = static_cast<int>(draw.itemID);
    TOwnerDrawState state = draw.itemState;
    PrepareItemCanvas(canvas_, *this, index, state);
    if (index >= 0 && index < Count())
        DrawItem(index, draw.rcItem, state);
    else
        canvas_.FillRect(draw.rcItem);
    if ((state & odFocused) && !(state & odNoFocusRect))
        DrawFocusRect(draw.hDC, &draw.rcItem);
}

void TCustomListBox::HandleMouse(TMessage& message) {
    // The double click proper comes as LBN_DBLCLK; here it is only a second press.
    if (message.Msg == WM_LBUTTONDBLCLK) {
        MouseDown(mbLeft, MouseShiftState(message.WParam) | ssDouble, GET_X_LPARAM(message.LParam),
                  GET_Y_LPARAM(message.LParam));
        return;
    }
    TWinControl::HandleMouse(message);
}

bool TCustomListBox::SelectByLetter(char letter) {
    auto upper = [](char c) {
        CharUpperBuffA(&c, 1);
        return c;
    };
    char wanted = upper(letter);
    int count = Count(), start = ItemIndex();
    for (int step = 1; step <= count; ++step) {
        int index = (start + step + count) % count;
        const std::string& line = items_[index];
        if (!line.empty() && upper(line[0]) == wanted) {
            SetItemIndex(index);
            return true;
        }
    }
    return false;
}

void TCustomListBox::WndProc(TMessage& message) {
    switch (message.Msg) {

    case CN_DRAWITEM:
        DrawItemMessage(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam));
        message.Result = 1;
        return;
    case CN_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        int height = itemHeight_;
        auto index = static_cast<int>(measure->itemID);
        if (style_ == lbOwnerDrawVariable && index >= 0 && index < Count())
            MeasureItem(index, height);
        measure->itemHeight = static_cast<UINT>(std::max(height, 1));
        message.Result = 1;
        return;
    }
    case CN_COMMAND:
        switch (HIWORD(message.WParam)) {
        case LBN_SELCHANGE:
            Click();
            break;
        case LBN_DBLCLK:
            DblClick();
            break;
        default:
            break;
        }
        return;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

// ---- TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), mirror_(std::make_unique<TItemsMirror>(list_detail::ComboBoxMessages)) {
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetColor(clWindow);
    captureMouse_ = false;
    items_.SetDuplicates(dupAccept);
    items_.OnChange = Bind<&TCustomComboBox::ItemsChanged>(this);
}

TCustomComboBox::~TCustomComboBox() = default;

const TPropertyInfo* TCustomComboBox::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex>("ItemIndex"),
        Prop<&TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight>("ItemHeight"),
        Prop<&TCustomComboBox::Style, &TCustomComboBox::SetStyle>("Style"),
        Prop<&TCustomComboBox::Sorted, &TCustomComboBox::SetSorted>("Sorted"),
        Prop<&TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount>("DropDownCount"),
        Prop<&TCustomComboBox::Text, &TCustomComboBox::SetText>("Text"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TWinControl::FindProperty(name);
}

void TCustomComboBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "COMBOBOX");
    params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
    switch (style_) {
    case csDropDown:
        params.Style |= CBS_DROPDOWN;
        break;
    case csSimple:
        params.Style |= CBS_SIMPLE;
        break;
    case csDropDownList:
        params.Style |= CBS_DROPDOWNLIST;
        break;
    case csOwnerDrawFixed:
        params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
        break;
    case csOwnerDrawVariable:
        params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS;
        break;
    }
    // A drop-down combo box takes the height of its open list from its window.
    if (style_ != csSimple)
        params.Height = Height() + ItemHeight() * dropDownCount_ + 2;
}

void TCustomComboBox::CreateHandleFinished() {
    HWND window = WindowHandle();
    mirror_->Forget();
    mirror_->Sync(window, DefWndProc(), items_.Lines());
    ApplyHeights();
    SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    if (HasEdit() && itemIndex_ < 0)
        SetWindowTextA(window, Caption().c_str());
    if (style_ != csSimple)
        PlaceWindow(Left(), Top(), Width());
}

void TCustomComboBox::DestroyWnd() {
    if (HWND window = WindowHandle()) {
        itemIndex_ = static_cast<int>(SendMessageA(window, CB_GETCURSEL, 0, 0));
        StoreCaption(Text());
    }
    mirror_->Forget();
    TWinControl::DestroyWnd();
}

void TCustomComboBox::FontChanged() {
    TWinControl::FontChanged();
    if (WindowHandle() && style_ != csSimple) {
        ApplyHeights();
        PlaceWindow(Left(), Top(), Width());
    }
}

void TCustomComboBox::ItemsChanged(TObject*) {
    mirror_->Sync(WindowHandle(), DefWndProc(), items_.Lines());
    if (!WindowHandle() && itemIndex_ >= items_.Count())
        itemIndex_ = -1;
}

int TCustomComboBox::ItemIndex() const {
    if (HWND window = WindowHandle())
        return static_cast<int>(SendMessageA(window, CB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TCustomComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= items_.Count())
        index = -1;
    itemIndex_ = index;
    if (index >= 0 && HasEdit())
        StoreCaption(items_[index]);
    if (HWND window = WindowHandle())
        SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string TCustomComboBox::Text() const {
    if (!HasEdit()) {
        int index = ItemIndex();
        return index >= 0 && index < items_.Count() ? items_[index] : std::string();
    }
    HWND window = WindowHandle();
    if (!window)
        return Caption();
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

void TCustomComboBox::SetText(const std::string& text) {
    if (HasEdit()) {
        itemIndex_ = -1;
        SetCaption(text);
        return;
    }
    SetItemIndex(items_.IndexOf(text));
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
    if (style == style_)
        return;
    style_ = style;
    RecreateWnd();
}

int TCustomComboBox::ItemHeight() const {
    if (HWND window = WindowHandle(); window && !IsOwnerDraw())
        return static_cast<int>(SendMessageA(window, CB_GETITEMHEIGHT, 0, 0));
    return IsOwnerDraw() ? itemHeight_ : FontLineHeight(Font());
}

void TCustomComboBox::SetItemHeight(int height) {
    if (height <= 0 || height == itemHeight_)
        return;
    itemHeight_ = height;
    if (WindowHandle() && style_ != csSimple) {
        ApplyHeights();
        PlaceWindow(Left(), Top(), Width());
    }
}

void TCustomComboBox::SetDropDownCount(int count) {
    if (count <= 0 || count == dropDownCount_)
        return;
    dropDownCount_ = count;
    if (WindowHandle() && style_ != csSimple)
        PlaceWindow(Left(), Top(), Width());
}

void TCustomComboBox::SetSorted(bool value) {
    if (value == items_.Sorted())
        return;
    items_.SetSorted(value);
}

bool TCustomComboBox::DroppedDown() const {
    HWND window = WindowHandle();
    return window && SendMessageA(window, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value) {
    if (HWND window = WindowHandle())
        SendMessageA(window, CB_SHOWDROPDOWN, value, 0);
}

void TCustomComboBox::ApplyHeights() {
    HWND window = WindowHandle();
    if (!window || !IsOwnerDraw())
        return;
    SendMessageA(window, CB_SETITEMHEIGHT, 0, itemHeight_);
    if (requestedHeight_ <= 0)
        return;
    // The closed box is its selection field plus a frame; size the field so
    // the box gets the height asked for. Some systems report the field a
    // little larger than it was set, so the result is measured and corrected.
    auto closedHeight = [window] {
        RECT outer{};
        GetWindowRect(window, &outer);
        return static_cast<int>(outer.bottom - outer.top);
    };
    int closed = closedHeight();
    if (closed == requestedHeight_)
        return;
    auto field = static_cast<int>(SendMessageA(window, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    int wanted = field + requestedHeight_ - closed;
    for (int attempt = 0; attempt < 2 && wanted > 0; ++attempt) {
        SendMessageA(window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), wanted);
        closed = closedHeight();
        if (closed == requestedHeight_)
            return;
        wanted += requestedHeight_ - closed;
    }
}

void TCustomComboBox::PlaceWindow(int left, int top, int width) {
    HWND window = WindowHandle();
    RECT outer{};
    GetWindowRect(window, &outer);
    int closed = outer.bottom - outer.top;
    SetWindowPos(window, nullptr, left, top, width, closed + ItemHeight() * dropDownCount_ + 2,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateBoundsFromWindow();
}

void TCustomComboBox::SetBounds(int left, int top, int width, int height) {
    if (style_ == csSimple || !WindowHandle()) {
        if (style_ != csSimple)
            requestedHeight_ = height;
        TWinControl::SetBounds(left, top, width, height);
        return;
    }
    requestedHeight_ = height;
    Constraints().Apply(width, height);
    ApplyHeights();
    PlaceWindow(left, top, width);
    RequestAlign();
}

void TCustomComboBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state) {
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    DrawItemText(canvas_, items_[index], rect);
}

void TCustomComboBox::MeasureItem(int index, int& height) {
    if (OnMeasureItem)
        OnMeasureItem(this, index, height);
}

void TCustomComboBox::Change() {
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::DrawItemMessage(const DRAWITEMSTRUCT& draw) {
    TCanvasLoan loan(canvas_, draw.hDC);
    auto index = static_cast<int>(draw.itemID);
    TOwnerDrawState state = draw.itemState;
    PrepareItemCanvas(canvas_, *this, index, state);
    if (index >= 0 && index < items_.Count())
        DrawItem(index, draw.rcItem, state);
    else
        canvas_.FillRect(draw.rcItem);
    if ((state & odFocused) && !(state & odNoFocusRect))
        DrawFocusRect(draw.hDC, &draw.rcItem);
}

void TCustomComboBox::WndProc(TMessage& message) {
    switch (message.Msg) {
    case CN_DRAWITEM:
        DrawItemMessage(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam));
        message.Result = 1;
        return;
    case CN_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        auto index = static_cast<int>(measure->itemID);
        int height = itemHeight_;
        if (style_ == csOwnerDrawVariable && index >= 0 && index < items_.Count())
            MeasureItem(index, height);
        measure->itemHeight = static_cast<UINT>(std::max(height, 1));
        message.Result = 1;
        return;
    }
    case CN_COMMAND:
        switch (HIWORD(message.WParam)) {
        case CBN_SELCHANGE: {
            int index = ItemIndex();
            if (HasEdit() && index >= 0) {
                // The edit shows the chosen line only after this notice; the handlers read it now.
                SetWindowTextA(WindowHandle(), items_[index].c_str());
                StoreCaption(items_[index]);
            }
            Click();
            Change();
            break;
        }
        case CBN_EDITCHANGE:
            StoreCaption(Text());
            Change();
            break;
        case CBN_DROPDOWN:
            if (OnDropDown)
                OnDropDown(this);
            break;
        case CBN_CLOSEUP:
            if (OnCloseUp)
                OnCloseUp(this);
            break;
        default:
            break;
        }
        return;
    case WM_GETDLGCODE:
        TWinControl::WndProc(message);
        // An open list takes Enter and Escape for itself.
        if (DroppedDown())
            message.Result |= DLGC_WANTALLKEYS;
        return;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
        // The box's own edit and list ask their parent, the box, for colours.
        TMessage colour{CN_BASE + message.Msg, message.WParam, message.LParam, 0};
        TWinControl::WndProc(colour);
        message.Result = colour.Result;
        return;
    }
    default:
        break;
    }
    TWinControl::WndProc(message);
}
