// The program started twice as processes of its own: from the same folder the second start
// brings the running window back and ends without touching the files; from another folder it
// opens its own window on its own files.
#include "HostPath.h"
#include "ProcessWindow.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A folder with a copy of the program and a target list of its own.
struct TProgramFolder {
    explicit TProgramFolder(const std::string& name) {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        Path = std::string(temp) + "pp-second-start-" + std::to_string(GetCurrentProcessId()) + "-" + name;
        CreateDirectoryA(Path.c_str(), nullptr);
        Exe = Path + "\\perchpoints.exe";
        EXPECT_TRUE(CopyFileA(WindowsPath(PP_PERCHPOINTS_EXE).c_str(), Exe.c_str(), FALSE));
        std::ofstream(Path + "\\perchpoints.dat", std::ios::binary) << "C:\\" << name << "\r\n";
    }
    ~TProgramFolder() {
        for (const char* file : {"\\perchpoints.exe", "\\perchpoints.dat", "\\perchpoints.ini"})
            DeleteFileA((Path + file).c_str());
        RemoveDirectoryA(Path.c_str());
    }
    std::string Path, Exe;
};

// A started program, ended at the end of the test whatever happened.
struct TStarted {
    explicit TStarted(const std::string& exe) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + exe + "\"";
        const std::string folder = exe.substr(0, exe.rfind('\\'));
        Started = CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 folder.c_str(), &startup, &Info) != FALSE;
        EXPECT_TRUE(Started) << exe;
    }
    ~TStarted() {
        if (!Started)
            return;
        if (HWND window = VisibleCaptionWindowOf(Info.dwProcessId))
            PostMessageA(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(Info.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(Info.hProcess, 1);
        CloseHandle(Info.hThread);
        CloseHandle(Info.hProcess);
    }
    // Its window, once it stands (nullptr when none came in time).
    HWND Window(int waitMs = 20000) const {
        HWND window = nullptr;
        for (int waited = 0; Started && !window && waited < waitMs; waited += 20) {
            window = VisibleCaptionWindowOf(Info.dwProcessId);
            if (!window)
                Sleep(20);
        }
        return window;
    }
    bool Ended(int waitMs) const {
        return Started && WaitForSingleObject(Info.hProcess, waitMs) == WAIT_OBJECT_0;
    }

    bool Started = false;
    PROCESS_INFORMATION Info{};
};

bool Eventually(const std::function<bool()>& done, int waitMs = 5000) {
    for (int waited = 0; waited < waitMs; waited += 20) {
        if (done())
            return true;
        Sleep(20);
    }
    return done();
}

TEST(SecondStart, FromTheSameFolderBringsTheRunningWindowBackAndFromAnotherFolderOpensItsOwn) {
    TProgramFolder one("One"), two("Two");
    const std::string list = ReadFile(one.Path + "\\perchpoints.dat");

    TStarted first(one.Exe);
    const HWND window = first.Window();
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(Eventually([&] { return IsIconic(window) != FALSE; }));

    {
        TStarted again(one.Exe);
        EXPECT_TRUE(again.Ended(15000)) << "the second start from the same folder goes on running";
        EXPECT_EQ(again.Window(0), nullptr);
        DWORD code = 1;
        GetExitCodeProcess(again.Info.hProcess, &code);
        EXPECT_EQ(code, 0u);
    }
    EXPECT_TRUE(Eventually([&] { return !IsIconic(window); })) << "the running window stays minimized";
    EXPECT_TRUE(Eventually([&] { return GetForegroundWindow() == window; }))
        << "the running window is not in front";
    // The files are as the first start found them: nothing was written.
    EXPECT_EQ(ReadFile(one.Path + "\\perchpoints.dat"), list);
    EXPECT_FALSE(Exists(one.Path + "\\perchpoints.ini"));

    TStarted other(two.Exe);
    const HWND otherWindow = other.Window();
    EXPECT_NE(otherWindow, nullptr) << "a start from another folder opens its own window";
    EXPECT_NE(otherWindow, window);
    EXPECT_FALSE(other.Ended(0));
    EXPECT_FALSE(first.Ended(0));
}

} // namespace
