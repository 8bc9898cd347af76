// Packed skins come from users: any byte sequence must decode to exactly the announced size
// without crashing, and whatever we pack must come back unchanged. Inputs that announce more
// than the limit must be refused, with the program's own limit (64 MiB) as with the input's own.

#include "FuzzLimit.h"
#include "WinConvert.h"

#include <cstdint>
#include <cstdlib>

// Mutations of the first four bytes mostly announce more than the input's limit (FuzzLimit.h),
// which is refused at once without decoding anything.
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    KeepMostWithinTheirLimit(data, size, seed);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::uint32_t limit = LimitFromInput(data, size);
    TLzhUnpackResult result;
    std::vector<std::uint8_t> out = LzhUnpack(data, size, &result, limit);
    if (result.TooLarge != (result.AnnouncedSize > limit) || (result.TooLarge && !out.empty()))
        std::abort();
    if (result.AnnouncedSize > kLzhMaxUnpackedSize) {
        TLzhUnpackResult refused;
        if (!LzhUnpack(data, size, &refused).empty() || !refused.TooLarge || refused.Produced != 0)
            std::abort();
    }
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
