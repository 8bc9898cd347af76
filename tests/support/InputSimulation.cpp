#include "InputSimulation.h"

namespace {
LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

LPARAM KeyData(WORD virtualKey, bool alt, bool release) {
    UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM data = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
    if (alt)
        data |= static_cast<LPARAM>(KF_ALTDOWN) << 16;
    if (release)
        data |= (static_cast<LPARAM>(KF_REPEAT) | KF_UP) << 16;
    return data;
}
} // namespace

void PostMouse(HWND window, UINT message, int x, int y, WPARAM keys) {
    PostMessageA(window, message, keys, Point(x, y));
}

void PostLeftClick(HWND window, int x, int y) {
    PostMouse(window, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    PostMouse(window, WM_LBUTTONUP, x, y, 0);
}

void PostRightClick(HWND window, int x, int y) {
    PostMouse(window, WM_RBUTTONDOWN, x, y, MK_RBUTTON);
    PostMouse(window, WM_RBUTTONUP, x, y, 0);
}

void PostLeftDrag(HWND window, POINT from, POINT to) {
    PostMouse(window, WM_LBUTTONDOWN, from.x, from.y, MK_LBUTTON);
    PostMouse(window, WM_MOUSEMOVE, to.x, to.y, MK_LBUTTON);
    PostMouse(window, WM_LBUTTONUP, to.x, to.y, 0);
}

void PostWheel(HWND window, int notches) {
    // The wheel message carries the pointer in screen coordinates.
    RECT r{};
    GetWindowRect(window, &r);
    auto delta = static_cast<short>(notches * WHEEL_DELTA);
    PostMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                 Point(r.left + 1, r.top + 1));
}

void PostKey(HWND window, WORD virtualKey, bool alt) {
    PostMessageA(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, KeyData(virtualKey, alt, false));
    PostMessageA(window, alt ? WM_SYSKEYUP : WM_KEYUP, virtualKey, KeyData(virtualKey, alt, true));
}

void PostContextMenuKey(HWND window) {
    PostMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(0xFFFF, 0xFFFF));
}

bool MovePointerTo(int x, int y, DWORD timeoutMs) {
    SetCursorPos(x, y);
    const DWORD start = GetTickCount();
    for (;;) {
        POINT at{};
        if (GetCursorPos(&at) && at.x == x && at.y == y)
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(1);
    }
}
