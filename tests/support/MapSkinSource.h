#pragma once
// Skin images for the loaders straight from memory: entry name (lower case) to file bytes.

#include "BmpCodec.h"
#include "WinSkinData.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TMapSource : public TSkinEntrySource {
  public:
    std::map<std::string, std::vector<std::uint8_t>> entries;
    std::vector<std::uint8_t> Extract(const std::string& name) const override {
        auto found = entries.find(name);
        return found == entries.end() ? std::vector<std::uint8_t>() : found->second;
    }
};

// A 24-bit BMP file of one colour, for skins made up by a test.
inline std::vector<std::uint8_t> SolidBmp(int width, int height, TColor colour) {
    TBmpImage image;
    image.Width = width;
    image.Height = height;
    image.BitCount = 24;
    const auto c = static_cast<std::uint32_t>(colour);
    for (int i = 0; i < width * height; ++i)
        image.Pixels.push_back(0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
    return EncodeBmp24(image);
}
