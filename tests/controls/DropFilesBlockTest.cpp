// The drop block reader on blocks as the shell makes them and as a hostile or careless program
// could make them: every refusal, and the odd but readable cases.
#include "DropFilesBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& bytes, size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A header with the list at offset, then the list bytes.
Bytes Block(std::uint32_t offset, bool wide, const Bytes& list, std::int32_t x = 0, std::int32_t y = 0) {
    const size_t start = std::max<size_t>(offset, kDropFilesHeaderSize);
    Bytes bytes(start + list.size(), 0xCC);
    std::fill(bytes.begin(), bytes.begin() + kDropFilesHeaderSize, std::uint8_t{0});
    PutU32(bytes, 0, offset);
    PutU32(bytes, 4, static_cast<std::uint32_t>(x));
    PutU32(bytes, 8, static_cast<std::uint32_t>(y));
    PutU32(bytes, 16, wide ? 1 : 0);
    std::copy(list.begin(), list.end(), bytes.begin() + static_cast<std::ptrdiff_t>(start));
    return bytes;
}

Bytes Ansi(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// UTF-16 little-endian code units of the text (plain ASCII and the units given as \x escapes).
Bytes Wide(const std::u16string& text) {
    Bytes bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

TDropBlockError Parse(const Bytes& bytes, TDropFilesBlock& block) {
    return ParseDropFilesBlock(bytes.data(), bytes.size(), block);
}

TEST(DropFilesBlock, ReadsTheShellsBlocksWideAndAnsiWithTheirHeader) {
    TDropFilesBlock block;
    const std::u16string list = u"C:\\one.txt\0D:\\\u03a9\u65e5.txt\0C:\\three\0\0"s;
    ASSERT_EQ(Parse(Block(20, true, Wide(list), -5, 70000), block), TDropBlockError::None);
    EXPECT_TRUE(block.Wide);
    EXPECT_EQ(block.WidePaths,
              (std::vector<std::u16string>{u"C:\\one.txt", u"D:\\\u03a9\u65e5.txt", u"C:\\three"}));
    EXPECT_TRUE(block.AnsiPaths.empty());
    EXPECT_EQ(block.X, -5);
    EXPECT_EQ(block.Y, 70000);
    EXPECT_FALSE(block.NonClient);

    Bytes ansi = Block(20, false, Ansi("C:\\a\xE9\0C:\\b\0\0"s));
    PutU32(ansi, 12, 1);
    ASSERT_EQ(Parse(ansi, block), TDropBlockError::None);
    EXPECT_FALSE(block.Wide);
    EXPECT_TRUE(block.NonClient);
    EXPECT_EQ(block.AnsiPaths, (std::vector<std::string>{"C:\\a\xE9", "C:\\b"}));
    EXPECT_EQ(block.Count(), 2u);
}

TEST(DropFilesBlock, ReadsOddButBoundedBlocks) {
    TDropFilesBlock block;
    // A wide list at an odd offset, after a gap.
    ASSERT_EQ(Parse(Block(23, true, Wide(u"C:\\x\0\0"s)), block), TDropBlockError::None);
    EXPECT_EQ(block.WidePaths, (std::vector<std::u16string>{u"C:\\x"}));
    // Whatever follows the closing empty path is not looked at.
    ASSERT_EQ(Parse(Block(20, false, Ansi("a\0\0garbage"s)), block), TDropBlockError::None);
    EXPECT_EQ(block.AnsiPaths, (std::vector<std::string>{"a"}));
    // An empty list is no path at all, also when more text follows it.
    ASSERT_EQ(Parse(Block(20, true, Wide(u"\0a\0\0"s)), block), TDropBlockError::None);
    EXPECT_EQ(block.Count(), 0u);
    // Any non-zero wide flag means wide.
    Bytes two = Block(20, true, Wide(u"b\0\0"s));
    PutU32(two, 16, 2);
    ASSERT_EQ(Parse(two, block), TDropBlockError::None);
    EXPECT_EQ(block.WidePaths, (std::vector<std::u16string>{u"b"}));
    // A closing NUL of the wide list whose second byte is missing is no NUL.
    Bytes cut = Block(20, true, Wide(u"b\0"s));
    cut.push_back(0);
    EXPECT_EQ(Parse(cut, block), TDropBlockError::Unterminated);
}

TEST(DropFilesBlock, RefusesWhatWouldBeReadOutsideTheBlockAndKeepsNoPaths) {
    struct TCase {
        const char* Name;
        Bytes Data;
        TDropBlockError Error;
    };
    Bytes pastEnd = Block(20, true, Wide(u"a\0\0"s));
    PutU32(pastEnd, 0, static_cast<std::uint32_t>(pastEnd.size()));
    Bytes farPastEnd = pastEnd;
    PutU32(farPastEnd, 0, 0xFFFFFFFFu);
    const TCase cases[] = {
        {"nothing", {}, TDropBlockError::TooShort},
        {"half a header", Bytes(19, 0), TDropBlockError::TooShort},
        {"header only", Block(20, true, {}), TDropBlockError::OffsetPastEnd},
        {"list in the header", Block(8, false, Ansi("a\0\0"s)), TDropBlockError::OffsetInHeader},
        {"list at offset 0", Block(0, true, Wide(u"a\0\0"s)), TDropBlockError::OffsetInHeader},
        {"offset at the end", pastEnd, TDropBlockError::OffsetPastEnd},
        {"offset far past the end", farPastEnd, TDropBlockError::OffsetPastEnd},
        {"no NUL at all (ANSI)", Block(20, false, Ansi("C:\\abc")), TDropBlockError::Unterminated},
        {"no NUL at all (wide)", Block(20, true, Wide(u"C:\\abc")), TDropBlockError::Unterminated},
        {"no closing empty path (ANSI)", Block(20, false, Ansi("a\0b\0"s)), TDropBlockError::Unterminated},
        {"no closing empty path (wide)", Block(20, true, Wide(u"a\0b\0"s)), TDropBlockError::Unterminated},
        {"wide list of one byte", Block(20, true, Bytes{0}), TDropBlockError::Unterminated},
    };
    for (const TCase& c : cases) {
        TDropFilesBlock block;
        block.AnsiPaths = {"left over"};
        EXPECT_EQ(Parse(c.Data, block), c.Error) << c.Name;
        EXPECT_EQ(block.Count(), 0u) << c.Name;
        EXPECT_TRUE(block.AnsiPaths.empty() && block.WidePaths.empty()) << c.Name;
    }
    TDropFilesBlock none;
    EXPECT_EQ(ParseDropFilesBlock(nullptr, 100, none), TDropBlockError::TooShort);
}

} // namespace
