// The skinned frame's costs on the real main window:
// - "Change skin" to the fully repainted window (frame and client), per skin: the skin is
//   unpacked, the deferred refresh runs at once instead of after its 250 ms pause, and the
//   window is repainted before the clock stops;
// - one full non-client paint and one window-region build of a 1920 x 1080 window;
// - the process's GDI and USER object counts around 1,000 skin changes and 1,000 switches off
//   and on (what is left over is a leak).

#include "BenchTiming.h"
#include "GuiObjects.h"
#include "Main.h"
#include "SkinBenchSupport.h"

#include "Application.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr int Rounds = 21;

DWORD Objects(DWORD kind) {
    return kind == GR_GDIOBJECTS ? GdiObjectCount() : UserObjectCount();
}
} // namespace

int main() {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    const std::string base = std::string(folder) + "pp-skin-bench.exe";
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
    Pump();
    TSkinManage* manager = SkinManager();
    if (!manager || !manager->FindFrame(form->Handle())) {
        std::printf("skin bench: the main window is not skinned\n");
        return 1;
    }
    const int skins = form->SkinStore1->Store().Count();

    std::printf(
        "Change skin to the fully repainted window, %d rounds per skin (target: median under 16.7 ms)\n",
        Rounds);
    std::printf("  skin   median ms   minimum ms\n");
    for (int skin = 0; skin < skins; ++skin) {
        std::vector<double> times, loads, applies;
        for (int round = 0; round < Rounds; ++round) {
            // From the skin before it, as the menu steps.
            form->SkinData1->LoadFromStore(*form->SkinStore1, (skin + skins - 1) % skins);
            RunPending();
            Repaint(form->Handle());
            Pump();
            const double start = NowMs();
            form->SkinData1->LoadFromStore(*form->SkinStore1, skin);
            const double loaded = NowMs();
            RunPending();
            const double applied = NowMs();
            Repaint(form->Handle());
            times.push_back(NowMs() - start);
            loads.push_back(loaded - start);
            applies.push_back(applied - loaded);
            Pump();
        }
        std::printf("  %4d   %9.2f   %10.2f   (unpacking %.2f, applying %.2f, repainting the rest)\n", skin,
                    Median(times), Minimum(times), Median(loads), Median(applies));
    }

    // A big window: the frame paint and the region build for 1920 x 1080.
    form->SkinData1->LoadFromStore(*form->SkinStore1, 2);
    RunPending();
    form->Constraints().SetMaxWidth(0);
    SetWindowPos(form->Handle(), nullptr, 0, 0, 1920, 1080, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    TWinSkinForm* frame = manager->FindFrame(form->Handle());
    std::vector<double> paints, regions;
    for (int round = 0; round < Rounds; ++round) {
        double start = NowMs();
        frame->PaintNonClient();
        GdiFlush();
        paints.push_back(NowMs() - start);
        frame->RemoveRegion();
        start = NowMs();
        frame->UpdateRegion();
        regions.push_back(NowMs() - start);
    }
    RECT window{};
    GetWindowRect(form->Handle(), &window);
    std::printf(
        "1920 x 1080 window (actual %ld x %ld), %d rounds: non-client paint median %.2f ms (min %.2f); "
        "region build median %.2f ms (min %.2f)\n",
        window.right - window.left, window.bottom - window.top, Rounds, Median(paints), Minimum(paints),
        Median(regions), Minimum(regions));
    SetWindowPos(form->Handle(), nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    Pump();

    // Leaks: object counts around many changes and switches.
    const DWORD gdiBefore = Objects(GR_GDIOBJECTS), userBefore = Objects(GR_USEROBJECTS);
    for (int i = 0; i < 1000; ++i) {
        form->SkinData1->LoadFromStore(*form->SkinStore1, i % skins);
        RunPending();
        if (i % 50 == 0)
            Pump();
    }
    Pump();
    const DWORD gdiChanges = Objects(GR_GDIOBJECTS), userChanges = Objects(GR_USEROBJECTS);
    for (int i = 0; i < 1000; ++i) {
        form->SkinData1->SetActive(!form->SkinData1->Active());
        RunPending();
        if (i % 50 == 0)
            Pump();
    }
    Pump();
    const DWORD gdiToggles = Objects(GR_GDIOBJECTS), userToggles = Objects(GR_USEROBJECTS);
    std::printf(
        "GDI objects: %lu before, %lu after 1,000 skin changes, %lu after 1,000 switches off and on\n",
        gdiBefore, gdiChanges, gdiToggles);
    std::printf(
        "USER objects: %lu before, %lu after 1,000 skin changes, %lu after 1,000 switches off and on\n",
        userBefore, userChanges, userToggles);
    std::printf("skinned at the end: %s\n", manager->FindFrame(form->Handle()) ? "yes" : "no");
    form->Close();
    Pump();
    FreeSkinManager();
    return 0;
}
