#include "SkinArchive.h"

#include "TextLines.h"

#include <cstring>

namespace {

std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t ReadI32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(ReadU32(p));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

TSkinArchiveError Parse(const std::uint8_t* data, size_t size, TSkinArchive& archive) {
    if (size < 4)
        return TSkinArchiveError::HeaderIncomplete;
    archive.Version = ReadU32(data);
    size_t skip = 0;
    if (!SkinVersionSkip(archive.Version, skip))
        return TSkinArchiveError::UnknownVersion;
    if (size < kSkinHeaderSize + skip)
        return TSkinArchiveError::HeaderIncomplete;
    archive.NameListLength = ReadI32(data + 4);
    size_t pos = kSkinHeaderSize + skip;
    if (archive.NameListLength < 0 || static_cast<size_t>(archive.NameListLength) > size - pos)
        return TSkinArchiveError::BadNameListLength;

    std::string_view text(reinterpret_cast<const char*>(data + pos),
                          static_cast<size_t>(archive.NameListLength));
    pos += static_cast<size_t>(archive.NameListLength);
    // Checked before splitting: a count of lines needs no allocation.
    size_t lineBreaks = 0;
    for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++lineBreaks;
    }
    if (lineBreaks > static_cast<size_t>(kSkinMaxEntries))
        return TSkinArchiveError::TooManyEntries;
    archive.Names = SplitLines(SkinNameLower(text));
    if (archive.Names.size() > static_cast<size_t>(kSkinMaxEntries))
        return TSkinArchiveError::TooManyEntries;

    size_t count = archive.Names.size();
    if (4 * count > size - pos)
        return TSkinArchiveError::SizeTableIncomplete;
    std::uint64_t total = 0;
    for (size_t i = 0; i < count; ++i) {
        std::int32_t entrySize = ReadI32(data + pos + 4 * i);
        if (entrySize < 0)
            return TSkinArchiveError::NegativeEntrySize;
        archive.Sizes.push_back(entrySize);
        archive.Offsets.push_back(static_cast<size_t>(total));
        total += static_cast<std::uint64_t>(entrySize);
    }
    pos += 4 * count;
    if (total > size - pos)
        return TSkinArchiveError::EntriesPastData;
    archive.Data.assign(data + pos, data + size);
    return TSkinArchiveError::None;
}

} // namespace

std::string SkinArchiveErrorText(TSkinArchiveError error) {
    switch (error) {
    case TSkinArchiveError::None:
        return {};
    case TSkinArchiveError::UnknownVersion:
        return kSkinOlderFileMessage;
    case TSkinArchiveError::NoSizeHeader:
        return "Damaged skin file: it is too short to hold a packed skin.";
    case TSkinArchiveError::TooLarge:
        return "Damaged skin file: it unpacks to more than 64 MiB.";
    case TSkinArchiveError::HeaderIncomplete:
        return "Damaged skin file: the archive header is incomplete.";
    case TSkinArchiveError::BadNameListLength:
        return "Damaged skin file: the length of the name list is negative or runs past the data.";
    case TSkinArchiveError::TooManyEntries:
        return "Damaged skin file: it lists more than 1001 entries.";
    case TSkinArchiveError::SizeTableIncomplete:
        return "Damaged skin file: the table of entry sizes runs past the data.";
    case TSkinArchiveError::NegativeEntrySize:
        return "Damaged skin file: an entry has a negative size.";
    case TSkinArchiveError::EntriesPastData:
        return "Damaged skin file: the entry sizes add up past the end of the data.";
    }
    return "Damaged skin file.";
}

bool SkinVersionSkip(std::uint32_t version, size_t& skip) {
    switch (version) {
    case 20000:
        skip = 0;
        return true;
    case 30000:
        skip = 256;
        return true;
    case 40000:
        skip = 80;
        return true;
    case 50000:
        skip = 48;
        return true;
    case 60000:
        skip = 117;
        return true;
    case 70000:
        skip = 69;
        return true;
    default:
        return false;
    }
}

std::string SkinNameLower(std::string_view name) {
    std::string lower(name);
    for (char& ch : lower) {
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    }
    return lower;
}

int TSkinArchive::IndexOf(std::string_view name) const {
    std::string key = SkinNameLower(name);
    for (size_t i = 0; i < Names.size(); ++i) {
        if (Names[i] == key)
            return static_cast<int>(i);
    }
    return -1;
}

int TSkinArchive::IndexContaining(std::string_view fragment) const {
    for (size_t i = 0; i < Names.size(); ++i) {
        if (Names[i].find(fragment) != std::string::npos)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::uint8_t> TSkinArchive::Entry(int index) const {
    const std::uint8_t* begin = EntryData(index);
    return std::vector<std::uint8_t>(begin, begin + EntrySize(index));
}

TSkinArchiveError ParseSkinArchive(const std::uint8_t* data, size_t size, TSkinArchive& archive) {
    archive = TSkinArchive{};
    TSkinArchiveError error = Parse(data, size, archive);
    if (error != TSkinArchiveError::None)
        archive = TSkinArchive{};
    return error;
}

TSkinArchiveError UnpackSkinArchive(const std::uint8_t* packed, size_t size, TSkinArchive& archive,
                                    std::uint32_t maxSize) {
    archive = TSkinArchive{};
    if (size < 4)
        return TSkinArchiveError::NoSizeHeader;
    TLzhUnpackResult result;
    std::vector<std::uint8_t> unpacked = LzhUnpack(packed, size, &result, maxSize);
    if (result.TooLarge)
        return TSkinArchiveError::TooLarge;
    return ParseSkinArchive(unpacked.data(), unpacked.size(), archive);
}

std::vector<std::uint8_t> BuildSkinArchive(const std::vector<TSkinArchiveEntry>& entries) {
    if (entries.size() > static_cast<size_t>(kSkinMaxEntries))
        throw Exception("A skin holds at most " + std::to_string(kSkinMaxEntries) + " files.");
    std::string names;
    std::uint64_t total = 0;
    for (const TSkinArchiveEntry& entry : entries) {
        if (entry.Name.empty() ||
            entry.Name.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            throw Exception("The file name \"" + entry.Name + "\" cannot be stored in a skin.");
        names += entry.Name;
        names += "\r\n";
        total += entry.Bytes.size();
    }
    size_t skip = 0;
    SkinVersionSkip(kSkinArchiveVersion, skip);
    total += kSkinHeaderSize + skip + names.size() + 4 * entries.size();
    if (total > kLzhMaxUnpackedSize)
        throw Exception("A skin unpacks to at most 64 MiB.");

    std::vector<std::uint8_t> out;
    out.reserve(static_cast<size_t>(total));
    PutU32(out, kSkinArchiveVersion);
    PutU32(out, static_cast<std::uint32_t>(names.size()));
    out.insert(out.end(), 8 + skip, 0);
    out.insert(out.end(), names.begin(), names.end());
    for (const TSkinArchiveEntry& entry : entries)
        PutU32(out, static_cast<std::uint32_t>(entry.Bytes.size()));
    for (const TSkinArchiveEntry& entry : entries)
        out.insert(out.end(), entry.Bytes.begin(), entry.Bytes.end());
    return out;
}

std::vector<std::uint8_t> PackSkinArchive(const std::vector<TSkinArchiveEntry>& entries) {
    return LzhPack(BuildSkinArchive(entries));
}
