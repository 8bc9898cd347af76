// What keeping the undo record adds to a transfer into a large folder: the folder listed before
// and after the shell's operation, and the record built from the two listings. The folder is the
// one of 20,000 subfolders that `make bench` makes (PP_MANY_FOLDERS); without it, a folder of
// 2,000 is made here (Wine makes them slowly).

#include "BenchTiming.h"
#include "LastTransferUndo.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr int Rounds = 15;

std::wstring MadeFolder() {
    wchar_t temp[MAX_PATH]{};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"pp-undo-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < 2000; ++i)
        CreateDirectoryW((folder + L"\\f" + std::to_wstring(i)).c_str(), nullptr);
    return folder;
}
} // namespace

int main() {
    std::wstring folder;
    if (const char* made = std::getenv("PP_MANY_FOLDERS"); made && *made == '/') {
        for (const char* c = made; *c; ++c)
            folder.push_back(*c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c)));
        folder = L"Z:" + folder;
    }
    if (folder.empty() || ListFolder(folder).size() < 20000)
        folder = MadeFolder();

    std::vector<double> listing, record, plan;
    size_t entries = 0;
    for (int round = 0; round < Rounds; ++round) {
        double start = NowMs();
        const TFolderListing after = ListFolder(folder);
        listing.push_back(NowMs() - start);
        entries = after.size();
        // Every entry arrived with this transfer: the most the record has to hold.
        std::vector<std::wstring> sources;
        for (const TListedEntry& entry : after)
            sources.push_back(L"C:\\source\\" + entry.Name);
        start = NowMs();
        const TTransferRecord made = RecordArrivals(sources, folder, false, {}, after);
        record.push_back(NowMs() - start);
        std::vector<TItemNow> now;
        for (const TArrivedItem& item : made.Items)
            now.push_back(TItemNow{item.Facts});
        start = NowMs();
        const std::vector<TUndoStep> steps = PlanUndo(made, now);
        plan.push_back(NowMs() - start);
        if (steps.size() != entries)
            return 1;
    }
    std::printf("undo record of a transfer into a folder of %zu entries (median of %d):\n", entries, Rounds);
    std::printf("  folder listed once:            %8.2f ms (twice per transfer)\n", Median(listing));
    std::printf("  record from the two listings:  %8.2f ms\n", Median(record));
    std::printf("  undo plan of every item:       %8.2f ms\n", Median(plan));
    return 0;
}
