// Packed skins come from users: any byte sequence must decode to exactly the announced size
// without crashing, and whatever we pack must come back unchanged. The limit is the program's
// own (64 MiB): inputs that announce more must be refused exactly as the program refuses them,
// and the ones just below it must decode like any other.

#include "WinConvert.h"

#include <cstdlib>

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
