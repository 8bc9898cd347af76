#pragma once
// Decoders spend time in proportion to the size an input announces (the skin decoder's adaptive
// code tree is updated for every byte), and mutated inputs mostly announce megabytes: under the
// program's own limits a target manages a few dozen inputs a second. So each input is decoded
// under a limit of its own, taken from its last byte: 16 bytes to 1 KiB for 63 inputs in 64,
// 64 KiB (past the code tree's rebuild at 32K symbols) for the rest. The code that refuses what is
// over the limit is the same whatever the limit; the program's own limits are checked where they
// cost nothing, on inputs that announce more than they allow.

#include <cstddef>
#include <cstdint>

inline std::uint32_t LimitFromInput(const std::uint8_t* data, std::size_t size) {
    const unsigned selector = size ? data[size - 1] : 0u;
    if (selector < 252)
        return 16u << (selector % 7);
    return 65536u;
}

// For a custom mutator, after the mutation: most inputs announce (in their first four bytes, least
// significant first) no more than their own limit, so that they are decoded; one in sixty-four
// keeps what the mutation gave, so that refusals are tried too.
inline void KeepMostWithinTheirLimit(std::uint8_t* data, std::size_t size, unsigned seed) {
    if (size <= 4 || seed % 64 == 0)
        return;
    std::uint32_t announced =
        data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    const std::uint32_t limit = LimitFromInput(data, size);
    if (announced <= limit)
        return;
    announced %= limit + 1;
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<std::uint8_t>(announced >> (8 * i));
}
