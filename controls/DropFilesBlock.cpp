#include "DropFilesBlock.h"

#include <bit>
#include <cstring>

namespace {
std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The paths of a list of units of type TChar (char, or char16_t stored little-endian), from
// possibly unaligned bytes. False when the closing empty path is missing. Thousands of paths
// come in one drop, so each is found by a scan and copied whole.
template <typename TChar>
bool ReadList(const std::uint8_t* text, std::size_t bytes, std::vector<std::basic_string<TChar>>& paths) {
    constexpr std::size_t unitSize = sizeof(TChar);
    const std::size_t units = bytes / unitSize;
    auto isNul = [text](std::size_t i) {
        if constexpr (unitSize == 1)
            return text[i] == 0;
        else
            return text[2 * i] == 0 && text[2 * i + 1] == 0;
    };
    std::size_t at = 0;
    while (at < units) {
        if (isNul(at))
            return true; // the empty path that closes the list
        std::size_t end = at + 1;
        while (end < units && !isNul(end))
            ++end;
        if (end == units)
            return false; // a path without its NUL
        std::basic_string<TChar> path(end - at, TChar{});
        if constexpr (unitSize == 1 || std::endian::native == std::endian::little) {
            std::memcpy(path.data(), text + at * unitSize, (end - at) * unitSize);
        } else {
            for (std::size_t i = at; i < end; ++i)
                path[i - at] = static_cast<TChar>(text[2 * i] | text[2 * i + 1] << 8);
        }
        paths.push_back(std::move(path));
        at = end + 1;
    }
    return false;
}
} // namespace

TDropBlockError ParseDropFilesBlock(const std::uint8_t* data, std::size_t size, TDropFilesBlock& block) {
    block = TDropFilesBlock{};
    if (!data || size < kDropFilesHeaderSize)
        return TDropBlockError::TooShort;
    block.ListOffset = ReadU32(data);
    block.X = static_cast<std::int32_t>(ReadU32(data + 4));
    block.Y = static_cast<std::int32_t>(ReadU32(data + 8));
    block.NonClient = ReadU32(data + 12) != 0;
    block.Wide = ReadU32(data + 16) != 0;
    if (block.ListOffset < kDropFilesHeaderSize)
        return TDropBlockError::OffsetInHeader;
    if (block.ListOffset >= size)
        return TDropBlockError::OffsetPastEnd;
    const std::uint8_t* text = data + block.ListOffset;
    const std::size_t bytes = size - block.ListOffset;
    const bool complete =
        block.Wide ? ReadList(text, bytes, block.WidePaths) : ReadList(text, bytes, block.AnsiPaths);
    if (!complete) {
        block.WidePaths.clear();
        block.AnsiPaths.clear();
        return TDropBlockError::Unterminated;
    }
    return TDropBlockError::None;
}

const char* DropBlockErrorText(TDropBlockError error) {
    switch (error) {
    case TDropBlockError::None:
        return "none";
    case TDropBlockError::TooShort:
        return "shorter than its header";
    case TDropBlockError::OffsetInHeader:
        return "path list inside the header";
    case TDropBlockError::OffsetPastEnd:
        return "path list past the end";
    case TDropBlockError::Unterminated:
        return "path list not terminated";
    }
    return "unknown";
}
