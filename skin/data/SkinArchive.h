#pragma once
// The skin archive inside a packed skin: a header, a skipped block whose size depends on the
// version, a CR LF separated name list, a table of entry sizes and the entries' bytes. This is
// the pure core under TSkinReader (SkinRead.h) and the skin tool; it needs no windows.h.
//
// Limits (anything past them is refused as damaged, never read out of bounds or allocated):
//   unpacked size         64 MiB (kLzhMaxUnpackedSize)
//   entries               1001, the size of the reader's size table
//   name-list length      0 .. the bytes behind the header
//   entry sizes           0 .. 2^31-1 each, and together no more than the data behind the table

#include "WinConvert.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::uint32_t kSkinArchiveVersion = 70000; // what we write
inline constexpr int kSkinMaxEntries = 1001;
inline constexpr size_t kSkinHeaderSize = 16;

inline constexpr const char* kSkinOlderFileMessage =
    "This is Older Skin File\rPlease update to new version !";

enum class TSkinArchiveError {
    None,
    UnknownVersion,    // a version not in the list
    NoSizeHeader,      // the packed skin is shorter than its 4-byte size
    TooLarge,          // announced unpacked size over the limit
    HeaderIncomplete,  // the header or the skipped block runs past the data
    BadNameListLength, // negative, or past the data
    TooManyEntries,    // more than kSkinMaxEntries names
    SizeTableIncomplete,
    NegativeEntrySize,
    EntriesPastData, // the sizes add up to more than the data behind the table
};

// The text of the message box that reports the problem.
std::string SkinArchiveErrorText(TSkinArchiveError error);

// Bytes skipped behind the header for a listed version; false for any other version.
bool SkinVersionSkip(std::uint32_t version, size_t& skip);

// Entry names are compared in lower case. Only ASCII letters are folded: names in skins are
// plain file names, and a fold that depends on the user's code page would make the same skin
// behave differently on two machines.
std::string SkinNameLower(std::string_view name);

struct TSkinArchive {
    std::uint32_t Version = 0;
    std::int32_t NameListLength = 0;
    std::vector<std::string> Names;  // lower-cased, in archive order
    std::vector<std::int32_t> Sizes; // one per name, all >= 0
    std::vector<size_t> Offsets;     // of each entry in Data
    std::vector<std::uint8_t> Data;  // everything behind the size table

    int Count() const { return static_cast<int>(Names.size()); }
    // First entry whose name equals name (lower-cased first), -1 when none.
    int IndexOf(std::string_view name) const;
    // First entry whose name contains fragment, -1 when none.
    int IndexContaining(std::string_view fragment) const;
    const std::uint8_t* EntryData(int index) const {
        return Data.data() + Offsets[static_cast<size_t>(index)];
    }
    size_t EntrySize(int index) const { return static_cast<size_t>(Sizes[static_cast<size_t>(index)]); }
    std::vector<std::uint8_t> Entry(int index) const;
};

// Reads an unpacked archive. On failure archive is left empty.
TSkinArchiveError ParseSkinArchive(const std::uint8_t* data, size_t size, TSkinArchive& archive);
// Unpacks a packed skin and reads the archive in it; a skin that announces more than maxSize
// unpacked bytes is refused as too large.
TSkinArchiveError UnpackSkinArchive(const std::uint8_t* packed, size_t size, TSkinArchive& archive,
                                    std::uint32_t maxSize = kLzhMaxUnpackedSize);

// Writing (the skin tool and the tests).
struct TSkinArchiveEntry {
    std::string Name;
    std::vector<std::uint8_t> Bytes;
};

// A version-70000 archive of the entries in the order given; zeros in the reserved and skipped
// bytes. Raises Exception for what no reader would accept (too many entries, a name with a
// line break, more than kLzhMaxUnpackedSize in all).
std::vector<std::uint8_t> BuildSkinArchive(const std::vector<TSkinArchiveEntry>& entries);
// The same, LZHUF-packed: a packed skin.
std::vector<std::uint8_t> PackSkinArchive(const std::vector<TSkinArchiveEntry>& entries);
