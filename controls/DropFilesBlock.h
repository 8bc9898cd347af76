#pragma once
// The block behind a shell drop handle, read without the shell: a 20-byte header (offset of the
// path list, drop point, non-client flag, wide flag; little-endian) and the path list, each path
// ended by a NUL, the list ended by an empty path. The block comes from whichever program
// started the drag, so nothing in it is trusted: every read stays inside the given bytes, and a
// block whose list does not end inside them is refused as a whole. No windows.h here: the
// reader also runs natively under the sanitizers and the fuzzer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kDropFilesHeaderSize = 20;

enum class TDropBlockError {
    None,
    TooShort,       // not even the header
    OffsetInHeader, // the list would start inside the header
    OffsetPastEnd,  // the list would start at or behind the end of the block
    Unterminated,   // the list runs to the end of the block without its closing empty path
};

struct TDropFilesBlock {
    // From the header (set whenever the header is complete, even when the list is refused).
    std::uint32_t ListOffset = 0;
    std::int32_t X = 0, Y = 0;
    bool NonClient = false;
    bool Wide = false;
    // The paths, in list order, as stored: bytes of the ANSI code page, or UTF-16 code units.
    // Only the one matching Wide is filled.
    std::vector<std::string> AnsiPaths;
    std::vector<std::u16string> WidePaths;

    std::size_t Count() const { return Wide ? WidePaths.size() : AnsiPaths.size(); }
};

// On failure the paths are left empty.
TDropBlockError ParseDropFilesBlock(const std::uint8_t* data, std::size_t size, TDropFilesBlock& block);
const char* DropBlockErrorText(TDropBlockError error);
