// What each start-up feature of the program costs on the way to the first painted frame: the
// minimal window program (FeatureWindow.cpp) started bare and with one feature at a time, all
// taking turns in the same run, each started as a new process from a fresh folder the way the
// start-up benchmark starts the program. Printed per feature: the median and shortest start
// and their differences to the bare window's. Other work on the machine stretches single starts;
// the shortest starts show what a feature costs when nothing else runs.
//
// Two features are builds of their own: "imports" is the bare window bound at load to the DLLs
// the program once bound (shell32, ole32, comctl32, mpr, msimg32), "manifest" the bare window
// with the program's manifest. Arguments name the features to measure (several in one
// argument, separated by spaces, are measured together; "all" is every switchable one at
// once), "exe=PATH" measures another program the same way (two builds of the program side by
// side, say), "runs=N" sets the number of rounds. Without arguments every feature is measured.

#include "StartupMeasure.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {
constexpr int DefaultRuns = 11;

const char* const Switches[] = {"shell32", "ole32",   "comctl32", "mpr",     "msimg32", "comdlg32", "owner",
                                "topmost", "layered", "region",   "font",    "drop",    "children", "msgwnd",
                                "hook",    "timer",   "icon",     "ncframe", "lateshow"};

std::string AllSwitches() {
    std::string all;
    for (const char* feature : Switches)
        all += std::string(all.empty() ? "" : " ") + feature;
    return all;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

struct TPrograms {
    std::string Bare, Imports, Manifest, Folder, StampFile;
};

startup::TStart Start(const TPrograms& programs, const std::string& variant) {
    using startup::Measure;
    if (StartsWith(variant, "exe="))
        return Measure(variant.substr(4), programs.Folder, programs.StampFile);
    if (variant == "imports")
        return Measure(programs.Imports, programs.Folder, programs.StampFile);
    if (variant == "manifest")
        return Measure(programs.Manifest, programs.Folder, programs.StampFile);
    return Measure(programs.Bare, programs.Folder, programs.StampFile,
                   variant == "all" ? AllSwitches() : variant);
}
} // namespace

int main(int argc, char** argv) {
    using startup::WindowsPath;
    std::vector<std::string> variants{""};
    int runs = DefaultRuns;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (StartsWith(argument, "runs="))
            runs = std::max(1, std::atoi(argument.c_str() + 5));
        else
            variants.push_back(argument);
    }
    if (variants.size() == 1) {
        variants.insert(variants.end(), std::begin(Switches), std::end(Switches));
        variants.insert(variants.end(), {"imports", "manifest", "all"});
    }

    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    TPrograms programs;
    programs.Folder = std::string(temp) + "pp-startup-features-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(programs.Folder.c_str(), nullptr);
    programs.Bare = programs.Folder + "\\feature.exe";
    programs.Imports = programs.Folder + "\\feature-imports.exe";
    programs.Manifest = programs.Folder + "\\feature-manifest.exe";
    programs.StampFile = programs.Folder + "\\first-paint.txt";
    for (const auto& [from, to] : {std::pair{WindowsPath(PP_FEATURE_WINDOW_EXE), programs.Bare},
                                   std::pair{WindowsPath(PP_FEATURE_WINDOW_IMPORTS_EXE), programs.Imports},
                                   std::pair{WindowsPath(PP_FEATURE_WINDOW_MANIFEST_EXE), programs.Manifest}})
        if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
            std::printf("startup_feature_bench: cannot copy %s\n", from.c_str());
            return 1;
        }
    SetEnvironmentVariableA("PP_FIRST_PAINT_STAMP", programs.StampFile.c_str());

    // The first start of each program loads what the system caches afterwards; it is not counted.
    for (const std::string& warm : {std::string("all"), std::string("imports"), std::string("manifest")})
        Start(programs, warm);
    for (const std::string& variant : variants)
        if (StartsWith(variant, "exe="))
            Start(programs, variant);
    std::vector<std::vector<double>> ms(variants.size());
    for (int run = 0; run < runs; ++run)
        for (size_t v = 0; v < variants.size(); ++v)
            if (startup::TStart start = Start(programs, variants[v]); start.Ms >= 0)
                ms[v].push_back(start.Ms);

    std::printf("start-up to the first painted frame, each feature on the bare window, %d runs each, taking "
                "turns:\n",
                runs);
    const double bare = Median(ms[0]), bareMin = Minimum(ms[0]);
    for (size_t v = 0; v < variants.size(); ++v) {
        std::string name = v == 0 ? "(bare window)" : variants[v];
        if (name.size() > 28)
            name = "..." + name.substr(name.size() - 25);
        std::printf("  %-28s %8.1f ms median %8.1f ms min", name.c_str(), Median(ms[v]), Minimum(ms[v]));
        if (v > 0)
            std::printf("   %+7.1f ms median %+7.1f ms min", Median(ms[v]) - bare, Minimum(ms[v]) - bareMin);
        std::printf("\n");
    }

    for (const std::string* file :
         {&programs.Bare, &programs.Imports, &programs.Manifest, &programs.StampFile})
        DeleteFileA(file->c_str());
    RemoveDirectoryA(programs.Folder.c_str());
    return 0;
}
