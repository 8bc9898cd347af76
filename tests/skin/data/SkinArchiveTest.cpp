#include "SkinArchive.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

void PutU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// An archive laid out by hand, so the reader is checked against the layout and not against our
// own writer.
struct TRawArchive {
    std::uint32_t version = 70000;
    size_t skip = 69;
    std::string names = "buttons.bmp\r\nskin.ini\r\n";
    std::vector<std::int32_t> sizes = {3, 2};
    std::string data = "BMPi=";
    std::optional<std::int32_t> nameListLength; // the real length when empty

    Bytes Build() const {
        Bytes out;
        PutU32(out, version);
        PutU32(out,
               static_cast<std::uint32_t>(nameListLength.value_or(static_cast<std::int32_t>(names.size()))));
        PutU32(out, 0xDEADBEEF); // reserved: any value
        PutU32(out, 0x12345678);
        out.insert(out.end(), skip, 0xAA);
        out.insert(out.end(), names.begin(), names.end());
        for (std::int32_t s : sizes)
            PutU32(out, static_cast<std::uint32_t>(s));
        out.insert(out.end(), data.begin(), data.end());
        return out;
    }
};

TSkinArchiveError Parse(const Bytes& bytes, TSkinArchive& archive) {
    return ParseSkinArchive(bytes.data(), bytes.size(), archive);
}

TEST(SkinArchive, ReadsEveryListedVersionWithItsSkippedBlock) {
    const std::pair<std::uint32_t, size_t> versions[] = {{20000, 0},  {30000, 256}, {40000, 80},
                                                         {50000, 48}, {60000, 117}, {70000, 69}};
    for (auto [version, skip] : versions) {
        TRawArchive raw;
        raw.version = version;
        raw.skip = skip;
        TSkinArchive archive;
        ASSERT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::None) << version;
        EXPECT_EQ(archive.Version, version);
        EXPECT_EQ(archive.NameListLength, 23);
        EXPECT_EQ(archive.Names, (std::vector<std::string>{"buttons.bmp", "skin.ini"}));
        EXPECT_EQ(archive.Entry(0), FromText("BMP"));
        EXPECT_EQ(archive.Entry(1), FromText("i="));
    }
}

TEST(SkinArchive, RefusesUnlistedVersionsWithTheOlderSkinMessage) {
    for (std::uint32_t version : {0u, 10000u, 69999u, 70001u, 80000u}) {
        TRawArchive raw;
        raw.version = version;
        TSkinArchive archive;
        EXPECT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::UnknownVersion) << version;
        EXPECT_EQ(archive.Count(), 0);
    }
    EXPECT_EQ(SkinArchiveErrorText(TSkinArchiveError::UnknownVersion),
              "This is Older Skin File\rPlease update to new version !");
}

TEST(SkinArchive, NameListRules) {
    TSkinArchive archive;
    TRawArchive raw;
    raw.names = "Buttons.BMP\r\nSKIN.ini"; // no final line break: still two names
    ASSERT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::None);
    EXPECT_EQ(archive.Names, (std::vector<std::string>{"buttons.bmp", "skin.ini"}));

    // A NUL ends the text, as it did for the string list that always read these names; the
    // bytes after it are not names, and the size table follows the full length.
    raw.names = std::string("a.bmp\r\nb.ini\r\n\0junk\r\n", 21);
    ASSERT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::None);
    EXPECT_EQ(archive.Count(), 2);
    EXPECT_EQ(archive.Entry(1), FromText("i="));

    // Lines end at CR, LF or CR LF alike.
    raw.names = "a.bmp\nb.ini\r";
    ASSERT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::None);
    EXPECT_EQ(archive.Names, (std::vector<std::string>{"a.bmp", "b.ini"}));

    // Only ASCII letters fold.
    EXPECT_EQ(SkinNameLower("Ab\xC9Z.BMP"), "ab\xC9z.bmp");
}

TEST(SkinArchive, WriterLaysOutVersion70000) {
    std::vector<TSkinArchiveEntry> entries = {{"a.bmp", FromText("xyz")}, {"s.ini", FromText("k=v")}};
    Bytes built = BuildSkinArchive(entries);
    const std::string names = "a.bmp\r\ns.ini\r\n";
    const size_t dataStart = 16 + 69 + names.size() + 4 * 2;
    ASSERT_EQ(built.size(), dataStart + 6);
    EXPECT_EQ(built[0] | (built[1] << 8) | (built[2] << 16), 70000);
    EXPECT_EQ(built[4], names.size());
    EXPECT_EQ(std::string(built.begin() + 85, built.begin() + 85 + static_cast<std::ptrdiff_t>(names.size())),
              names);
    EXPECT_EQ(built[85 + names.size()], 3);
    EXPECT_EQ(built[89 + names.size()], 3);
    EXPECT_EQ(std::string(built.begin() + static_cast<std::ptrdiff_t>(dataStart), built.end()), "xyzk=v");

    // Through the codec and back.
    TSkinArchive archive;
    Bytes packed = PackSkinArchive(entries);
    ASSERT_EQ(UnpackSkinArchive(packed.data(), packed.size(), archive), TSkinArchiveError::None);
    EXPECT_EQ(archive.Entry(1), FromText("k=v"));

    EXPECT_THROW(BuildSkinArchive({{"bad\r\nname.bmp", {}}}), Exception);
    EXPECT_THROW(BuildSkinArchive({{"", {}}}), Exception);
    EXPECT_THROW(BuildSkinArchive(std::vector<TSkinArchiveEntry>(1002, {"x.bmp", {}})), Exception);
    EXPECT_NO_THROW(BuildSkinArchive(std::vector<TSkinArchiveEntry>(1001, {"x.bmp", {}})));
}

TEST(SkinArchive, EveryTruncationIsRefusedAndHoldsNothing) {
    Bytes full = TRawArchive{}.Build();
    std::set<TSkinArchiveError> seen;
    for (size_t keep = 0; keep < full.size(); ++keep) {
        TSkinArchive archive;
        TSkinArchiveError error =
            Parse(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(keep)), archive);
        EXPECT_NE(error, TSkinArchiveError::None) << keep;
        EXPECT_EQ(archive.Count(), 0);
        EXPECT_TRUE(archive.Data.empty());
        seen.insert(error);
    }
    EXPECT_EQ(seen, (std::set<TSkinArchiveError>{
                        TSkinArchiveError::HeaderIncomplete, TSkinArchiveError::BadNameListLength,
                        TSkinArchiveError::SizeTableIncomplete, TSkinArchiveError::EntriesPastData}));
}

TEST(SkinArchive, RefusesHostileCountsAndSizes) {
    TSkinArchive archive;
    TRawArchive raw;
    raw.nameListLength = -5;
    EXPECT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::BadNameListLength);
    raw.nameListLength = 0x7FFFFFFF;
    EXPECT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::BadNameListLength);

    raw = {};
    raw.sizes = {-1, 2};
    EXPECT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::NegativeEntrySize);
    raw.sizes = {0x7FFFFFFF, 0x7FFFFFFF}; // would wrap a 32-bit sum
    EXPECT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::EntriesPastData);
    raw.sizes = {3, 3};
    EXPECT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::EntriesPastData);
    raw.sizes = {0, 0}; // data beyond the entries is kept, not an error
    ASSERT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::None);
    EXPECT_EQ(archive.Data.size(), 5u);
    EXPECT_TRUE(archive.Entry(1).empty());

    // The size table holds 1001 entries; 1001 names fit, 1002 are refused, and a name list of
    // nothing but line breaks is refused before it is split.
    for (int count : {1001, 1002}) {
        raw = {};
        raw.names.clear();
        for (int i = 0; i < count; ++i)
            raw.names += "n" + std::to_string(i) + "\r\n";
        raw.sizes.assign(static_cast<size_t>(count), 0);
        EXPECT_EQ(Parse(raw.Build(), archive),
                  count == 1001 ? TSkinArchiveError::None : TSkinArchiveError::TooManyEntries);
    }
    raw = {};
    raw.names.assign(1 << 20, '\n');
    EXPECT_EQ(Parse(raw.Build(), archive), TSkinArchiveError::TooManyEntries);
}

TEST(SkinArchive, PackedSkinLimits) {
    TSkinArchive archive;
    Bytes tiny = {0x10, 0x00};
    EXPECT_EQ(UnpackSkinArchive(tiny.data(), tiny.size(), archive), TSkinArchiveError::NoSizeHeader);
    Bytes huge = {0x01, 0x00, 0x00, 0x04, 0x00}; // 64 MiB + 1
    EXPECT_EQ(UnpackSkinArchive(huge.data(), huge.size(), archive), TSkinArchiveError::TooLarge);
    Bytes empty = {0, 0, 0, 0};
    EXPECT_EQ(UnpackSkinArchive(empty.data(), empty.size(), archive), TSkinArchiveError::HeaderIncomplete);

    // A cut code stream reads on as zero bytes; the archive then fails its own checks or not,
    // but never reads outside the data.
    Bytes packed = PackSkinArchive({{"a.bmp", Bytes(3000, 7)}, {"s.ini", FromText("[x]")}});
    int accepted = 0, refused = 0;
    for (size_t keep = 4; keep < packed.size(); keep += 3) {
        TSkinArchiveError error = UnpackSkinArchive(packed.data(), keep, archive);
        if (error != TSkinArchiveError::None) {
            ++refused;
            EXPECT_EQ(archive.Count(), 0) << "a refused archive holds nothing (" << keep << " bytes)";
            EXPECT_TRUE(archive.Data.empty()) << keep << " bytes";
            continue;
        }
        ++accepted;
        ASSERT_EQ(archive.Offsets.size(), static_cast<size_t>(archive.Count())) << keep << " bytes";
        for (int i = 0; i < archive.Count(); ++i)
            EXPECT_LE(archive.Offsets[static_cast<size_t>(i)] + archive.EntrySize(i), archive.Data.size())
                << "entry " << i << " of the archive cut to " << keep << " bytes";
    }
    // Both kinds occur: a cut early in the stream loses the names, a cut late only data.
    EXPECT_GT(refused, 0);
    EXPECT_GT(accepted, 0);
    // The whole stream reads back as it was packed.
    ASSERT_EQ(UnpackSkinArchive(packed.data(), packed.size(), archive), TSkinArchiveError::None);
    ASSERT_EQ(archive.Count(), 2);
    EXPECT_EQ(archive.Entry(0), Bytes(3000, 7));
    EXPECT_EQ(archive.Entry(1), FromText("[x]"));
}

} // namespace
