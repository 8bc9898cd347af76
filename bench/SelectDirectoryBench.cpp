// The folder chooser on a folder of 20,000 subfolders, as a user meets it: opening the dialog
// there, the End key in the folder list, entering the last subfolder and going back up (the
// whole folder read and listed again). Each step is timed from the key press until the list
// shows the result. The folder is made beforehand (make bench makes it natively and passes it
// in PP_MANY_FOLDERS); without it, it is made here, which takes Wine minutes.
//
// The dialog runs its own modal loop; a thread timer inside that loop drives it.

#include "BenchTiming.h"
#include "HostPath.h"

#include "Application.h"
#include "JvSelectDirectory.h"
#include "SysUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr int FolderCount = 20000;
constexpr int Rounds = 5;

void PostKey(HWND window, WORD key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC) & 0xFF) << 16;
    PostMessageA(window, WM_KEYDOWN, key, 1 | scan);
    PostMessageA(window, WM_KEYUP, key, 1 | scan | (static_cast<LPARAM>(KF_REPEAT | KF_UP) << 16));
}

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

// One pass through the dialog; steps advance from the timer as their results show.
struct TRun {
    enum TStep { stOpen, stEnd, stLeave, stReenter, stDone } Step = stOpen;
    std::string Folder;
    double Start = 0, Pressed = 0;
    double OpenMs = -1, EndMs = -1, LeaveMs = -1, ReenterMs = -1;
    TSelectDirDlg* Dialog = nullptr;
    HWND List = nullptr;

    void Tick() {
        switch (Step) {
        case stOpen: {
            HWND window = FindDialog();
            if (!window)
                return;
            Dialog = dynamic_cast<TSelectDirDlg*>(FindControl(window));
            if (!Dialog)
                return;
            UpdateWindow(window);
            OpenMs = NowMs() - Start;
            List = Dialog->DirList->Handle();
            Press(VK_END, stEnd);
            return;
        }
        case stEnd: {
            TDirectoryListBox& dirs = *Dialog->DirList;
            if (dirs.ItemIndex() != dirs.Count() - 1 || dirs.TopIndex() == 0)
                return;
            EndMs = Shown();
            Press(VK_RETURN, stLeave);
            return;
        }
        case stLeave:
            if (Dialog->DirList->Directory() != Folder + "\\f19999")
                return;
            LeaveMs = Shown();
            PostKey(List, VK_UP);
            Press(VK_RETURN, stReenter);
            return;
        case stReenter:
            if (Dialog->DirList->Directory() != Folder)
                return;
            ReenterMs = Shown();
            Step = stDone;
            PostMessageA(Dialog->CancelButton->Handle(), BM_CLICK, 0, 0);
            return;
        case stDone:
            return;
        }
    }
    void Press(WORD key, TStep next) {
        Pressed = NowMs();
        PostKey(List, key);
        Step = next;
    }
    double Shown() {
        UpdateWindow(List);
        return NowMs() - Pressed;
    }
};

TRun* running = nullptr;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (running)
        running->Tick();
}

std::string MakeFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "pp-bench-many";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::printf("making %d folders in %s (through Wine this takes minutes)\n", FolderCount, folder.c_str());
    for (int i = 0; i < FolderCount; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "\\f%05d", i);
        CreateDirectoryA((folder + name).c_str(), nullptr);
    }
    return folder;
}
} // namespace

int main() {
    TApplication application;
    application.SetTitle("Perchpoints");
    std::string folder;
    if (const char* made = std::getenv("PP_MANY_FOLDERS"); made && *made)
        folder = WindowsPath(made);
    std::replace(folder.begin(), folder.end(), '/', '\\');
    if (folder.empty() || !DirectoryExists(folder + "\\f19999"))
        folder = MakeFolder();

    std::vector<double> open, end, leave, reenter;
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, OnTimer);
    for (int round = 0; round < Rounds; ++round) {
        TRun run;
        run.Folder = folder;
        running = &run;
        TJvSelectDirectory chooser(nullptr);
        chooser.SetInitialDir(folder);
        run.Start = NowMs();
        chooser.ChooseFolder();
        running = nullptr;
        if (run.Step != TRun::stDone) {
            std::printf("round %d did not get through (step %d)\n", round + 1, static_cast<int>(run.Step));
            KillTimer(nullptr, timer);
            return 1;
        }
        open.push_back(run.OpenMs);
        end.push_back(run.EndMs);
        leave.push_back(run.LeaveMs);
        reenter.push_back(run.ReenterMs);
    }
    KillTimer(nullptr, timer);

    std::printf("folder chooser on %d subfolders (median and best of %d rounds; target < 1000 ms each):\n",
                FolderCount, Rounds);
    std::printf("  dialog open and painted:          %8.1f ms  %8.1f ms\n", Median(open), Minimum(open));
    std::printf("  End key, last line shown:         %8.1f ms  %8.1f ms\n", Median(end), Minimum(end));
    std::printf("  into the last subfolder:          %8.1f ms  %8.1f ms\n", Median(leave), Minimum(leave));
    std::printf("  back up, whole folder listed:     %8.1f ms  %8.1f ms\n", Median(reenter),
                Minimum(reenter));
    std::printf("  (steps are seen by a 1 ms thread timer; Wine's timers add up to about 10 ms each)\n");
    return 0;
}
