#include "DialogAnswerer.h"

#include "TestApplication.h"

#include "Control.h"
#include "WinControl.h"

#include <algorithm>
#include <chrono>

namespace {
std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The caption without asking the window's thread (which may be busy): helper threads use it.
std::string CaptionOf(HWND window) {
    wchar_t text[512] = {};
    int length = InternalGetWindowText(window, text, 512);
    char ansi[1024] = {};
    int n = WideCharToMultiByte(CP_ACP, 0, text, length, ansi, sizeof ansi, nullptr, nullptr);
    return std::string(ansi, static_cast<size_t>(n > 0 ? n : 0));
}

std::string WithoutAmpersands(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    return text;
}

bool IsButtonClass(const std::string& name) {
    return _stricmp(name.c_str(), "Button") == 0 || name == "TButton";
}
bool IsEditClass(const std::string& name) {
    return _stricmp(name.c_str(), "Edit") == 0 || name == "TEdit";
}

bool IsPushButton(HWND window) {
    LONG type = GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK;
    return IsButtonClass(ClassOf(window)) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

void AppendLine(std::string& text, const std::string& line) {
    if (line.empty())
        return;
    if (!text.empty())
        text += '\n';
    text += line;
}

std::string WindowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Runs on the user-interface thread: the toolkit's windowless labels and images are only
// reachable there.
void Inspect(HWND window, TDialogReport& report) {
    report.ClassName = ClassOf(window);
    report.Caption = WindowText(window);
    if (report.ClassName == "#32768") {
        auto menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
        int count = menu ? GetMenuItemCount(menu) : 0;
        for (int i = 0; i < count; ++i) {
            char caption[256] = {};
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
            info.dwTypeData = caption;
            info.cch = sizeof caption;
            GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
            TMenuEntry entry;
            entry.Caption = (info.fType & MFT_SEPARATOR) ? "-" : caption;
            entry.Checked = (info.fState & MFS_CHECKED) != 0;
            entry.Enabled = (info.fState & MFS_DISABLED) == 0;
            report.MenuItems.push_back(entry);
        }
        return;
    }
    for (HWND child : Children(window)) {
        std::string name = ClassOf(child);
        if (IsPushButton(child)) {
            report.Buttons.push_back(WindowText(child));
        } else if (_stricmp(name.c_str(), "Static") == 0) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                ++report.Icons;
            else
                AppendLine(report.Text, WindowText(child));
        }
    }
    if (TWinControl* form = FindControl(window)) {
        for (TControl* control : form->ControlList()) {
            if (control->IsWindowed())
                continue;
            if (std::string(control->ClassName()) == "TImage")
                ++report.Icons;
            else
                AppendLine(report.Text, control->Caption());
        }
    }
}
} // namespace

TAnswer TAnswer::Press(std::string className, std::string button, std::string caption) {
    TAnswer answer;
    answer.ClassName = std::move(className);
    answer.Button = std::move(button);
    answer.Caption = std::move(caption);
    return answer;
}

TAnswer TAnswer::PressId(std::string className, int buttonId, std::string caption) {
    TAnswer answer;
    answer.ClassName = std::move(className);
    answer.ButtonId = buttonId;
    answer.Caption = std::move(caption);
    return answer;
}

TAnswer TAnswer::Close(std::string className, std::string caption) {
    TAnswer answer;
    answer.ClassName = std::move(className);
    answer.CloseWindow = true;
    answer.Caption = std::move(caption);
    return answer;
}

TAnswer TAnswer::ChooseMenu(std::string item) {
    TAnswer answer;
    answer.ClassName = "#32768";
    answer.MenuItem = std::move(item);
    return answer;
}

TAnswer& TAnswer::Typing(std::string text) {
    Input = std::move(text);
    return *this;
}

TAnswer& TAnswer::Within(unsigned timeoutMs) {
    TimeoutMs = timeoutMs;
    return *this;
}

TDialogAnswerer::TDialogAnswerer(TAnswer answer) : answer_(std::move(answer)) {
    TestApplication();
    thread_ = std::thread([this] { Run(); });
}

TDialogAnswerer::~TDialogAnswerer() {
    stop_ = true;
    // The thread may be waiting for this thread to run its inspection.
    PumpUntil([this] { return done_.load(); }, 10000);
    if (thread_.joinable())
        thread_.join();
}

const TDialogReport& TDialogAnswerer::Wait() {
    PumpUntil([this] { return done_.load(); }, answer_.TimeoutMs + 10000);
    if (done_ && thread_.joinable())
        thread_.join();
    return report_;
}

HWND TDialogAnswerer::FindWindowNow() const {
    struct TSearch {
        const TAnswer* Answer;
        HWND Found;
    } search{&answer_, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(param);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process != GetCurrentProcessId() || !IsWindowVisible(window))
                return TRUE;
            if (ClassOf(window) != s->Answer->ClassName)
                return TRUE;
            if (!s->Answer->Caption.empty() && CaptionOf(window) != s->Answer->Caption)
                return TRUE;
            s->Found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

void TDialogAnswerer::Run() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(answer_.TimeoutMs);
    while (!stop_ && std::chrono::steady_clock::now() < deadline) {
        if (HWND window = FindWindowNow()) {
            report_.Found = true;
            if (RunOnUiThread([&] { Inspect(window, report_); }))
                Act(window);
            break;
        }
        Sleep(15);
    }
    done_ = true;
}

void TDialogAnswerer::Act(HWND window) {
    if (report_.ClassName == "#32768") {
        if (answer_.MenuItem.empty()) {
            PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
            report_.Answered = true;
            return;
        }
        // Each Down moves to the next item that is not a separator, starting before the first.
        int downs = 0;
        for (const TMenuEntry& entry : report_.MenuItems) {
            if (entry.Caption == "-")
                continue;
            ++downs;
            if (entry.Caption == answer_.MenuItem) {
                for (int i = 0; i < downs; ++i)
                    PostMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
                PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
                report_.Answered = true;
                return;
            }
        }
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0); // no such item: do not leave it open
        return;
    }
    std::vector<HWND> children = Children(window);
    if (!answer_.Input.empty()) {
        auto edit =
            std::find_if(children.begin(), children.end(), [](HWND c) { return IsEditClass(ClassOf(c)); });
        if (edit == children.end()) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            return;
        }
        for (char c : answer_.Input)
            PostMessageA(*edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    if (answer_.CloseWindow) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        report_.Answered = true;
        return;
    }
    HWND button = nullptr;
    if (answer_.ButtonId != 0) {
        button = GetDlgItem(window, answer_.ButtonId);
    } else {
        for (HWND child : children)
            if (IsPushButton(child) &&
                WithoutAmpersands(CaptionOf(child)) == WithoutAmpersands(answer_.Button))
                button = child;
    }
    if (button) {
        PostMessageA(button, BM_CLICK, 0, 0);
        report_.Answered = true;
    } else if (answer_.ButtonId != 0) {
        PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(answer_.ButtonId), 0);
        report_.Answered = true;
    } else {
        PostMessageA(window, WM_CLOSE, 0, 0); // asked for a button it does not have
    }
}
