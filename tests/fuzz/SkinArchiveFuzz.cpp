// A skin file is untrusted: the archive reader must refuse what does not add up, never read
// past the data, and hand out only entries that lie inside it; what it reads, our writer must
// write back unchanged.

#include "FuzzLimit.h"
#include "SkinArchive.h"

#include "WinConvert.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(const TSkinArchive& archive) {
    if (archive.Names.size() != archive.Sizes.size() ||
        archive.Names.size() > static_cast<size_t>(kSkinMaxEntries))
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

// Mutations of the first four bytes mostly announce more than the input's limit (FuzzLimit.h),
// which is refused at once without decoding anything.
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    KeepMostWithinTheirLimit(data, size, seed);
    return size;
}

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

    // As a packed skin, the way the program reads it, under the input's own limit; what
    // announces more than the program's 64 MiB is refused with the program's limit too.
    const std::uint32_t limit = LimitFromInput(data, size);
    TSkinArchive packed;
    TSkinArchiveError error = UnpackSkinArchive(data, size, packed, limit);
    if (error == TSkinArchiveError::None)
        Check(packed);
    else if (packed.Count() != 0 || !packed.Data.empty())
        std::abort();
    if (size >= 4) {
        const std::uint32_t announced =
            data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
        if ((announced > limit) != (error == TSkinArchiveError::TooLarge))
            std::abort();
        if (announced > kLzhMaxUnpackedSize &&
            UnpackSkinArchive(data, size, packed) != TSkinArchiveError::TooLarge)
            std::abort();
    }
    return 0;
}
