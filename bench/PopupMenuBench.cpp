// The main window's popup menu, skinned and unskinned: from the right click on the target panel
// to the fully painted menu. The clock starts when the press and release are posted and stops
// when the menu's loop first finds nothing more to do (WM_ENTERIDLE, sent once the menu has shown
// and painted); the menu is then closed from inside its loop. Also the process's GDI and USER
// object counts around 1,000 skinned menus.

#include "BenchTiming.h"
#include "GuiObjects.h"
#include "Main.h"

#include "Application.h"
#include "ItemsPanel.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr int Rounds = 51;

double painted = -1;
bool skinnedSeen = false;

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void RunPending() {
    if (TSkinManage* manager = SkinManager())
        if (manager->PendingAction() != saNone)
            manager->RunAction();
    Pump();
}

// The menu's loop is idle: it has shown and painted. Close it from inside.
LRESULT CALLBACK Idle(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_ENTERIDLE && call->wParam == MSGF_MENU && painted < 0) {
        GdiFlush();
        painted = NowMs();
        skinnedSeen = SendMessageA(reinterpret_cast<HWND>(call->lParam), SKM_ISSKINNED, 0, 0) == 1;
        EndMenu();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// One right click to the painted menu, in milliseconds (-1 when no menu showed).
double OpenOnce(HWND panel) {
    painted = -1;
    const double start = NowMs();
    PostMessageA(panel, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    PostMessageA(panel, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    for (int i = 0; i < 200 && painted < 0; ++i) {
        Pump();
        if (painted < 0)
            Sleep(1);
    }
    Pump();
    return painted < 0 ? -1 : painted - start;
}

void Measure(const char* label, HWND panel) {
    const double first = OpenOnce(panel);
    std::vector<double> times;
    for (int round = 0; round < Rounds; ++round) {
        const double ms = OpenOnce(panel);
        if (ms >= 0)
            times.push_back(ms);
    }
    std::printf("  %-10s %8.2f %10.2f %10.2f   (%s, %zu of %d menus)\n", label, Median(times), Minimum(times),
                first, skinnedSeen ? "skinned window" : "system window", times.size(), Rounds);
}
} // namespace

int main() {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    const std::string base = std::string(folder) + "pp-menu-bench.exe";
    TApplication application;
    application.SetTitle("Perchpoints");
    DeleteFileA((base.substr(0, base.size() - 4) + ".dat").c_str());
    DeleteFileA((base.substr(0, base.size() - 4) + ".ini").c_str());
    auto* form = new TForm1(&application, base);
    form->Show();
    SetForegroundWindow(form->Handle());
    for (int i = 0; i < 20; ++i) {
        Pump();
        Sleep(20);
    }
    RunPending();
    if (!SkinManager() || !SkinManager()->FindFrame(form->Handle())) {
        std::printf("popup menu bench: the main window is not skinned\n");
        return 1;
    }
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, Idle, nullptr, GetCurrentThreadId());
    HWND panel = form->panels1->Handle();

    std::printf(
        "Right click to the fully painted popup menu, %d rounds (target: skinned median under 16.7 ms)\n",
        Rounds);
    std::printf("  %-10s %8s %10s %10s\n", "", "median", "minimum", "first");
    Measure("skinned", panel);
    form->SkinData1->SetActive(false);
    RunPending();
    Measure("unskinned", panel);
    form->SkinData1->SetActive(true);
    RunPending();

    // Objects around 1,000 skinned menus (a handful may be caches built once).
    OpenOnce(panel);
    const DWORD gdi = GdiObjectCount(), user = UserObjectCount();
    int shown = 0;
    for (int i = 0; i < 1000; ++i)
        shown += OpenOnce(panel) >= 0;
    std::printf("1,000 skinned popup menus (%d shown): GDI objects %lu -> %lu, USER objects %lu -> %lu\n",
                shown, gdi, GdiObjectCount(), user, UserObjectCount());

    UnhookWindowsHookEx(hook);
    delete form;
    return 0;
}
