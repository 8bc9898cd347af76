// Opening the folder chooser from the main window, skinned and unskinned: from the call until
// the dialog is shown with every pending paint done (and, skinned, its frame running with every
// button adapter attached). Rounds alternate between the two so that drift of the machine hits
// both alike.
//
// The dialog runs the application's modal loop; the loop's idle event sees it open: it comes only
// when the queue is empty, so the open dialog has handled everything posted to it and painted.

#include "BenchTiming.h"
#include "GuiObjects.h"

#include "Application.h"
#include "JvSelectDirectory.h"
#include "Main.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr int Rounds = 40;

struct TOpening {
    bool Skinned = false;
    double Start = 0, OpenMs = -1;
};
TOpening* opening = nullptr;

HWND FindDialog() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            char name[64] = {};
            GetClassNameA(window, name, sizeof name);
            if (std::string(name) != "TSelectDirDlg" || !IsWindowVisible(window))
                return TRUE;
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The modal loop found nothing to do: is the dialog open and painted?
void OnIdle(TObject*) {
    if (!opening || opening->OpenMs >= 0)
        return;
    HWND dialog = FindDialog();
    if (!dialog)
        return;
    if (opening->Skinned) {
        TWinSkinForm* frame = SkinManager() ? SkinManager()->FindFrame(dialog) : nullptr;
        if (!frame || frame->FrameState() != fsRunning)
            return;
    }
    GdiFlush();
    opening->OpenMs = NowMs() - opening->Start;
    PostMessageA(dialog, WM_CLOSE, 0, 0);
}

bool PumpUntil(bool (*done)(), double timeoutMs) {
    const double end = NowMs() + timeoutMs;
    while (!done() && NowMs() < end) {
        Application->ProcessMessages();
        Sleep(1);
    }
    return done();
}

bool ActionRan() {
    TSkinManage* manager = SkinManager();
    return manager && !manager->TimerEnabled() && manager->PendingSkinData() == nullptr;
}

double OpenOnce(bool skinned, const std::string& folder) {
    TOpening run;
    run.Skinned = skinned;
    opening = &run;
    TJvSelectDirectory chooser(nullptr);
    chooser.SetClassicDialog(true);
    chooser.SetInitialDir(folder);
    run.Start = NowMs();
    chooser.ChooseFolder();
    opening = nullptr;
    return run.OpenMs;
}
} // namespace

int main() {
    TApplication application;
    application.SetTitle("Perchpoints");
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "pp-bench-discovery";
    CreateDirectoryA(folder.c_str(), nullptr);
    // The main window, skinned as at start-up; its settings stay in the bench's own folder.
    auto* form = new TForm1(&application, folder + "\\perchpoints.exe");
    form->Show();
    PumpUntil(ActionRan, 5000);
    TSkinData& skin = *form->SkinData1;

    application.OnIdle = TNotifyEvent(nullptr, [](void*, TObject* sender) { OnIdle(sender); });
    std::vector<double> skinnedMs, plainMs;
    // One opening of each first: caches built once (fonts, folder icons) are not timed.
    for (int round = -1; round < Rounds; ++round)
        for (bool skinned : {true, false}) {
            if (skin.Active() != skinned) {
                skin.SetActive(skinned);
                PumpUntil(ActionRan, 5000);
            }
            const double ms = OpenOnce(skinned, folder);
            if (ms < 0) {
                std::printf("an opening did not get through (%s)\n", skinned ? "skinned" : "unskinned");
                return 1;
            }
            if (round >= 0)
                (skinned ? skinnedMs : plainMs).push_back(ms);
        }
    application.OnIdle = nullptr;

    const double skinnedMedian = Median(skinnedMs), plainMedian = Median(plainMs);
    std::printf("folder chooser opened from the main window (median and best of %d rounds):\n", Rounds);
    std::printf("  unskinned:  %8.1f ms  %8.1f ms\n", plainMedian, Minimum(plainMs));
    std::printf("  skinned:    %8.1f ms  %8.1f ms\n", skinnedMedian, Minimum(skinnedMs));
    std::printf("  skinned / unskinned: %.2f (median), %.2f (best); target at most 1.2\n",
                plainMedian > 0 ? skinnedMedian / plainMedian : 0.0,
                Minimum(plainMs) > 0 ? Minimum(skinnedMs) / Minimum(plainMs) : 0.0);
    TComponent::Free(form);
    return 0;
}
