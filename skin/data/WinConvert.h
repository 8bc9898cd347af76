#pragma once
// The LZHUF codec of packed skins: LZSS over a 4096-byte ring buffer, literals and match lengths
// coded by an adaptive Huffman tree, match positions by a fixed prefix code plus 6 raw bits.
// A packed skin is a 4-byte little-endian unpacked size followed by the code stream.
//
// No windows.h here: the codec is built natively for the sanitizer and fuzz runs.

#include "SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class ElzhException : public Exception {
  public:
    using Exception::Exception;
};

// Hostile packed skins may announce any size; nothing bigger than this is ever produced, so a
// bad header can cost at most this much memory and time. Real skins unpack to well under 1 MiB.
inline constexpr std::uint32_t kLzhMaxUnpackedSize = 64u * 1024u * 1024u;

// Reads up to count bytes into buffer and returns how many it got (0 at the end).
using TLzhReadProc = std::function<size_t(std::uint8_t* buffer, size_t count)>;
// Takes count bytes.
using TLzhWriteProc = std::function<void(const std::uint8_t* buffer, size_t count)>;

struct TLzhUnpackResult {
    std::uint32_t AnnouncedSize = 0; // from the header, even when it was refused
    std::uint64_t Produced = 0;      // bytes handed to the writer
    // Whole bytes of code stream the symbols actually used. Equal to the stream length for the
    // output of a correct encoder; bits read past the end of the input count too.
    std::uint64_t CodeBytesUsed = 0;
    bool HeaderComplete = false; // all 4 size bytes were present
    bool TooLarge = false;       // announced size over the limit: nothing was decoded
};

class TLZH {
  public:
    TLZH(TLzhReadProc read, TLzhWriteProc write);

    // Reads the size header and decodes exactly that many bytes. Missing input reads as zero
    // bytes, so a truncated stream still yields the announced size. A size over maxSize is not
    // decoded at all (TooLarge). Raises ElzhException when the tables cannot be allocated.
    TLzhUnpackResult Unpack(std::uint32_t maxSize = kLzhMaxUnpackedSize);

    // Reads the whole input and writes the size header and the code stream. Inputs of 4 GiB
    // and more cannot be described by the header and raise ElzhException.
    void Pack();

  private:
    TLzhReadProc read_;
    TLzhWriteProc write_;
};

// In-memory forms of the above.
std::vector<std::uint8_t> LzhPack(const std::uint8_t* data, size_t size);
inline std::vector<std::uint8_t> LzhPack(const std::vector<std::uint8_t>& data) {
    return LzhPack(data.data(), data.size());
}
std::vector<std::uint8_t> LzhUnpack(const std::uint8_t* packed, size_t size,
                                    TLzhUnpackResult* result = nullptr,
                                    std::uint32_t maxSize = kLzhMaxUnpackedSize);
inline std::vector<std::uint8_t> LzhUnpack(const std::vector<std::uint8_t>& packed,
                                           TLzhUnpackResult* result = nullptr,
                                           std::uint32_t maxSize = kLzhMaxUnpackedSize) {
    return LzhUnpack(packed.data(), packed.size(), result, maxSize);
}

// Encoder switches for tests that need a stream of a known shape.
struct TLzhPackOptions {
    bool Matches = true; // false: literals only
};
std::vector<std::uint8_t> LzhPack(const std::uint8_t* data, size_t size, const TLzhPackOptions& options);
