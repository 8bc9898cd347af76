// Start-up to the first painted frame: perchpoints.exe against a minimal Win32 window program,
// both started as new processes the same way, taking turns, in the same run under the same
// system. A start is over when the process has painted its window and waits for input
// (WaitForInputIdle: its queue ran empty after the first paint) and the window is visible. The
// minimal program also stamps the end of its first paint itself, which shows how close that
// end lies to what is measured here. Both run from a fresh folder with no settings or list.
// Other work on the machine stretches wall-clock times, so the processor time each process
// spent until then is given too.

#include "StartupMeasure.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr int Runs = 15;

using namespace startup;

struct TFigures {
    std::vector<double> Ms, CpuMs, StampMs;
};

TFigures Collect(const std::vector<TStart>& runs) {
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

void Report(const char* name, const TFigures& figures, bool stamped) {
    std::printf("  %-22s %8.1f ms median %8.1f ms min %8.1f ms processor", name, Median(figures.Ms),
                Minimum(figures.Ms), Median(figures.CpuMs));
    if (stamped)
        std::printf("   (own first-paint stamp %.1f ms)", Median(figures.StampMs));
    std::printf("\n");
}

} // namespace

int main() {
    const std::string app = WindowsPath(PP_PERCHPOINTS_EXE);
    const std::string minimal = WindowsPath(PP_MINIMAL_EXE);
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string folder =
        std::string(temp) + "pp-startup-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    // Copies, so that the program's files land in the scratch folder and not in the build.
    const std::string appCopy = folder + "\\perchpoints.exe";
    const std::string minimalCopy = folder + "\\minimal.exe";
    const std::string stampFile = folder + "\\first-paint.txt";
    if (!CopyFileA(app.c_str(), appCopy.c_str(), FALSE) ||
        !CopyFileA(minimal.c_str(), minimalCopy.c_str(), FALSE)) {
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
    std::printf("  ratio                  %8.2f median    %8.2f min    %8.2f processor   target <= 1.30%s\n",
                ratio, Minimum(appFigures.Ms) / Minimum(minimalFigures.Ms),
                Median(appFigures.CpuMs) / Median(minimalFigures.CpuMs), ratio <= 1.3 ? "" : "  ** over **");

    for (const char* name : {"\\perchpoints.exe", "\\minimal.exe", "\\perchpoints.dat", "\\perchpoints.ini",
                             "\\first-paint.txt"})
        DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
