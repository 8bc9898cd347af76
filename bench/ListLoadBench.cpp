// Loading the target list as the main window does at start and on "Reload targets"
// (TStringList::LoadFromFile) for 10,000, 100,000 and 1,000,000 entries. Target: linear in
// the file size, under 100 ms for 100,000 entries.

#include "BenchTiming.h"

#include "StringList.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr int Rounds = 7;

std::string ListText(int entries) {
    std::string text;
    for (int i = 0; i < entries; ++i) {
        text += "D:\\Projects\\Client " + std::to_string(100000 + i) + "\\Deliverables";
        if (i % 3 == 0)
            text += "=Client " + std::to_string(i);
        text += "\r\n";
    }
    return text;
}

bool WriteAll(const std::string& fileName, const std::string& text) {
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    CloseHandle(file);
    return ok && done == text.size();
}
} // namespace

int main() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    std::printf("loading the target list (median of %d loads, file already in the system's cache):\n",
                Rounds);
    std::printf("  %9s %9s %10s %10s %12s\n", "entries", "MB", "median ms", "min ms", "ns per byte");
    for (int entries : {10000, 100000, 1000000}) {
        std::string fileName = std::string(temp) + "pp-list-bench-" + std::to_string(entries) + ".dat";
        std::string text = ListText(entries);
        if (!WriteAll(fileName, text)) {
            std::printf("  cannot write %s\n", fileName.c_str());
            return 1;
        }
        std::vector<double> times;
        int count = 0;
        for (int round = 0; round < Rounds; ++round) {
            TStringList list;
            double start = NowMs();
            list.LoadFromFile(fileName);
            times.push_back(NowMs() - start);
            count = list.Count();
        }
        DeleteFileA(fileName.c_str());
        double bytes = static_cast<double>(text.size());
        std::printf("  %9d %9.2f %10.2f %10.2f %12.2f%s\n", entries, bytes / 1e6, Median(times),
                    Minimum(times), Median(times) * 1e6 / bytes,
                    count == entries ? "" : "  ** wrong count **");
    }
    std::printf("  target: under 100 ms for 100,000 entries; the same cost per byte at every size\n");
    return 0;
}
