// The skinned menu bar against the system's own, on a form with a main menu:
// - one round of opening the first popup, moving to the next with Right and closing with
//   Escape, the keys queued beforehand so that nothing waits for a person (skinned: a click on
//   the first button; the system's menu bar: Alt+F);
// - the process's GDI and USER object counts around 1,000 skinned rounds (what is left over is
//   a leak).

#include "BenchTiming.h"
#include "GuiObjects.h"

#include "Application.h"
#include "Form.h"
#include "Menus.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinFormMenuBar.h"
#include "WinSkinStore.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {
void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void PumpFor(double ms) {
    const double end = NowMs() + ms;
    while (NowMs() < end) {
        Pump();
        Sleep(1);
    }
}

TMenuItem* AddItem(TForm& form, TMenuItem& parent, const char* caption) {
    auto* item = new TMenuItem(&form);
    item->SetCaption(caption);
    parent.Add(item);
    return item;
}

// Opens the first popup, moves right once and closes; returns the milliseconds it took.
double Round(HWND window, bool skinned) {
    const double start = NowMs();
    if (skinned) {
        TWinSkinForm* frame = SkinManager()->FindFrame(window);
        const TMenuBtn& first = *frame->SkinMenuBar()->Buttons().front();
        RECT outer{};
        GetWindowRect(window, &outer);
        const LPARAM at = MAKELPARAM(outer.left + (first.BoundsRect.Left + first.BoundsRect.Right) / 2,
                                     outer.top + (first.BoundsRect.Top + first.BoundsRect.Bottom) / 2);
        PostMessageA(window, WM_NCLBUTTONDOWN, HTMENU, at);
    } else {
        PostMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 'f');
    }
    PostMessageA(window, WM_KEYDOWN, VK_RIGHT, 0);
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    if (!skinned)
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    return NowMs() - start;
}
} // namespace

int main() {
    TApplication application;
    application.SetTitle("Perchpoints");
    TSkinStore store(nullptr);
    LoadSkinStoreResources(store, GetModuleHandleA(nullptr));
    auto* skin = new TSkinData(nullptr);
    skin->BeginLoading();
    skin->SetActive(true);
    skin->LoadFromStore(store, 2);
    skin->EndLoading();

    auto* form = new TForm(&application);
    form->SetCaption("Menu bar");
    form->SetBounds(100, 100, 420, 260);
    auto* menu = new TMainMenu(form);
    const char* const tops[] = {"&File", "&Edit", "&View", "&Help"};
    for (const char* top : tops) {
        TMenuItem* item = AddItem(*form, menu->Items(), top);
        for (const char* sub : {"&One", "&Two", "-", "&Three"})
            AddItem(*form, *item, sub);
    }
    form->SetMenu(menu);
    form->Show();
    SetForegroundWindow(form->Handle());
    PumpFor(600);
    const HWND window = form->Handle();
    if (!SkinManager() || !SkinManager()->FindFrame(window) ||
        !SkinManager()->FindFrame(window)->SkinMenuBar()) {
        std::printf("menu bar: the form was not skinned\n");
        return 1;
    }

    constexpr int Rounds = 101;
    std::vector<double> skinnedTimes, nativeTimes;
    Round(window, true);
    for (int i = 0; i < Rounds; ++i)
        skinnedTimes.push_back(Round(window, true));

    const DWORD gdi = GdiObjectCount(), user = UserObjectCount();
    for (int i = 0; i < 1000; ++i)
        Round(window, true);
    Pump();
    const DWORD gdiAfter = GdiObjectCount(), userAfter = UserObjectCount();

    skin->SetActive(false);
    PumpFor(600);
    if (SkinManager()->FindFrame(window) || !GetMenu(window)) {
        std::printf("menu bar: skinning did not switch off\n");
        return 1;
    }
    Round(window, false);
    for (int i = 0; i < Rounds; ++i)
        nativeTimes.push_back(Round(window, false));

    std::printf("menu bar: open, Right, Escape: skinned %.2f ms, system %.2f ms (median of %d; ratio %.2f)\n",
                Median(skinnedTimes), Median(nativeTimes), Rounds,
                Median(nativeTimes) > 0 ? Median(skinnedTimes) / Median(nativeTimes) : 0.0);
    std::printf("menu bar: 1,000 skinned rounds: GDI objects %lu -> %lu, USER objects %lu -> %lu\n", gdi,
                gdiAfter, user, userAfter);
    TComponent::Free(form);
    TComponent::Free(skin);
    FreeSkinManager();
    return 0;
}
