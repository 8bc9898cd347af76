// Packed skins come from users: any byte sequence must decode to exactly the announced size
// without crashing, and whatever we pack must come back unchanged. The limit is the program's
// own (64 MiB): inputs that announce more must be refused exactly as the program refuses them,
// and the ones just below it must decode like any other.

#include "WinConvert.h"

#include <cstdint>
#include <cstdlib>

// Decoding costs time in proportion to the announced size, and mutations of the first four
// bytes mostly announce megabytes: left alone, a run manages a few dozen inputs a second. So most
// mutated inputs announce a modest size; one in sixty-four keeps what the mutation gave, so sizes up
// to the program's limit and past it are still tried with that limit.
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    constexpr std::uint32_t kModest = 64u * 1024u; // still past a rebuild of the tree (at about 32K symbols)
    if (size >= 4 && seed % 64 != 0) {
        std::uint32_t announced =
            data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
        if (announced > kModest) {
            announced %= kModest + 1;
            for (int i = 0; i < 4; ++i)
                data[i] = static_cast<uint8_t>(announced >> (8 * i));
        }
    }
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TLzhUnpackResult result;
    std::vector<std::uint8_t> out = LzhUnpack(data, size, &result);
    if (result.TooLarge != (result.AnnouncedSize > kLzhMaxUnpackedSize))
        std::abort();
    if (!result.TooLarge && (out.size() != result.AnnouncedSize || result.Produced != out.size()))
        std::abort();
    if (size < 4 ? result.HeaderComplete : !result.HeaderComplete)
        std::abort();

    std::vector<std::uint8_t> packed = LzhPack(data, size);
    TLzhUnpackResult again;
    if (LzhUnpack(packed, &again) != std::vector<std::uint8_t>(data, data + size))
        std::abort();
    // Our streams carry no padding beyond the last partial byte.
    if (again.CodeBytesUsed != packed.size() - 4)
        std::abort();
    return 0;
}
