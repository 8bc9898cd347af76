// Drop blocks come from other programs (an elevated Perchpoints lets drops of less privileged
// ones through): the reader must stay inside the block, and what it reads must be exactly the
// block's list. Checked against a plain reading: the list ends at the first NUL unit that
// follows another NUL unit (or starts the list), and writing the paths back gives those bytes.

#include "DropFilesBlock.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TDropFilesBlock block;
    const TDropBlockError error = ParseDropFilesBlock(data, size, block);
    if (size < kDropFilesHeaderSize) {
        if (error != TDropBlockError::TooShort)
            std::abort();
        return 0;
    }
    const std::uint32_t offset = U32(data);
    const bool wide = U32(data + 16) != 0;
    if (block.ListOffset != offset || block.Wide != wide ||
        block.X != static_cast<std::int32_t>(U32(data + 4)) ||
        block.Y != static_cast<std::int32_t>(U32(data + 8)) || block.NonClient != (U32(data + 12) != 0))
        std::abort();
    if (offset < kDropFilesHeaderSize || offset >= size) {
        if (error != (offset < kDropFilesHeaderSize ? TDropBlockError::OffsetInHeader
                                                    : TDropBlockError::OffsetPastEnd))
            std::abort();
        if (block.Count() != 0)
            std::abort();
        return 0;
    }

    // The plain reading: where does the list end?
    const std::size_t unitSize = wide ? 2 : 1;
    const std::size_t units = (size - offset) / unitSize;
    auto unit = [&](std::size_t i) -> unsigned {
        const std::uint8_t* p = data + offset + i * unitSize;
        return wide ? static_cast<unsigned>(p[0] | p[1] << 8) : p[0];
    };
    std::size_t end = units; // index of the closing NUL
    for (std::size_t i = 0; i < units; ++i) {
        if (unit(i) == 0 && (i == 0 || unit(i - 1) == 0)) {
            end = i;
            break;
        }
    }
    if (end == units) {
        if (error != TDropBlockError::Unterminated || block.Count() != 0)
            std::abort();
        return 0;
    }
    if (error != TDropBlockError::None)
        std::abort();
    if ((wide ? block.AnsiPaths.size() : block.WidePaths.size()) != 0)
        std::abort();

    // Writing the paths back gives the list up to its closing NUL.
    std::basic_string<unsigned> written;
    if (wide) {
        for (const std::u16string& path : block.WidePaths) {
            if (path.empty())
                std::abort();
            for (char16_t c : path)
                written.push_back(c);
            written.push_back(0);
        }
    } else {
        for (const std::string& path : block.AnsiPaths) {
            if (path.empty())
                std::abort();
            for (char c : path)
                written.push_back(static_cast<unsigned char>(c));
            written.push_back(0);
        }
    }
    if (written.size() != end)
        std::abort();
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i] != unit(i))
            std::abort();
    }
    return 0;
}
