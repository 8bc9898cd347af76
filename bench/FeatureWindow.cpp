// The minimal window program with one or more of the program's start-up features switched on
// by name on the command line, for the start-up feature benchmark: what each one adds to the
// time until the first painted frame. With no names it does what MinimalWindow.cpp does.
//
//   shell32 ole32 comctl32 mpr msimg32 comdlg32   load that DLL before anything else
//   owner     a hidden owner window made first, as the application object makes
//   topmost   WS_EX_TOPMOST
//   layered   WS_EX_LAYERED with alpha 210 set before the window shows
//   region    a window region set before the window shows
//   font      an "Arial" font made and painted with
//   drop      DragAcceptFiles on the window (loads shell32)
//   children  six child windows (panels, a check box, a static), as the main window has
//   msgwnd    two message-only windows (timer and releaser windows)
//   hook      a thread-local WH_CBT hook around the window's creation
//   timer     a timer started before the window shows
//   ncframe   the window sizes and paints its own frame (WM_NCCALCSIZE, WM_NCPAINT) as a skin does
//   icon      the class has the system's application icon, small one loaded with LoadImage
//   lateshow  the window is shown through SetWindowPos(SWP_SHOWWINDOW) instead of ShowWindow
//
// Built with PP_WITH_IMPORTS it is bound at load to the DLLs the program once bound; built with
// FeatureWindowManifest.rc it carries the program's manifest.

#include <windows.h>
#ifdef PP_WITH_IMPORTS
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <winnetwk.h>
#endif

#include <cstdio>
#include <cstring>
#include <string>

namespace {
bool painted = false;
bool useFont = false;
bool ownFrame = false;
HFONT font = nullptr;

void StampFirstPaint() {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("PP_FIRST_PAINT_STAMP", path, sizeof path))
        return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    char text[32];
    int length = std::snprintf(text, sizeof text, "%lld", now.QuadPart);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
        HGDIOBJ old = useFont && font ? SelectObject(dc, font) : nullptr;
        TextOutA(dc, 8, 8, "Minimal", 7);
        if (old)
            SelectObject(dc, old);
        EndPaint(window, &paint);
        if (!painted) {
            painted = true;
            StampFirstPaint();
        }
        return 0;
    }
    case WM_NCCALCSIZE:
        if (!ownFrame)
            break;
        if (auto* rect = reinterpret_cast<RECT*>(lParam)) {
            rect->left += 4;
            rect->top += 22;
            rect->right -= 4;
            rect->bottom -= 4;
        }
        return 0;
    case WM_NCPAINT:
        if (!ownFrame)
            break;
        if (HDC dc = GetWindowDC(window)) {
            RECT r;
            GetWindowRect(window, &r);
            OffsetRect(&r, -r.left, -r.top);
            HRGN outer = CreateRectRgnIndirect(&r);
            HRGN inner = CreateRectRgn(4, 22, r.right - 4, r.bottom - 4);
            CombineRgn(outer, outer, inner, RGN_DIFF);
            FillRgn(dc, outer, GetSysColorBrush(COLOR_ACTIVECAPTION));
            DeleteObject(inner);
            DeleteObject(outer);
            ReleaseDC(window, dc);
        }
        return 0;
    case WM_NCACTIVATE:
        if (!ownFrame)
            break;
        SendMessageA(window, WM_NCPAINT, 1, 0);
        return TRUE;
    case WM_TIMER:
        KillTimer(window, wParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Has(const char* commandLine, const char* name) {
    std::string line = std::string(" ") + commandLine + " ";
    return line.find(std::string(" ") + name + " ") != std::string::npos;
}
} // namespace

#ifdef PP_WITH_IMPORTS
// The program's own imports, bound at load time.
void* volatile imported[] = {
    reinterpret_cast<void*>(&ImageList_Create), reinterpret_cast<void*>(&DragAcceptFiles),
    reinterpret_cast<void*>(&CoInitializeEx), reinterpret_cast<void*>(&WNetGetConnectionA),
    reinterpret_cast<void*>(&TransparentBlt)};
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    for (const char* dll : {"shell32", "ole32", "comctl32", "mpr", "msimg32", "comdlg32"})
        if (Has(commandLine, dll))
            LoadLibraryA((std::string(dll) + ".dll").c_str());
    useFont = Has(commandLine, "font");
    if (useFont)
        font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    if (Has(commandLine, "icon")) {
        wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        LoadImageA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    }
    wc.lpszClassName = "MinimalWindow";
    if (!RegisterClassA(&wc))
        return 1;
    HWND owner = nullptr;
    if (Has(commandLine, "owner"))
        owner =
            CreateWindowExA(0, "MinimalWindow", "Owner", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                            0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (Has(commandLine, "msgwnd"))
        for (int i = 0; i < 2; ++i)
            CreateWindowExA(0, "MinimalWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    HHOOK hook = Has(commandLine, "hook") ? SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId())
                                          : nullptr;

    DWORD exStyle = 0;
    if (Has(commandLine, "topmost"))
        exStyle |= WS_EX_TOPMOST;
    if (Has(commandLine, "layered"))
        exStyle |= WS_EX_LAYERED;
    ownFrame = Has(commandLine, "ncframe");
    DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, 272, 156};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND window =
        CreateWindowExA(exStyle, "MinimalWindow", "Minimal", style, 859, 266, frame.right - frame.left,
                        frame.bottom - frame.top, owner, nullptr, instance, nullptr);
    if (!window)
        return 1;
    if (hook)
        UnhookWindowsHookEx(hook);
    if (exStyle & WS_EX_LAYERED)
        SetLayeredWindowAttributes(window, 0, 210, LWA_ALPHA);
    if (Has(commandLine, "region"))
        SetWindowRgn(window,
                     CreateRoundRectRgn(0, 0, frame.right - frame.left, frame.bottom - frame.top, 8, 8),
                     FALSE);
    if (Has(commandLine, "drop")) {
        using TDragAccept = void(WINAPI*)(HWND, BOOL);
        HMODULE shell = LoadLibraryA("shell32.dll");
        if (auto accept = reinterpret_cast<TDragAccept>(
                reinterpret_cast<void*>(GetProcAddress(shell, "DragAcceptFiles"))))
            accept(window, TRUE);
    }
    if (Has(commandLine, "children")) {
        HWND panel = CreateWindowExA(0, "MinimalWindow", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                     272, 132, window, reinterpret_cast<HMENU>(0x100), instance, nullptr);
        HWND strip = CreateWindowExA(0, "MinimalWindow", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 132,
                                     272, 24, window, reinterpret_cast<HMENU>(0x101), instance, nullptr);
        CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 29, 6, 16, 13, strip,
                        reinterpret_cast<HMENU>(0x102), instance, nullptr);
        CreateWindowExA(0, "STATIC", "Copy Files", WS_CHILD | WS_VISIBLE, 48, 4, 58, 15, strip,
                        reinterpret_cast<HMENU>(0x103), instance, nullptr);
        CreateWindowExA(0, "MinimalWindow", "", WS_CHILD | WS_VISIBLE, 8, 4, 17, 17, strip,
                        reinterpret_cast<HMENU>(0x104), instance, nullptr);
        CreateWindowExA(0, "MinimalWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, panel,
                        reinterpret_cast<HMENU>(0x105), instance, nullptr);
    }
    if (Has(commandLine, "timer"))
        SetTimer(window, 1, 5000, nullptr);
    if (Has(commandLine, "lateshow"))
        SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    else
        ShowWindow(window, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (font)
        DeleteObject(font);
    return 0;
}
