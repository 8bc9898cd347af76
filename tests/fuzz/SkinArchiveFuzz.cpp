// A skin file is untrusted: the archive reader must refuse what does not add up, never read
// past the data, and hand out only entries that lie inside it; what it reads, our writer must
// write back unchanged.

#include "SkinArchive.h"

#include "WinConvert.h"

#include <cstdint>
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
        // What was read must survive our writer, name for name and byte for byte (empty names,
        // which the writer cannot store, are left out).
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
        for (int i = 0; i < again.Count(); ++i) {
            const TSkinArchiveEntry& entry = entries[static_cast<size_t>(i)];
            if (again.Names[static_cast<size_t>(i)] != entry.Name || again.Entry(i) != entry.Bytes)
                std::abort();
            // Lookups by name find the first entry of that name in both.
            const int found = again.IndexOf(entry.Name);
            if (found < 0 || found > i || again.Names[static_cast<size_t>(found)] != entry.Name)
                std::abort();
        }
        if (again.Data.size() != [&] {
                size_t total = 0;
                for (const TSkinArchiveEntry& entry : entries)
                    total += entry.Bytes.size();
                return total;
            }())
            std::abort();
    } else if (archive.Count() != 0 || !archive.Data.empty()) {
        std::abort(); // a refused archive holds nothing
    }

    // As a packed skin, the way the program reads it, with the program's own 64 MiB limit.
    TSkinArchive packed;
    TSkinArchiveError error = UnpackSkinArchive(data, size, packed);
    if (error == TSkinArchiveError::None)
        Check(packed);
    else if (packed.Count() != 0 || !packed.Data.empty())
        std::abort();
    if (size >= 4) {
        const std::uint32_t announced =
            data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
        if ((announced > kLzhMaxUnpackedSize) != (error == TSkinArchiveError::TooLarge))
            std::abort();
    }
    return 0;
}
