// The program's start, as a process of its own: until its window stands painted it loads no DLL
// beyond what any window loads. The shell, the common controls and the common dialogs each add
// milliseconds to every start; they are bound at their first use.

#include "HostPath.h"
#include "ProcessWindow.h"

#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::set<std::string> ModulesOf(DWORD process) {
    std::set<std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    if (snapshot == INVALID_HANDLE_VALUE)
        return names;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        names.insert(Lower(entry.szModule));
    CloseHandle(snapshot);
    return names;
}

TEST(Startup, LoadsNoShellCommonControlsOrDialogsBeforeItsWindowIsPainted) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string folder =
        std::string(temp) + "pp-startup-modules-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    // A copy, so that the program's files land in the scratch folder.
    const std::string exe = folder + "\\perchpoints.exe";
    ASSERT_TRUE(CopyFileA(WindowsPath(PP_PERCHPOINTS_EXE).c_str(), exe.c_str(), FALSE));

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string command = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &startup, &info));
    WaitForInputIdle(info.hProcess, 30000);
    HWND window = nullptr;
    for (int i = 0; i < 300 && !window; ++i) {
        window = VisibleCaptionWindowOf(info.dwProcessId);
        if (!window)
            Sleep(20);
    }
    const std::set<std::string> modules = ModulesOf(info.dwProcessId);

    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(modules.count("user32.dll")) << "the module list was read";
    for (const char* late : {"comctl32.dll", "shell32.dll", "comdlg32.dll", "mpr.dll", "msimg32.dll"})
        EXPECT_FALSE(modules.count(late)) << late << " is loaded at the start";

    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    for (const char* name : {"\\perchpoints.exe", "\\perchpoints.dat", "\\perchpoints.ini"})
        DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
