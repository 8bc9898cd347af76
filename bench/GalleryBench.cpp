// The skin gallery, the window with every control kind the skin engine draws:
// - opening it skinned and unskinned: from the form's construction until it is shown with every
//   paint done (skinned: its frame running and the deferred start behind it). Unskinned, the
//   skin is switched off before the window is first shown; the skin is still unpacked, as the
//   program does at its start either way. Rounds alternate between the two.
// - one "Change skin" with the gallery open, per skin: the skin unpacked, the deferred refresh
//   run at once instead of after its pause, and the window with all its controls repainted.
// - the same with the MDI gallery open: its frame, tool bar and two document windows.

#include "BenchTiming.h"
#include "SkinBenchSupport.h"

#include "Application.h"
#include "GalleryForm.h"
#include "GalleryMDIForm.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSubClass.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {
constexpr int OpenRounds = 15;
constexpr int ChangeRounds = 11;

bool Running(HWND window) {
    TWinSkinForm* frame = SkinManager() ? SkinManager()->FindFrame(window) : nullptr;
    return frame && frame->FrameState() == fsRunning;
}

// "Change skin" with the MDI gallery open, each skin from the one before it; false when the MDI
// gallery never got its frame.
bool MdiChangeSkin(TApplication& application, int skins) {
    auto* form = new TGalleryMDIForm(&application);
    form->Show();
    SetForegroundWindow(form->Handle());
    for (int i = 0; i < 200 && !Running(form->Handle()); ++i) {
        Pump();
        RunPending();
        Sleep(10);
    }
    if (!Running(form->Handle())) {
        TComponent::Free(form);
        return false;
    }
    std::printf("Change skin with the MDI gallery open, %d rounds per skin (target: median under 33 ms)\n",
                ChangeRounds);
    std::printf("  skin   median ms   minimum ms\n");
    std::vector<double> all;
    for (int skin = 0; skin < skins; ++skin) {
        std::vector<double> times;
        for (int round = 0; round < ChangeRounds; ++round) {
            form->ShowSkin(skin + skins - 1);
            RunPending();
            Repaint(form->Handle());
            Pump();
            const double start = NowMs();
            form->ShowSkin(skin);
            RunPending();
            Repaint(form->Handle());
            times.push_back(NowMs() - start);
            Pump();
        }
        all.insert(all.end(), times.begin(), times.end());
        std::printf("  %4d   %9.2f   %10.2f\n", skin, Median(times), Minimum(times));
    }
    std::printf("  all    %9.2f   %10.2f\n", Median(all), Minimum(all));
    TComponent::Free(form);
    Pump();
    FreeSkinManager();
    return true;
}

// Milliseconds until the gallery stands on the screen, painted; -1 if it never did.
double OpenOnce(TApplication& application, bool skinned) {
    const double start = NowMs();
    auto* form = new TGalleryForm(&application);
    form->StopMoving();
    if (!skinned)
        form->ToggleSkinning();
    form->Show();
    const double end = start + 10000;
    double ms = -1;
    while (NowMs() < end) {
        Pump();
        RunPending();
        if (!skinned || Running(form->Handle())) {
            Pump();
            RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            GdiFlush();
            ms = NowMs() - start;
            break;
        }
        Sleep(1);
    }
    TComponent::Free(form);
    Pump();
    FreeSkinManager();
    return ms;
}
} // namespace

int main() {
    TApplication application;
    application.SetTitle("Skin gallery");

    std::vector<double> skinnedMs, plainMs;
    // One opening of each first: caches built once are not timed.
    for (int round = -1; round < OpenRounds; ++round)
        for (bool skinned : {true, false}) {
            const double ms = OpenOnce(application, skinned);
            if (ms < 0) {
                std::printf("gallery bench: the gallery did not open (%s)\n",
                            skinned ? "skinned" : "unskinned");
                return 1;
            }
            if (round >= 0)
                (skinned ? skinnedMs : plainMs).push_back(ms);
        }
    std::printf("gallery opened (median and best of %d rounds):\n", OpenRounds);
    std::printf("  unskinned:  %8.1f ms  %8.1f ms\n", Median(plainMs), Minimum(plainMs));
    std::printf("  skinned:    %8.1f ms  %8.1f ms\n", Median(skinnedMs), Minimum(skinnedMs));
    std::printf("  skinned / unskinned: %.2f (median), %.2f (best); target at most 1.2\n",
                Median(plainMs) > 0 ? Median(skinnedMs) / Median(plainMs) : 0.0,
                Minimum(plainMs) > 0 ? Minimum(skinnedMs) / Minimum(plainMs) : 0.0);

    auto* form = new TGalleryForm(&application);
    form->StopMoving();
    form->Show();
    SetForegroundWindow(form->Handle());
    for (int i = 0; i < 200 && !Running(form->Handle()); ++i) {
        Pump();
        RunPending();
        Sleep(10);
    }
    if (!Running(form->Handle())) {
        std::printf("gallery bench: the gallery is not skinned\n");
        return 1;
    }
    const int skins = form->SkinCount();
    std::printf("Change skin with the gallery open, %d rounds per skin (target: median under 33 ms)\n",
                ChangeRounds);
    std::printf("  skin   median ms   minimum ms\n");
    std::vector<double> all;
    for (int skin = 0; skin < skins; ++skin) {
        std::vector<double> times, loads, applies;
        for (int round = 0; round < ChangeRounds; ++round) {
            // From the skin before it, as the program steps.
            form->ShowSkin(skin + skins - 1);
            RunPending();
            Repaint(form->Handle());
            Pump();
            const double start = NowMs();
            form->ShowSkin(skin);
            const double loaded = NowMs();
            RunPending();
            const double applied = NowMs();
            Repaint(form->Handle());
            times.push_back(NowMs() - start);
            loads.push_back(loaded - start);
            applies.push_back(applied - loaded);
            Pump();
        }
        all.insert(all.end(), times.begin(), times.end());
        std::printf("  %4d   %9.2f   %10.2f   (unpacking %.2f, applying %.2f, repainting the rest)\n", skin,
                    Median(times), Minimum(times), Median(loads), Median(applies));
    }
    std::printf("  all    %9.2f   %10.2f\n", Median(all), Minimum(all));

    // Where the time of a change goes: each adapter's own part of the refresh, and each child
    // window's repaint, summed per adapter class (a window without an adapter under its class).
    TWinSkinForm* frame = SkinManager()->FindFrame(form->Handle());
    std::map<std::string, double> changeMs, paintMs;
    std::map<std::string, int> counts;
    for (int round = 0; round < ChangeRounds; ++round) {
        form->ShowSkin(round);
        RunPending();
        Repaint(form->Handle());
        Pump();
        for (TSkinControl* adapter : std::vector<TSkinControl*>(frame->Adapters())) {
            const double start = NowMs();
            adapter->SkinChanged();
            changeMs[adapter->ClassName()] += NowMs() - start;
            if (round == 0)
                ++counts[adapter->ClassName()];
        }
        Pump();
        for (HWND child = GetWindow(form->Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            std::string name = "window ";
            char className[64] = {};
            GetClassNameA(child, className, sizeof className);
            name += className;
            for (TSkinControl* adapter : frame->Adapters())
                if (adapter->Handle() == child)
                    name = adapter->ClassName();
            const double start = NowMs();
            Repaint(child);
            paintMs[name] += NowMs() - start;
        }
        const double start = NowMs();
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        GdiFlush();
        paintMs["the form without its children"] += NowMs() - start;
    }
    std::printf("Per class, mean ms per change (all of that class together): refresh, repaint\n");
    std::map<std::string, bool> names;
    for (const auto& [name, ms] : changeMs)
        names[name] = true;
    for (const auto& [name, ms] : paintMs)
        names[name] = true;
    for (const auto& [name, unused] : names)
        std::printf("  %-32s x%-3d %7.2f %7.2f\n", name.c_str(), counts[name], changeMs[name] / ChangeRounds,
                    paintMs[name] / ChangeRounds);
    TComponent::Free(form);
    Pump();
    FreeSkinManager();
    if (!MdiChangeSkin(application, skins)) {
        std::printf("gallery bench: the MDI gallery is not skinned\n");
        return 1;
    }
    return 0;
}
