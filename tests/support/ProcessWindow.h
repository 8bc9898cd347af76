#pragma once
// The window another process shows: for tests and benchmarks that start the program as a
// process of its own.

#include <windows.h>

// A visible top-level window with a caption that belongs to the process; nullptr while it has none.
inline HWND VisibleCaptionWindowOf(DWORD process) {
    struct TSearch {
        DWORD Process;
        HWND Found;
    } search{process, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->Process && IsWindowVisible(window) &&
                (GetWindowLongA(window, GWL_STYLE) & WS_CAPTION)) {
                s->Found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}
