#pragma once
// Decoders spend time and memory in proportion to the size an input announces, and mutated inputs
// mostly announce megabytes: under the program's own limits a target manages a few dozen inputs a
// second. So each input is decoded under a limit of its own, taken from its last byte: 64 bytes
// to 8 KiB for fifteen in sixteen inputs, up to 256 KiB for the rest. The code that refuses what
// is over the limit is the same whatever the limit; the program's own limits are checked where
// they cost nothing, on inputs that announce more than they allow.

#include <cstddef>
#include <cstdint>

inline std::uint32_t LimitFromInput(const std::uint8_t* data, std::size_t size) {
    const unsigned selector = size ? data[size - 1] : 0u;
    if (selector < 240)
        return 64u << (selector % 8);
    return 16384u << (selector % 5);
}
