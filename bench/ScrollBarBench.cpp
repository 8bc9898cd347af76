// The skinned scroll bar of a list box of 20,000 lines (the folder chooser's list in a folder of
// 20,000 subfolders), its thumb dragged from the top to the bottom in steps:
// - the overlay's own cost per scroll step (one paint of the bar: one off-screen bitmap, one
//   copy), target under 1 ms;
// - one scroll step as the user's drag makes it (the thumb-track request, the list's repaint
//   and, skinned, the overlay's), skinned against unskinned, target at most 1.2 times.

#include "BenchTiming.h"

#include "Application.h"
#include "Form.h"
#include "ListControls.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinStore.h"
#include "WinSubClassScroll.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr int Lines = 20000;
constexpr int Steps = 200;
constexpr int Rounds = 5;

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Milliseconds per step of a drag over the whole list.
double DragStep(HWND list) {
    const double start = NowMs();
    for (int step = 0; step <= Steps; ++step) {
        const int position = static_cast<int>(static_cast<long long>(Lines - 1) * step / Steps) & 0xFFFF;
        SendMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, position), 0);
        UpdateWindow(list);
    }
    SendMessageA(list, WM_VSCROLL, SB_ENDSCROLL, 0);
    GdiFlush();
    const double per = (NowMs() - start) / (Steps + 1);
    SendMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    UpdateWindow(list);
    return per;
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
    skin->LoadFromStore(store, 0);
    skin->EndLoading();

    auto* form = new TForm(&application);
    form->SetBounds(100, 100, 300, 420);
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 260, 360);
    list->Items().BeginUpdate();
    for (int i = 0; i < Lines; ++i)
        list->Items().Add("Folder " + std::to_string(i));
    list->Items().EndUpdate();
    form->Show();
    SetForegroundWindow(form->Handle());
    for (int i = 0; i < 30; ++i) {
        Pump();
        Sleep(20);
    }
    TSkinManage* manager = SkinManager();
    TWinSkinForm* frame = manager ? manager->FindFrame(form->Handle()) : nullptr;
    if (!frame) {
        std::printf("scroll bar bench: the form is not skinned\n");
        return 1;
    }
    HWND window = list->Handle();

    std::printf("Thumb drag over a list box of %d lines, %d steps, %d rounds\n", Lines, Steps, Rounds);
    std::vector<double> plain, skinned, overlay;
    for (int round = 0; round < Rounds; ++round) {
        plain.push_back(DragStep(window));
        auto* adapter = new TSkinScrollbar(list);
        adapter->AttachScrollbar(list, skin, frame, nullptr);
        Pump();
        TWScrollbar* bar = adapter->VerticalBar();
        skinned.push_back(DragStep(window));
        // The overlay alone: one paint per step, the thumb at each step's place.
        double paintMs = 0;
        for (int step = 0; step <= Steps; ++step) {
            const int position = static_cast<int>(static_cast<long long>(Lines - 1) * step / Steps) & 0xFFFF;
            SendMessageA(window, LB_SETTOPINDEX, static_cast<WPARAM>(position), 0);
            const double start = NowMs();
            bar->Refresh();
            GdiFlush();
            paintMs += NowMs() - start;
        }
        overlay.push_back(paintMs / (Steps + 1));
        TComponent::Free(adapter);
        Pump();
    }
    std::printf("  overlay paint per step: median %.3f ms, minimum %.3f ms (target under 1 ms)\n",
                Median(overlay), Minimum(overlay));
    std::printf("  drag step unskinned:    median %.3f ms, minimum %.3f ms\n", Median(plain), Minimum(plain));
    std::printf("  drag step skinned:      median %.3f ms, minimum %.3f ms\n", Median(skinned),
                Minimum(skinned));
    std::printf("  skinned / unskinned:    %.2f (target at most 1.2)\n",
                Median(plain) > 0 ? Median(skinned) / Median(plain) : 0.0);
    delete form;
    delete skin;
    return 0;
}
