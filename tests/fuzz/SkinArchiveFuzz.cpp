// A skin file is untrusted: the archive reader must refuse what does not add up, never read
// past the data, and hand out only entries that lie inside it.

#include "SkinArchive.h"

#include <cstdlib>

namespace {

void Check(const TSkinArchive& archive)
{
    if (archive.Names.size() != archive.Sizes.size() || archive.Names.size() > static_cast<size_t>(kSkinMaxEntries))
        std::abort();
    for (int i = 0; i < archive.Count(); ++i) {
        if (archive.Sizes[static_cast<size_t>(i)] < 0 ||
            archive.Offsets[static_cast<size_t>(i)] + archive.EntrySize(i) > archive.Data.size())
            std::abort();
        int found = archive.IndexOf(archive.Names[static_cast<size_t>(i)]);
        if (found < 0 || found > i)
            std::abort();
        (void)archive.Entry(i);
    }
    (void)archive.IndexContaining(".ini");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // As an unpacked archive: the shape libFuzzer can explore directly.
    TSkinArchive archive;
    if (ParseSkinArchive(data, size, archive) == TSkinArchiveError::None) {
        Check(archive);
        // What was read must survive our writer (names that cannot be stored are skipped).
        std::vector<TSkinArchiveEntry> entries;
        for (int i = 0; i < archive.Count(); ++i) {
            const std::string& name = archive.Names[static_cast<size_t>(i)];
            if (!name.empty())
                entries.push_back({name, archive.Entry(i)});
        }
        std::vector<std::uint8_t> built = BuildSkinArchive(entries);
        TSkinArchive again;
        if (ParseSkinArchive(built.data(), built.size(), again) != TSkinArchiveError::None ||
            again.Count() != static_cast<int>(entries.size()))
            std::abort();
    } else if (archive.Count() != 0 || !archive.Data.empty()) {
        std::abort(); // a refused archive holds nothing
    }

    // As a packed skin, the way the program reads it; huge announced sizes only cost time, the
    // decoder's own target covers them.
    if (size >= 4 && data[3] == 0 && data[2] == 0) { // under 64 KiB
        TSkinArchive packed;
        if (UnpackSkinArchive(data, size, packed) == TSkinArchiveError::None)
            Check(packed);
    }
    return 0;
}
