#pragma once
// Starting a program as a new process and timing it to its first painted frame: shared by the
// start-up benchmarks. A start is over when the process has painted its window and waits for
// input (WaitForInputIdle: its queue ran empty after the first paint) and the window is
// visible. A program that stamps the end of its own first paint (PP_FIRST_PAINT_STAMP) shows
// how close that end lies to what is measured here.

#include "BenchTiming.h"
#include "HostPath.h"
#include "ProcessWindow.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace startup {
class TProcess {
  public:
    TProcess() = default;
    TProcess(const TProcess&) = delete;
    TProcess& operator=(const TProcess&) = delete;
    ~TProcess() {
        if (info_.hProcess) {
            // Asked to close and given time; one that will not end is ended.
            if (WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(info_.hProcess, 1);
            CloseHandle(info_.hProcess);
            CloseHandle(info_.hThread);
        }
    }
    bool Start(const std::string& exe, const std::string& folder, const std::string& arguments = "") {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
        return CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.c_str(), &startup, &info_) != FALSE;
    }
    HANDLE Handle() const { return info_.hProcess; }
    DWORD Id() const { return info_.dwProcessId; }

  private:
    PROCESS_INFORMATION info_{};
};

using ::WindowsPath;

struct TStart {
    double Ms = -1;      // process start to painted, idle and visible
    double CpuMs = -1;   // processor time the process used until then
    double StampMs = -1; // process start to the end of the first paint, as the program saw it
};

inline double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return -1;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

inline long long ReadStamp(const std::string& fileName) {
    HANDLE file =
        CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    char text[32] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return read > 0 ? std::strtoll(text, nullptr, 10) : -1;
}

inline TStart Measure(const std::string& exe, const std::string& folder, const std::string& stampFile,
                      const std::string& arguments = "") {
    // Every start is a first start: no list, no settings, no stamp from the last run.
    for (const char* name : {"\\perchpoints.dat", "\\perchpoints.ini"})
        DeleteFileA((folder + name).c_str());
    DeleteFileA(stampFile.c_str());
    TStart result;
    TProcess process;
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    if (!process.Start(exe, folder, arguments)) {
        std::printf("  cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
        return result;
    }
    WaitForInputIdle(process.Handle(), 30000);
    HWND window = nullptr;
    for (int i = 0; i < 30000 && !(window = VisibleCaptionWindowOf(process.Id())); ++i)
        Sleep(1);
    result.Ms = NowMs() - CounterToMs(started.QuadPart);
    result.CpuMs = CpuMs(process.Handle());
    if (long long stamp = ReadStamp(stampFile); stamp > 0)
        result.StampMs = CounterToMs(stamp - started.QuadPart);
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    return result;
}

} // namespace startup
