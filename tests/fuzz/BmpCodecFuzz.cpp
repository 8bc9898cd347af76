// Skins come from users, so every BMP in them is untrusted input. Each input is decoded under a
// pixel limit of its own (FuzzLimit.h): the program's 64-megapixel limit would let most mutated
// headers allocate and fill hundreds of megabytes.

#include "BmpCodec.h"
#include "FuzzLimit.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::uint64_t limit = LimitFromInput(data, size);
    TBmpImage image;
    std::string error;
    if (!DecodeBmp(data, size, image, &error, limit)) {
        DecodeDib(data, size, image, &error, limit); // same parser, no file header
        return 0;
    }
    if (image.Pixels.size() != static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height) ||
        image.Pixels.size() > limit)
        std::abort();

    // Whatever decoded must survive our own writer unchanged, minus alpha.
    const std::vector<uint8_t> encoded = EncodeBmp24(image);
    TBmpImage again;
    if (encoded.empty() || !DecodeBmp(encoded.data(), encoded.size(), again))
        std::abort();
    if (again.Width != image.Width || again.Height != image.Height)
        std::abort();
    for (size_t i = 0; i < image.Pixels.size(); ++i) {
        if ((again.Pixels[i] & 0x00FFFFFFu) != (image.Pixels[i] & 0x00FFFFFFu))
            std::abort();
    }
    return 0;
}
