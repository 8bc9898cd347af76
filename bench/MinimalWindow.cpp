// The least a Win32 program does to show a window, the yardstick for the program's start-up:
// register a class, make a window the size of the main window, paint it, run the loop. With
// PP_FIRST_PAINT_STAMP naming a file it writes there the performance counter at the end of its
// first paint, which lets the start-up benchmark check its own way of measuring.

#include <windows.h>

#include <cstdio>

namespace {
bool painted = false;

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
        TextOutA(dc, 8, 8, "Minimal", 7);
        EndPaint(window, &paint);
        if (!painted) {
            painted = true;
            StampFirstPaint();
        }
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, msg, wParam, lParam);
    }
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = "MinimalWindow";
    if (!RegisterClassA(&wc))
        return 1;
    RECT frame{0, 0, 272, 156};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND window = CreateWindowExA(0, "MinimalWindow", "Minimal", WS_OVERLAPPEDWINDOW, 859, 266,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
