#include "ComCtrls.h"

#include "Application.h"
#include "ImageList.h"
#include "SystemFunction.h"

#include <commctrl.h>

#include <algorithm>

bool InitCommonControlClasses(DWORD classes) {
    static DWORD registered = 0;
    if ((registered & classes) == classes)
        return true;
    static const TSystemFunction<decltype(&::InitCommonControlsEx)> initCommonControls{
        "comctl32.dll", "InitCommonControlsEx"};
    auto init = initCommonControls.Find();
    if (!init)
        return false;
    INITCOMMONCONTROLSEX icc{sizeof icc, classes};
    if (!init(&icc))
        return false;
    registered |= classes;
    return true;
}

int ScrollTarget(int code, int position, int trackPosition, int min, int max, int pageSize, int smallChange,
                 int largeChange) {
    const int last = std::max(min, max - std::max(pageSize - 1, 0));
    long long target = position;
    switch (code) {
    case SB_LINEUP:
        target -= smallChange;
        break;
    case SB_LINEDOWN:
        target += smallChange;
        break;
    case SB_PAGEUP:
        target -= largeChange;
        break;
    case SB_PAGEDOWN:
        target += largeChange;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        target = trackPosition;
        break;
    case SB_TOP:
        target = min;
        break;
    case SB_BOTTOM:
        target = last;
        break;
    default:
        break;
    }
    return static_cast<int>(std::clamp<long long>(target, min, last));
}

// ---- TProgressBar

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    InitCommonControlClasses(ICC_PROGRESS_CLASS);
    CreateSubClass(params, PROGRESS_CLASSA);
    params.Style |= (orientation_ == pbVertical ? PBS_VERTICAL : 0) | (smooth_ ? PBS_SMOOTH : 0);
}

void TProgressBar::CreateHandleFinished() {
    SendMessageA(WindowHandle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SendMessageA(WindowHandle(), PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
    SendMessageA(WindowHandle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetRange(int min, int max) {
    if (max < min)
        std::swap(min, max);
    if (min == min_ && max == max_)
        return;
    min_ = min;
    max_ = max;
    position_ = std::clamp(position_, min_, max_);
    if (HWND window = WindowHandle())
        SendMessageA(window, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

void TProgressBar::SetPosition(int value) {
    value = std::clamp(value, min_, max_);
    if (value == position_)
        return;
    position_ = value;
    if (HWND window = WindowHandle())
        SendMessageA(window, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void TProgressBar::SetStep(int value) {
    if (value == step_)
        return;
    step_ = value;
    if (HWND window = WindowHandle())
        SendMessageA(window, PBM_SETSTEP, static_cast<WPARAM>(value), 0);
}

void TProgressBar::StepIt() {
    // As the control does it: past the end, the overshoot counts on from the start.
    long long next = static_cast<long long>(position_) + step_;
    if (next > max_)
        next = max_ > min_ ? min_ + (next - min_) % (static_cast<long long>(max_) - min_) : min_;
    SetPosition(static_cast<int>(next));
}

void TProgressBar::SetOrientation(TProgressBarOrientation value) {
    if (value == orientation_)
        return;
    orientation_ = value;
    RecreateWnd();
}

void TProgressBar::SetSmooth(bool value) {
    if (value == smooth_)
        return;
    smooth_ = value;
    RecreateWnd();
}

// ---- TStatusBar

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
    SetColor(clBtnFace);
}

void TStatusBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    InitCommonControlClasses(ICC_BAR_CLASSES);
    CreateSubClass(params, STATUSCLASSNAMEA);
    // The toolkit places the bar (alBottom); the control must not move itself.
    params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | (sizeGrip_ ? SBARS_SIZEGRIP : 0);
}

void TStatusBar::CreateHandleFinished() {
    UpdatePanels();
}

void TStatusBar::AddPanel(const std::string& text, int width) {
    panels_.push_back(TStatusPanel{text, width});
    UpdatePanels();
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
    if (index < 0 || index >= PanelCount() || panels_[static_cast<size_t>(index)].Text == text)
        return;
    panels_[static_cast<size_t>(index)].Text = text;
    if (WindowHandle() && !simplePanel_)
        SendPanelText(static_cast<size_t>(index));
}

void TStatusBar::SetPanelStyle(int index, TStatusPanelStyle style) {
    if (index < 0 || index >= PanelCount() || panels_[static_cast<size_t>(index)].Style == style)
        return;
    panels_[static_cast<size_t>(index)].Style = style;
    if (WindowHandle() && !simplePanel_)
        SendPanelText(static_cast<size_t>(index));
}

void TStatusBar::SendPanelText(size_t index) {
    const TStatusPanel& panel = panels_[index];
    // An owner-drawn part carries its index as its data; the bar asks its parent to draw it.
    if (panel.Style == psOwnerDraw)
        SendMessageA(WindowHandle(), SB_SETTEXTA, index | SBT_OWNERDRAW, static_cast<LPARAM>(index));
    else
        SendMessageA(WindowHandle(), SB_SETTEXTA, index, reinterpret_cast<LPARAM>(panel.Text.c_str()));
}

void TStatusBar::SetSimplePanel(bool value) {
    if (value == simplePanel_)
        return;
    simplePanel_ = value;
    UpdatePanels();
}

void TStatusBar::SetSimpleText(const std::string& text) {
    if (text == simpleText_)
        return;
    simpleText_ = text;
    UpdatePanels();
}

void TStatusBar::SetSizeGrip(bool value) {
    if (value == sizeGrip_)
        return;
    sizeGrip_ = value;
    RecreateWnd();
}

void TStatusBar::UpdatePanels() {
    HWND window = WindowHandle();
    if (!window)
        return;
    SendMessageA(window, SB_SIMPLE, simplePanel_, 0);
    if (simplePanel_) {
        SendMessageA(window, SB_SETTEXTA, 255, reinterpret_cast<LPARAM>(simpleText_.c_str()));
        return;
    }
    std::vector<int> edges;
    int x = 0;
    for (size_t i = 0; i < panels_.size(); ++i) {
        x += std::max(panels_[i].Width, 0);
        edges.push_back(i + 1 == panels_.size() ? -1 : x);
    }
    if (edges.empty())
        edges.push_back(-1);
    SendMessageA(window, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < panels_.size(); ++i)
        SendPanelText(i);
}

void TStatusBar::WndProc(TMessage& message) {
    if (message.Msg == CN_DRAWITEM) {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        const int panel = static_cast<int>(draw.itemID);
        if (OnDrawPanel && panel >= 0 && panel < PanelCount())
            OnDrawPanel(this, panel, draw.hDC, draw.rcItem);
        message.Result = 1;
        return;
    }
    TWinControl::WndProc(message);
    if (message.Msg == WM_SIZE)
        UpdatePanels();
}

// ---- TTrackBar

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 150, 45);
    SetTabStop(true);
}

void TTrackBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    InitCommonControlClasses(ICC_BAR_CLASSES);
    CreateSubClass(params, TRACKBAR_CLASSA);
    params.Style |= TBS_AUTOTICKS | (orientation_ == trVertical ? TBS_VERT : TBS_HORZ);
}

void TTrackBar::CreateHandleFinished() {
    SendMessageA(WindowHandle(), TBM_SETRANGEMIN, FALSE, min_);
    SendMessageA(WindowHandle(), TBM_SETRANGEMAX, FALSE, max_);
    SendMessageA(WindowHandle(), TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
    SendMessageA(WindowHandle(), TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetRange(int min, int max) {
    if (max < min)
        std::swap(min, max);
    min_ = min;
    max_ = max;
    position_ = std::clamp(Position(), min_, max_);
    if (HandleAllocated())
        CreateHandleFinished();
}

int TTrackBar::Position() const {
    if (HWND window = WindowHandle())
        position_ = static_cast<int>(SendMessageA(window, TBM_GETPOS, 0, 0));
    return position_;
}

void TTrackBar::SetPosition(int value) {
    value = std::clamp(value, min_, max_);
    if (value == Position())
        return;
    position_ = value;
    if (HWND window = WindowHandle())
        SendMessageA(window, TBM_SETPOS, TRUE, value);
    if (OnChange)
        OnChange(this);
}

void TTrackBar::SetFrequency(int value) {
    if (value == frequency_)
        return;
    frequency_ = value;
    if (HWND window = WindowHandle())
        SendMessageA(window, TBM_SETTICFREQ, static_cast<WPARAM>(value), 0);
}

void TTrackBar::SetOrientation(TTrackBarOrientation value) {
    if (value == orientation_)
        return;
    orientation_ = value;
    Position();
    SetBounds(Left(), Top(), Height(), Width());
    RecreateWnd();
}

void TTrackBar::WndProc(TMessage& message) {
    if (message.Msg == CN_HSCROLL || message.Msg == CN_VSCROLL) {
        const int before = position_;
        if (Position() != before && OnChange)
            OnChange(this);
        message.Result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TUpDown

TUpDown::TUpDown(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 17, 25);
    // The system up-down holds the mouse itself while an arrow is down and stops its repeat
    // timer only when the release reaches it with the mouse still captured.
    captureMouse_ = false;
}

void TUpDown::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    InitCommonControlClasses(ICC_UPDOWN_CLASS);
    CreateSubClass(params, UPDOWN_CLASSA);
    params.Style |= UDS_ARROWKEYS | UDS_SETBUDDYINT | UDS_NOTHOUSANDS | (wrap_ ? UDS_WRAP : 0) |
                    (orientation_ == udHorizontal ? UDS_HORZ : 0) |
                    // A sibling field makes room for it; a field that holds it has placed it already.
                    (associate_ && associate_ != Parent() ? UDS_ALIGNRIGHT : 0);
}

void TUpDown::CreateHandleFinished() {
    HWND window = WindowHandle();
    // The system's own acceleration stays: its steps are scaled by the increment as they come
    // (UDN_DELTAPOS), so that holding an arrow repeats at the system's pace.
    SendMessageA(window, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    if (associate_)
        SendMessageA(window, UDM_SETBUDDY, reinterpret_cast<WPARAM>(associate_->Handle()), 0);
    SendMessageA(window, UDM_SETPOS32, 0, position_);
}

void TUpDown::SetRange(int min, int max) {
    if (max < min)
        std::swap(min, max);
    min_ = min;
    max_ = max;
    position_ = std::clamp(Position(), min_, max_);
    if (HandleAllocated())
        CreateHandleFinished();
}

int TUpDown::Position() const {
    if (HWND window = WindowHandle()) {
        BOOL failed = FALSE;
        const int value =
            static_cast<int>(SendMessageA(window, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
        if (!failed)
            position_ = value;
    }
    return position_;
}

void TUpDown::SetPosition(int value) {
    value = std::clamp(value, min_, max_);
    if (value == Position())
        return;
    position_ = value;
    if (HWND window = WindowHandle())
        SendMessageA(window, UDM_SETPOS32, 0, value);
    if (OnChange)
        OnChange(this);
}

void TUpDown::SetIncrement(int value) {
    if (value == increment_)
        return;
    increment_ = value;
}

void TUpDown::SetOrientation(TUDOrientation value) {
    if (value == orientation_)
        return;
    orientation_ = value;
    Position();
    RecreateWnd();
}

void TUpDown::SetAssociate(TWinControl* control) {
    if (control == associate_)
        return;
    if (associate_)
        associate_->RemoveFreeNotification(this);
    associate_ = control;
    if (associate_)
        associate_->FreeNotification(this);
    if (HandleAllocated())
        RecreateWnd();
}

void TUpDown::SetWrap(bool value) {
    if (value == wrap_)
        return;
    wrap_ = value;
    RecreateWnd();
}

void TUpDown::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == associate_)
        associate_ = nullptr;
}

void TUpDown::WndProc(TMessage& message) {
    if (message.Msg == CN_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(message.LParam);
        if (header->code == static_cast<UINT>(UDN_DELTAPOS)) {
            reinterpret_cast<NMUPDOWN*>(header)->iDelta *= std::max(increment_, 1);
            message.Result = 0;
            return;
        }
    }
    if (message.Msg == CN_HSCROLL || message.Msg == CN_VSCROLL) {
        const int before = position_;
        if (Position() != before && OnChange)
            OnChange(this);
        message.Result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TTabControl

TTabControl::TTabControl(TComponent* owner) : TWinControl(owner), tabs_(new TStringList) {
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

TTabControl::~TTabControl() {
    delete tabs_;
}

const TPropertyInfo* TTabControl::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TTabControl::TabPosition, &TTabControl::SetTabPosition>("TabPosition"),
        Prop<&TTabControl::TabIndex, &TTabControl::SetTabIndex>("TabIndex"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TWinControl::FindProperty(name);
}

void TTabControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    InitCommonControlClasses(ICC_TAB_CLASSES);
    CreateSubClass(params, WC_TABCONTROLA);
    params.Style |= WS_CLIPSIBLINGS;
    switch (tabPosition_) {
    case tpBottom:
        params.Style |= TCS_BOTTOM;
        break;
    case tpLeft:
        params.Style |= TCS_VERTICAL | TCS_MULTILINE;
        break;
    case tpRight:
        params.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE;
        break;
    default:
        break;
    }
}

void TTabControl::CreateHandleFinished() {
    HWND window = WindowHandle();
    SendMessageA(window, TCM_DELETEALLITEMS, 0, 0);
    SendMessageA(window, TCM_SETIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
    for (int i = 0; i < tabs_->Count(); ++i) {
        std::string text = tabs_->Strings(i);
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.iImage = images_ ? i : -1;
        item.pszText = text.data();
        SendMessageA(window, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    if (tabs_->Count() > 0)
        SendMessageA(window, TCM_SETCURSEL, static_cast<WPARAM>(std::clamp(tabIndex_, 0, tabs_->Count() - 1)),
                     0);
    Realign();
}

void TTabControl::TabsChanged() {
    if (HandleAllocated())
        CreateHandleFinished();
}

void TTabControl::DeleteTab(int index) {
    if (index < 0 || index >= tabs_->Count())
        return;
    const int selected = TabIndex();
    tabs_->Delete(index);
    if (index < selected)
        tabIndex_ = selected - 1;
    else if (index == selected)
        tabIndex_ = std::min(selected, tabs_->Count() - 1);
    TabsChanged();
    if (index == selected && OnChange)
        OnChange(this);
}

void TTabControl::SetImages(TImageList* images) {
    if (images == images_)
        return;
    if (images_)
        images_->RemoveFreeNotification(this);
    images_ = images;
    if (images_)
        images_->FreeNotification(this);
    TabIndex();
    TabsChanged();
}

void TTabControl::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == images_) {
        images_ = nullptr;
        if (HWND window = WindowHandle())
            SendMessageA(window, TCM_SETIMAGELIST, 0, 0);
    }
}

int TTabControl::TabIndex() const {
    if (HWND window = WindowHandle())
        tabIndex_ = static_cast<int>(SendMessageA(window, TCM_GETCURSEL, 0, 0));
    return tabIndex_;
}

void TTabControl::SetTabIndex(int index) {
    if (index == TabIndex())
        return;
    tabIndex_ = index;
    if (HWND window = WindowHandle())
        SendMessageA(window, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TTabControl::SetTabPosition(TTabPosition value) {
    if (value == tabPosition_)
        return;
    TabIndex();
    tabPosition_ = value;
    RecreateWnd();
}

RECT TTabControl::DisplayRect() {
    RECT rect = TWinControl::ClientRect();
    if (HWND window = WindowHandle())
        SendMessageA(window, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TTabControl::AdjustClientRect(RECT& rect) const {
    if (HWND window = WindowHandle())
        SendMessageA(window, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
}

void TTabControl::WndProc(TMessage& message) {
    if (message.Msg == CM_DIALOGKEY && message.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        // Ctrl+Tab (Ctrl+Shift+Tab) while the focus is on the tabs or on a control of the page:
        // the next (previous) tab, as a click on it would choose.
        HWND window = WindowHandle(), focus = GetFocus();
        const int count = window ? static_cast<int>(SendMessageA(window, TCM_GETITEMCOUNT, 0, 0)) : 0;
        if (count > 0 && focus && (focus == window || IsChild(window, focus))) {
            const int step = GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
            SetTabIndex((std::max(TabIndex(), 0) + step) % count);
            TabIndex();
            if (OnChange)
                OnChange(this);
            message.Result = 1;
            return;
        }
    }
    if (message.Msg == CN_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
        if (header->code == static_cast<UINT>(TCN_SELCHANGE)) {
            TabIndex();
            if (OnChange)
                OnChange(this);
        }
        message.Result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TDateTimePicker

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 186, 21);
    SetTabStop(true);
    GetLocalTime(&dateTime_);
}

const TPropertyInfo* TDateTimePicker::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TDateTimePicker::Kind, &TDateTimePicker::SetKind>("Kind"),
        Prop<&TDateTimePicker::DateMode, &TDateTimePicker::SetDateMode>("DateMode"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TWinControl::FindProperty(name);
}

void TDateTimePicker::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    InitCommonControlClasses(ICC_DATE_CLASSES);
    CreateSubClass(params, DATETIMEPICK_CLASSA);
    params.Style |=
        kind_ == dtkTime ? DTS_TIMEFORMAT : (dateMode_ == dmUpDown ? DTS_UPDOWN : 0) | DTS_SHORTDATEFORMAT;
}

void TDateTimePicker::CreateHandleFinished() {
    SendMessageA(WindowHandle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&dateTime_));
}

SYSTEMTIME TDateTimePicker::DateTime() const {
    if (HWND window = WindowHandle()) {
        SYSTEMTIME now{};
        if (SendMessageA(window, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&now)) == GDT_VALID)
            dateTime_ = now;
    }
    return dateTime_;
}

void TDateTimePicker::SetDateTime(const SYSTEMTIME& value) {
    dateTime_ = value;
    if (HWND window = WindowHandle())
        SendMessageA(window, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&dateTime_));
}

void TDateTimePicker::SetKind(TDateTimeKind value) {
    if (value == kind_)
        return;
    DateTime();
    kind_ = value;
    RecreateWnd();
}

void TDateTimePicker::SetDateMode(TDTDateMode value) {
    if (value == dateMode_)
        return;
    DateTime();
    dateMode_ = value;
    RecreateWnd();
}

TDateTimePicker::~TDateTimePicker() {
    UnhookCalendar();
}

HWND TDateTimePicker::Calendar() const {
    HWND window = WindowHandle();
    return window ? reinterpret_cast<HWND>(SendMessageA(window, DTM_GETMONTHCAL, 0, 0)) : nullptr;
}

bool TDateTimePicker::DroppedDown() const {
    HWND calendar = Calendar();
    return calendar && IsWindowVisible(calendar);
}

void TDateTimePicker::SetDroppedDown(bool value) {
    HWND window = WindowHandle();
    if (!window || value == DroppedDown())
        return;
    if (!value) {
        SendMessageA(window, DTM_CLOSEMONTHCAL, 0, 0);
        // A picker without that message closes its calendar when the calendar loses the focus.
        if (DroppedDown())
            ::SetFocus(window);
        return;
    }
    if (kind_ != dtkDate || dateMode_ != dmComboBox || !IsWindowEnabled(window))
        return;
    // A press on the picker's own button, where the system draws it.
    RECT client{};
    GetClientRect(window, &client);
    DATETIMEPICKERINFO info{};
    info.cbSize = sizeof info;
    RECT button{client.right - GetSystemMetrics(SM_CXVSCROLL), client.top, client.right, client.bottom};
    if (SendMessageA(window, DTM_GETDATETIMEPICKERINFO, 0, reinterpret_cast<LPARAM>(&info)) &&
        !IsRectEmpty(&info.rcButton))
        button = info.rcButton;
    const LPARAM at = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    // The system's picker may take the first press after a close-up for the closing one.
    for (int press = 0; press < 2 && !DroppedDown(); ++press) {
        TMessage down{WM_LBUTTONDOWN, MK_LBUTTON, at, 0};
        DefaultHandler(down);
        TMessage up{WM_LBUTTONUP, 0, at, 0};
        DefaultHandler(up);
    }
    HookCalendar();
}

bool TDateTimePicker::CalendarKey(UINT msg, WPARAM key) {
    const bool alt = msg == WM_SYSKEYDOWN || msg == CN_SYSKEYDOWN;
    if (DroppedDown()) {
        if ((!alt && (key == VK_ESCAPE || key == VK_F4)) || (alt && (key == VK_UP || key == VK_DOWN))) {
            SetDroppedDown(false);
            return true;
        }
        return false;
    }
    if ((!alt && key == VK_F4) || (alt && key == VK_DOWN)) {
        SetDroppedDown(true);
        return DroppedDown();
    }
    return false;
}

namespace {
// The picker's relay on its calendar window.
constexpr char CalendarRelay[] = "PPCalendarPicker";
} // namespace

void TDateTimePicker::HookCalendar() {
    HWND calendar = Calendar();
    if (!calendar || calendar == calendar_)
        return;
    UnhookCalendar();
    // A relay of an earlier picker window that stayed in the calendar's chain is taken over.
    auto relay = std::make_unique<TWindowRelay>(RelayKind<CalendarRelay>,
                                                Bind<&TDateTimePicker::CalendarMessage>(this));
    if (!relay->Install(calendar))
        return;
    calendarRelay_ = std::move(relay);
    calendar_ = calendar;
}

void TDateTimePicker::UnhookCalendar() {
    calendar_ = nullptr;
    // Someone who subclassed the calendar after us keeps our procedure as a relay.
    calendarRelay_.reset();
}

LRESULT TDateTimePicker::CalendarMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Read first: a key may close the calendar, which lets go of it.
    const WNDPROC old = calendarRelay_->Previous();
    const bool unicode = calendarRelay_->Unicode();
    const HWND window = calendarRelay_->Window();
    if ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && CalendarKey(msg, wParam))
        return 0;
    if (msg == WM_NCDESTROY)
        UnhookCalendar();
    return TWindowRelay::CallProc(old, unicode, window, msg, wParam, lParam);
}

void TDateTimePicker::WndProc(TMessage& message) {
    switch (message.Msg) {
    case CN_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
        if (header->code == static_cast<UINT>(DTN_DATETIMECHANGE)) {
            DateTime();
            if (OnChange)
                OnChange(this);
        } else if (header->code == static_cast<UINT>(DTN_DROPDOWN)) {
            HookCalendar();
        }
        message.Result = 0;
        return;
    }
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        if (CalendarKey(message.Msg, message.WParam)) {
            message.Result = 1;
            return;
        }
        break;
    case WM_DESTROY:
        UnhookCalendar();
        break;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

// ---- TListView

TListView::TListView(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
    SetColor(clWindow);
}

void TListView::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    InitCommonControlClasses(ICC_LISTVIEW_CLASSES);
    CreateSubClass(params, WC_LISTVIEWA);
    static constexpr DWORD styles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    params.Style |= styles[viewStyle_] | LVS_SHOWSELALWAYS | LVS_SINGLESEL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateHandleFinished() {
    for (int i = 0; i < ColumnCount(); ++i)
        InsertColumn(i);
    for (int i = 0; i < ItemCount(); ++i)
        InsertItem(i);
}

void TListView::SetViewStyle(TViewStyle value) {
    if (value == viewStyle_)
        return;
    viewStyle_ = value;
    RecreateWnd();
}

void TListView::AddColumn(const std::string& caption, int width) {
    columns_.push_back(TListColumn{caption, width});
    if (HandleAllocated())
        InsertColumn(ColumnCount() - 1);
}

void TListView::InsertColumn(int index) {
    TListColumn& column = columns_[static_cast<size_t>(index)];
    std::string text = column.Caption;
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    info.pszText = text.data();
    info.cx = column.Width;
    info.iSubItem = index;
    SendMessageA(WindowHandle(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&info));
}

void TListView::AddItem(const std::string& caption, const std::vector<std::string>& subItems) {
    std::vector<std::string> row{caption};
    row.insert(row.end(), subItems.begin(), subItems.end());
    items_.push_back(std::move(row));
    if (HandleAllocated())
        InsertItem(ItemCount() - 1);
}

void TListView::InsertItem(int index) {
    auto& row = items_[static_cast<size_t>(index)];
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = row[0].data();
    SendMessageA(WindowHandle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (size_t sub = 1; sub < row.size(); ++sub) {
        LVITEMA text{};
        text.iSubItem = static_cast<int>(sub);
        text.pszText = row[sub].data();
        SendMessageA(WindowHandle(), LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&text));
    }
}

void TListView::Clear() {
    items_.clear();
    if (HWND window = WindowHandle())
        SendMessageA(window, LVM_DELETEALLITEMS, 0, 0);
}

HWND TListView::HeaderHandle() {
    if (viewStyle_ != vsReport)
        return nullptr;
    return reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0));
}

// ---- TScrollBar

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
    SetTabStop(true);
}

const TPropertyInfo* TScrollBar::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TScrollBar::Kind, &TScrollBar::SetKind>("Kind"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TWinControl::FindProperty(name);
}

void TScrollBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "SCROLLBAR");
    params.Style |= kind_ == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::CreateHandleFinished() {
    SetParams(position_, min_, max_, pageSize_);
}

void TScrollBar::SetKind(TScrollBarKind value) {
    if (value == kind_)
        return;
    kind_ = value;
    SetBounds(Left(), Top(), Height(), Width());
    RecreateWnd();
}

void TScrollBar::SetParams(int position, int min, int max, int pageSize) {
    if (max < min)
        max = min;
    pageSize =
        std::clamp(pageSize, 0,
                   static_cast<int>(std::min<long long>(static_cast<long long>(max) - min + 1, 0x7FFFFFFF)));
    const int last = std::max(min, max - std::max(pageSize - 1, 0));
    position = std::clamp(position, min, last);
    const bool moved = position != position_;
    min_ = min;
    max_ = max;
    pageSize_ = pageSize;
    position_ = position;
    if (HWND window = WindowHandle()) {
        SCROLLINFO info{sizeof info,
                        SIF_ALL | SIF_DISABLENOSCROLL,
                        min_,
                        max_,
                        static_cast<UINT>(pageSize_),
                        position_,
                        0};
        SetScrollInfo(window, SB_CTL, &info, TRUE);
    }
    if (moved && OnChange)
        OnChange(this);
}

void TScrollBar::Scroll(int code, int trackPosition) {
    int target =
        ScrollTarget(code, position_, trackPosition, min_, max_, pageSize_, smallChange_, largeChange_);
    if (OnScroll) {
        static constexpr TScrollCode codes[] = {scLineUp, scLineDown, scPageUp, scPageDown, scPosition,
                                                scTrack,  scTop,      scBottom, scEndScroll};
        OnScroll(this, code >= 0 && code <= SB_ENDSCROLL ? codes[code] : scEndScroll, target);
    }
    if (code != SB_ENDSCROLL)
        SetPosition(target);
}

void TScrollBar::WndProc(TMessage& message) {
    if (message.Msg == CN_HSCROLL || message.Msg == CN_VSCROLL) {
        int track = static_cast<short>(HIWORD(message.WParam));
        if (LOWORD(message.WParam) == SB_THUMBTRACK || LOWORD(message.WParam) == SB_THUMBPOSITION) {
            // The 16-bit position of the message is not enough for large ranges.
            SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
            if (GetScrollInfo(WindowHandle(), SB_CTL, &info))
                track = info.nTrackPos;
        }
        Scroll(LOWORD(message.WParam), track);
        message.Result = 0;
        return;
    }
    TWinControl::WndProc(message);
}
