#pragma once

// BMP reading and writing without windows.h, so the skin loader and the skin
// tools can share it and it can be fuzzed on any host.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TBmpImage {
    int Width = 0, Height = 0; // Height > 0 always; rows stored top-down
    int BitCount = 0;          // bit depth of the source (1, 4, 8, 16, 24, 32)
    bool HasAlpha = false;     // a 16/32-bit source whose alpha channel carries data (not all zero)
    // Width*Height, 0xAARRGGBB (blue in the low byte, as a Windows 32-bit DIB),
    // top row first. Sources without alpha decode opaque (0xFF); pixels an RLE
    // stream never writes stay 0 so the skin engine can treat them as holes.
    std::vector<uint32_t> Pixels;
    // Source palette as 0x00RRGGBB, for paletted sources (the skin tools keep
    // 16-colour bitmaps 16-colour). At most 2^BitCount entries; may be shorter
    // than that when the file stores fewer, and indices past it decode as black.
    std::vector<uint32_t> Palette;
};

// The most pixels an image may have (a side may be at most 32768).
inline constexpr uint64_t kBmpMaxPixels = 64ull * 1024 * 1024;

// Decodes a .bmp file (14-byte file header followed by a DIB). On failure
// returns false, leaves `out` untouched and puts a short reason in *error.
// An image of more than maxPixels pixels (never more than kBmpMaxPixels) is
// refused as too large.
bool DecodeBmp(const uint8_t* data, size_t size, TBmpImage& out, std::string* error = nullptr,
               uint64_t maxPixels = kBmpMaxPixels);

// Decodes a packed DIB (info header, masks, palette, bits), as stored in
// resources and on the clipboard.
bool DecodeDib(const uint8_t* data, size_t size, TBmpImage& out, std::string* error = nullptr,
               uint64_t maxPixels = kBmpMaxPixels);

// The encoders write BITMAPFILEHEADER + BITMAPINFOHEADER, bottom-up rows padded
// to 4 bytes. They return an empty vector when the image is inconsistent
// (dimensions out of range or Pixels.size() != Width*Height).
std::vector<uint8_t> EncodeBmp24(const TBmpImage& image);

// BI_RGB 32-bit. Alpha is written as stored when HasAlpha is set and as 0
// otherwise, which is how readers of plain 32-bit DIBs recognise "no alpha".
std::vector<uint8_t> EncodeBmp32(const TBmpImage& image);

// bitCount is 1, 4 or 8. Uses image.Palette; every pixel's RGB must match a
// palette entry exactly. Returns empty when a pixel is not in the palette, the
// palette is empty or larger than 2^bitCount, or bitCount is not supported.
std::vector<uint8_t> EncodeBmpPaletted(const TBmpImage& image, int bitCount);
