// Start-up to the first painted frame: perchpoints.exe against a minimal Win32 window program,
// both started as new processes the same way, taking turns, in the same run under the same
// system. A start is over when the process has painted its window and waits for input
// (WaitForInputIdle: its queue ran empty after the first paint) and the window is visible. The
// minimal program also stamps the end of its first paint itself, which shows how close that
// end lies to what is measured here. Both run from a fresh folder with no settings or list.
// Other work on the machine stretches wall-clock times, so the processor time each process
// spent until then is given too.

#include "BenchTiming.h"
#include "HostPath.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr int Runs = 15;

class TProcess {
public:
    TProcess() = default;
    TProcess(const TProcess&) = delete;
    TProcess& operator=(const TProcess&) = delete;
    ~TProcess()
    {
        if (info_.hProcess) {
            // Asked to close and given time; one that will not end is ended.
            if (WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(info_.hProcess, 1);
            CloseHandle(info_.hProcess);
            CloseHandle(info_.hThread);
        }
    }
    bool Start(const std::string& exe, const std::string& folder)
    {
        STARTUPINFOA startup {};
        startup.cb = sizeof startup;
        std::string command = "\"" + exe + "\"";
        return CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                              &startup, &info_) != FALSE;
    }
    HANDLE Handle() const { return info_.hProcess; }
    DWORD Id() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ {};
};


HWND VisibleWindowOf(DWORD process)
{
    struct TSearch {
        DWORD Process;
        HWND Found;
    } search {process, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->Process && IsWindowVisible(window) && (GetWindowLongA(window, GWL_STYLE) & WS_CAPTION)) {
                s->Found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

struct TStart {
    double Ms = -1;      // process start to painted, idle and visible
    double CpuMs = -1;   // processor time the process used until then
    double StampMs = -1; // process start to the end of the first paint, as the program saw it
};

double CpuMs(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return -1;
    auto ticks = [](const FILETIME& t) { return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

long long ReadStamp(const std::string& fileName)
{
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    char text[32] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return read > 0 ? std::strtoll(text, nullptr, 10) : -1;
}

TStart Measure(const std::string& exe, const std::string& folder, const std::string& stampFile)
{
    // Every start is a first start: no list, no settings, no stamp from the last run.
    for (const char* name : {"\\perchpoints.dat", "\\perchpoints.ini"})
        DeleteFileA((folder + name).c_str());
    DeleteFileA(stampFile.c_str());
    TStart result;
    TProcess process;
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    if (!process.Start(exe, folder)) {
        std::printf("  cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
        return result;
    }
    WaitForInputIdle(process.Handle(), 30000);
    HWND window = nullptr;
    for (int i = 0; i < 30000 && !(window = VisibleWindowOf(process.Id())); ++i)
        Sleep(1);
    result.Ms = NowMs() - CounterToMs(started.QuadPart);
    result.CpuMs = CpuMs(process.Handle());
    if (long long stamp = ReadStamp(stampFile); stamp > 0)
        result.StampMs = CounterToMs(stamp - started.QuadPart);
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    return result;
}

struct TFigures {
    std::vector<double> Ms, CpuMs, StampMs;
};

TFigures Collect(const std::vector<TStart>& runs)
{
    TFigures figures;
    for (const TStart& run : runs) {
        if (run.Ms >= 0)
            figures.Ms.push_back(run.Ms);
        if (run.CpuMs >= 0)
            figures.CpuMs.push_back(run.CpuMs);
        if (run.StampMs >= 0)
            figures.StampMs.push_back(run.StampMs);
    }
    return figures;
}

void Report(const char* name, const TFigures& figures, bool stamped)
{
    std::printf("  %-22s %8.1f ms median %8.1f ms min %8.1f ms processor", name, Median(figures.Ms),
                Minimum(figures.Ms), Median(figures.CpuMs));
    if (stamped)
        std::printf("   (own first-paint stamp %.1f ms)", Median(figures.StampMs));
    std::printf("\n");
}

} // namespace

int main()
{
    const std::string app = WindowsPath(PP_PERCHPOINTS_EXE);
    const std::string minimal = WindowsPath(PP_MINIMAL_EXE);
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "pp-startup-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    // Copies, so that the program's files land in the scratch folder and not in the build.
    const std::string appCopy = folder + "\\perchpoints.exe";
    const std::string minimalCopy = folder + "\\minimal.exe";
    const std::string stampFile = folder + "\\first-paint.txt";
    if (!CopyFileA(app.c_str(), appCopy.c_str(), FALSE) || !CopyFileA(minimal.c_str(), minimalCopy.c_str(), FALSE)) {
        std::printf("startup_bench: cannot copy %s and %s\n", app.c_str(), minimal.c_str());
        return 1;
    }
    SetEnvironmentVariableA("PP_FIRST_PAINT_STAMP", stampFile.c_str());

    // The first start of each loads what the system caches afterwards; it is not counted.
    Measure(appCopy, folder, stampFile);
    Measure(minimalCopy, folder, stampFile);
    std::vector<TStart> appRuns, minimalRuns;
    for (int i = 0; i < Runs; ++i) {
        appRuns.push_back(Measure(appCopy, folder, stampFile));
        minimalRuns.push_back(Measure(minimalCopy, folder, stampFile));
    }

    std::printf("start-up to the first painted frame, %d runs each, taking turns:\n", Runs);
    TFigures appFigures = Collect(appRuns), minimalFigures = Collect(minimalRuns);
    Report("perchpoints.exe", appFigures, false);
    Report("minimal Win32 window", minimalFigures, true);
    double ratio = Median(appFigures.Ms) / Median(minimalFigures.Ms);
    std::printf("  ratio                  %8.2f median    %8.2f min    %8.2f processor   target <= 1.30%s\n", ratio,
                Minimum(appFigures.Ms) / Minimum(minimalFigures.Ms),
                Median(appFigures.CpuMs) / Median(minimalFigures.CpuMs), ratio <= 1.3 ? "" : "  ** over **");

    for (const char* name : {"\\perchpoints.exe", "\\minimal.exe", "\\perchpoints.dat", "\\perchpoints.ini",
                             "\\first-paint.txt"})
        DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
