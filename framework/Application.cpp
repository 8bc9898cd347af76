#include "Application.h"

#include "Form.h"
#include "HintWindow.h"
#include "Screen.h"
#include "SysUtils.h"
#include "WinControl.h"

#include <algorithm>

TApplication* Application = nullptr;

namespace {
constexpr UINT_PTR HintShowTimer = 1;
constexpr UINT_PTR HintHideTimer = 2;
constexpr UINT WM_APP_RELEASE = WM_USER + 0x21;
constexpr UINT WM_APP_ERROR = WM_USER + 0x22;
} // namespace

void HandleApplicationException(const std::exception& error) {
    if (Application)
        Application->HandleException(error);
    else
        MessageBoxA(nullptr, error.what(), "Error", MB_OK | MB_ICONSTOP);
}

bool PaintingMessage(UINT msg) noexcept {
    switch (msg) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_NCACTIVATE:
    case WM_NCCALCSIZE:
    case WM_NCHITTEST:
    case WM_PRINT:
    case WM_PRINTCLIENT:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORMSGBOX:
        return true;
    default:
        return false;
    }
}

void HandleCurrentException(bool deferDialog) noexcept {
    try {
        std::string text = "Unknown error";
        try {
            throw;
        } catch (const std::exception& error) {
            if (!deferDialog || !Application) {
                HandleApplicationException(error);
                return;
            }
            text = error.what();
        } catch (...) {
            if (!deferDialog || !Application) {
                HandleApplicationException(Exception(text));
                return;
            }
        }
        Application->HandleExceptionLater(text);
    } catch (...) {
        // The handler itself failed (no memory for the text): nothing more can be done here.
    }
}

TApplication::TApplication() : TComponent(nullptr) {
    Application = this;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    icon_ = LoadIconA(instance, "MAINICON");
    smallIcon_ =
        static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
    if (!icon_)
        icon_ = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    if (!smallIcon_)
        smallIcon_ = icon_;

    WNDCLASSA wc{};
    wc.lpfnWndProc = AppWindowProc;
    wc.hInstance = instance;
    wc.hIcon = icon_;
    wc.lpszClassName = "TApplication";
    RegisterClassA(&wc);
    title_ = ChangeFileExt(ExtractFileName(ExeFileName()), "");
    // Never shown: it owns the forms and the shell's dialogs.
    handle_ = CreateWindowExA(0, "TApplication", title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0,
                              0, nullptr, nullptr, instance, nullptr);
    SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    hintWindow_ = new THintWindow(this);
}

TApplication::~TApplication() {
    CancelHint();
    FreeReleased();
    // Forms and every other owned component go before the window they hang on.
    while (ComponentCount() > 0)
        TComponent::Free(Component(ComponentCount() - 1));
    mainForm_ = nullptr;
    hintWindow_ = nullptr;
    if (handle_)
        DestroyWindow(handle_);
    if (Application == this)
        Application = nullptr;
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == mainForm_)
        mainForm_ = nullptr;
    if (component == hintControl_)
        hintControl_ = nullptr;
    if (component == hintWindow_)
        hintWindow_ = nullptr;
    released_.erase(std::remove(released_.begin(), released_.end(), component), released_.end());
}

void TApplication::SetTitle(const std::string& title) {
    if (title == title_)
        return;
    title_ = title;
    SetWindowTextA(handle_, title_.c_str());
}

void TApplication::Run() {
    if (mainForm_ && showMainForm_)
        mainForm_->Show();
    while (!terminated_)
        HandleMessage();
}

void TApplication::Terminate() {
    if (!terminated_)
        PostQuitMessage(0);
    terminated_ = true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        ProcessMessage(msg);
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            terminated_ = true;
        else
            ProcessMessage(msg);
        return;
    }
    if (OnIdle) {
        try {
            OnIdle(this);
        } catch (const std::exception& error) {
            HandleException(error);
        }
    }
    WaitMessage();
}

bool TApplication::IsKeyMsg(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    HWND window = msg.hwnd;
    TWinControl* control = nullptr;
    // Up through child windows only: a pop-up of the system's (a picker's open calendar) has its
    // own keys, and its owner's dialog keys must not take them.
    while (window && !(control = FindControl(window))) {
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
            return false;
        window = GetParent(window);
    }
    if (!control)
        return false;
    // Keyboard use shows the focus rectangles and access-key underlines, as
    // system dialogs do once a key is pressed.
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        WORD cues = 0;
        if (msg.wParam == VK_TAB || (msg.wParam >= VK_LEFT && msg.wParam <= VK_DOWN))
            cues = UISF_HIDEFOCUS;
        else if (msg.message == WM_SYSKEYDOWN || msg.wParam == VK_MENU)
            cues = UISF_HIDEACCEL | UISF_HIDEFOCUS;
        if (cues)
            if (HWND root = GetAncestor(msg.hwnd, GA_ROOT))
                SendMessageA(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, cues), 0);
    }
    return SendMessageA(control->Handle(), CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& msg) {
    try {
        if (msg.message == WM_MOUSEMOVE ||
            (msg.message >= WM_LBUTTONDOWN && msg.message <= WM_MBUTTONDBLCLK) || msg.message == WM_KEYDOWN ||
            msg.message == WM_SYSKEYDOWN) {
            TControl* control = FindControl(msg.hwnd);
            if (control && msg.message == WM_MOUSEMOVE) {
                auto* windowed = static_cast<TWinControl*>(control);
                POINT p{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
                if (TControl* child = windowed->ControlAtPos(p))
                    control = child;
            }
            HintMouseMessage(control, msg);
        }
        if (IsKeyMsg(msg))
            return true;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    } catch (...) {
        HandleCurrentException();
    }
    FreeReleased();
    return true;
}

void TApplication::ReleaseLater(TComponent* component) {
    if (std::find(released_.begin(), released_.end(), component) == released_.end()) {
        released_.push_back(component);
        component->FreeNotification(this);
    }
    PostMessageA(handle_, WM_APP_RELEASE, 0, 0);
}

void TApplication::FreeReleased() {
    while (!released_.empty()) {
        TComponent* component = released_.back();
        released_.pop_back();
        component->RemoveFreeNotification(this);
        TComponent::Free(component);
    }
}

void TApplication::HandleException(const std::exception& error) {
    if (OnException)
        OnException(this, error);
    else
        ShowException(error);
}

void TApplication::ShowException(const std::exception& error) {
    // The text as the error gives it: file errors carry their own wording and punctuation.
    ShowMessageBox(error.what(), title_, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleExceptionLater(const std::string& text) {
    const bool first = laterErrors_.empty();
    laterErrors_.push_back(text);
    if (first && handle_)
        PostMessageA(handle_, WM_APP_ERROR, 0, 0);
}

int TApplication::ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) {
    HWND owner = GetActiveWindow();
    if (!owner)
        owner = handle_;
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

// ---- hints

void TApplication::SetShowHint(bool value) {
    showHint_ = value;
    if (!value)
        CancelHint();
}

THintWindow* TApplication::HintWindow() const {
    return hintWindow_;
}

bool TApplication::HintShowing() const {
    return hintWindow_ && hintWindow_->Showing();
}

void TApplication::CancelHint() {
    KillTimer(handle_, HintShowTimer);
    KillTimer(handle_, HintHideTimer);
    if (hintWindow_)
        hintWindow_->ReleaseHandle();
    if (hintControl_) {
        hintControl_->RemoveFreeNotification(this);
        hintControl_ = nullptr;
    }
}

void TApplication::HintMouseMessage(TControl* control, const MSG& msg) {
    if (msg.message != WM_MOUSEMOVE) {
        CancelHint();
        return;
    }
    if (control == hintControl_)
        return;
    CancelHint();
    if (!control || !showHint_ || !control->ShowHint() || control->Hint().empty())
        return;
    hintControl_ = control;
    control->FreeNotification(this);
    SetTimer(handle_, HintShowTimer, static_cast<UINT>(hintPause_), nullptr);
}

void TApplication::ShowHintNow() {
    KillTimer(handle_, HintShowTimer);
    if (!hintControl_ || !hintWindow_)
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    // Only while the mouse still rests on the control.
    POINT local = hintControl_->ScreenToClient(cursor);
    RECT client = hintControl_->ClientRect();
    if (!PtInRect(&client, local))
        return;
    RECT rect = hintWindow_->CalcHintRect(300, hintControl_->Hint());
    OffsetRect(&rect, cursor.x, cursor.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4);
    hintWindow_->ActivateHint(rect, hintControl_->Hint());
    SetTimer(handle_, HintHideTimer, static_cast<UINT>(hintHidePause_), nullptr);
}

LRESULT CALLBACK TApplication::AppWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!app)
        return DefWindowProcA(window, msg, wParam, lParam);
    try {
        return app->WndProc(msg, wParam, lParam);
    } catch (...) {
        HandleCurrentException();
    }
    return 0;
}

LRESULT TApplication::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == HintShowTimer)
            ShowHintNow();
        else if (wParam == HintHideTimer)
            CancelHint();
        return 0;
    case WM_CLOSE:
        if (mainForm_)
            mainForm_->Close();
        return 0;
    case WM_APP_ERROR: {
        std::vector<std::string> errors;
        errors.swap(laterErrors_);
        for (const std::string& text : errors)
            HandleException(Exception(text));
        return 0;
    }
    case WM_APP_RELEASE:
        FreeReleased();
        return 0;
    default:
        return DefWindowProcA(handle_, msg, wParam, lParam);
    }
}

// ---- modal helpers

std::vector<HWND> DisableTaskWindows(HWND except) {
    struct TContext {
        HWND except;
        std::vector<HWND> windows;
    } context{except, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            auto* ctx = reinterpret_cast<TContext*>(param);
            if (window != ctx->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
                ctx->windows.push_back(window);
                EnableWindow(window, FALSE);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&context));
    return context.windows;
}

void EnableTaskWindows(const std::vector<HWND>& windows) {
    for (HWND window : windows)
        if (IsWindow(window))
            EnableWindow(window, TRUE);
}
