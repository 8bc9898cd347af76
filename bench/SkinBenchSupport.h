#pragma once
// Steps shared by the benchmarks of skinned windows: the queue emptied, a window repainted
// whole, and the skin manager's deferred action run at once instead of after its pause.

#include "WinSkinDlg.h"

#include <windows.h>

inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

inline void Repaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
}

inline void RunPending() {
    if (TSkinManage* manager = SkinManager())
        if (manager->PendingAction() != saNone)
            manager->RunAction();
}
