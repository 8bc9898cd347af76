// Packed skins come from users: any byte sequence must decode to exactly the announced size
// without crashing, and whatever we pack must come back unchanged.

#include "WinConvert.h"

#include <cstdlib>

namespace {

// Keeps a run fast; the full limit only costs time, not new paths. Still large enough for a
// rebuild of the tree (at about 32K symbols).
constexpr std::uint32_t kFuzzMaxSize = 64u * 1024u;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TLzhUnpackResult result;
    std::vector<std::uint8_t> out = LzhUnpack(data, size, &result, kFuzzMaxSize);
    if (result.TooLarge != (result.AnnouncedSize > kFuzzMaxSize))
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
