#include "BmpCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <initializer_list>

namespace {

class TBytes {
  public:
    TBytes& U8(std::initializer_list<unsigned> values) {
        for (unsigned v : values)
            data_.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    TBytes& U16(unsigned v) { return U8({v & 0xFF, (v >> 8) & 0xFF}); }
    TBytes& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    TBytes& Append(const TBytes& other) {
        data_.insert(data_.end(), other.data_.begin(), other.data_.end());
        return *this;
    }
    size_t Size() const { return data_.size(); }
    const std::vector<uint8_t>& Data() const { return data_; }

  private:
    std::vector<uint8_t> data_;
};

struct TLayout {
    int32_t width = 1;
    int32_t height = 1;
    unsigned bitCount = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t headerSize = 40;
    std::vector<uint32_t> headerMasks = {}; // written from offset 40 of V2..V5 headers
};

TBytes InfoHeader(const TLayout& l) {
    TBytes h;
    h.U32(l.headerSize).U32(static_cast<uint32_t>(l.width)).U32(static_cast<uint32_t>(l.height));
    h.U16(1).U16(l.bitCount).U32(l.compression).U32(0).U32(0).U32(0).U32(l.clrUsed).U32(0);
    for (uint32_t mask : l.headerMasks)
        h.U32(mask);
    while (h.Size() < l.headerSize)
        h.U8({0});
    return h;
}

// tables = masks and/or palette between the header and the bits.
std::vector<uint8_t> MakeBmp(const TLayout& l, const TBytes& tables, const TBytes& bits,
                             int64_t offBits = -1) {
    const TBytes header = InfoHeader(l);
    const uint32_t start = static_cast<uint32_t>(14 + header.Size() + tables.Size());
    TBytes file;
    file.U8({'B', 'M'}).U32(static_cast<uint32_t>(start + bits.Size())).U32(0);
    file.U32(offBits < 0 ? start : static_cast<uint32_t>(offBits));
    return file.Append(header).Append(tables).Append(bits).Data();
}

TBmpImage Decode(const std::vector<uint8_t>& file) {
    TBmpImage image;
    std::string error;
    EXPECT_TRUE(DecodeBmp(file.data(), file.size(), image, &error)) << error;
    return image;
}

constexpr uint32_t kOpaque = 0xFF000000;

// A distinct colour for every index, red carrying the index itself.
uint32_t ShadeRgb(unsigned i) {
    return (i << 16) | ((255 - i) << 8) | ((i * 7) & 0xFF);
}
uint32_t Shade(unsigned i) {
    return kOpaque | ShadeRgb(i);
}

TBytes ShadePalette(unsigned count) {
    TBytes p;
    for (unsigned i = 0; i < count; ++i)
        p.U32(ShadeRgb(i));
    return p;
}

std::vector<uint32_t> Shades(std::initializer_list<unsigned> indices) {
    std::vector<uint32_t> pixels;
    for (unsigned i : indices)
        pixels.push_back(i == 0xFFFF ? 0 : Shade(i));
    return pixels;
}
constexpr unsigned kUnwritten = 0xFFFF;

TEST(BmpDecodePaletted, PixelOrderWithinBytesAndRows) {
    TBytes bits; // 5 pixels -> 3 bytes + 1 padding; bottom row first
    bits.U8({0xFE, 0xDC, 0x70, 0}).U8({0x01, 0x23, 0xF0, 0});
    TBmpImage img = Decode(MakeBmp({.width = 5, .height = 2, .bitCount = 4}, ShadePalette(16), bits));
    EXPECT_EQ(img.BitCount, 4);
    ASSERT_EQ(img.Palette.size(), 16u);
    EXPECT_EQ(img.Palette[15], ShadeRgb(15));
    EXPECT_EQ(img.Pixels, Shades({0, 1, 2, 3, 15, 15, 14, 13, 12, 7}));

    img = Decode(MakeBmp({.width = 10, .bitCount = 1}, ShadePalette(2), TBytes().U8({0xB0, 0x40, 0, 0})));
    EXPECT_EQ(img.Pixels, Shades({1, 0, 1, 1, 0, 0, 0, 0, 0, 1}));
}

TEST(BmpDecodePaletted, ShortPalettesNeverReadPastTheirEnd) {
    const TBytes bits = TBytes().U8({0, 1, 2, 255});
    // Declared short palette: indices past it are black.
    TBmpImage img = Decode(MakeBmp({.width = 4, .bitCount = 8, .clrUsed = 2}, ShadePalette(2), bits));
    EXPECT_EQ(img.Palette.size(), 2u);
    EXPECT_EQ(img.Pixels, (std::vector<uint32_t>{Shade(0), Shade(1), kOpaque, kOpaque}));

    // Undeclared short palette: the offset to the bits tells how many colours were stored.
    img = Decode(MakeBmp({.width = 4, .bitCount = 8}, ShadePalette(3), bits));
    EXPECT_EQ(img.Palette.size(), 3u);
    EXPECT_EQ(img.Pixels, (std::vector<uint32_t>{Shade(0), Shade(1), Shade(2), kOpaque}));

    // An offset that is clearly wrong (zero, past the end, or into the palette
    // of a file that holds exactly palette + bits) gives way to the palette end.
    for (int64_t offBits : {0, 54, 1 << 20}) {
        img = Decode(MakeBmp({.width = 4, .bitCount = 8}, ShadePalette(256), bits, offBits));
        EXPECT_EQ(img.Palette.size(), 256u) << offBits;
        EXPECT_EQ(img.Pixels, Shades({0, 1, 2, 255})) << offBits;
    }
}

TEST(BmpDecodeDirect, TopDown24WithRowPadding) {
    const TBytes bits =
        TBytes().U8({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0});
    const TBmpImage img = Decode(MakeBmp({.width = 3, .height = -2}, {}, bits));
    ASSERT_EQ(img.Height, 2);
    EXPECT_EQ(img.Pixels, (std::vector<uint32_t>{0xFF030201, 0xFF060504, 0xFF090807, 0xFF0C0B0A, 0xFF0F0E0D,
                                                 0xFF121110}));
}

TEST(BmpDecodeDirect, BitfieldsScaleEveryChannelToFullRange) {
    const TBytes masks565 = TBytes().U32(0xF800).U32(0x07E0).U32(0x001F);
    TBmpImage img = Decode(MakeBmp({.width = 4, .bitCount = 16, .compression = 3}, masks565,
                                   TBytes().U16(0xF800).U16(0x07E0).U16(0x001F).U16(0x8410)));
    EXPECT_EQ(img.Pixels, (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF848284}));
    EXPECT_FALSE(img.HasAlpha);

    // BI_RGB 16-bit is 5-5-5 with the top bit unused.
    img = Decode(MakeBmp({.width = 2, .bitCount = 16}, {}, TBytes().U16(0xFFFF).U16(0x0200)));
    EXPECT_EQ(img.Pixels, (std::vector<uint32_t>{0xFFFFFFFF, 0xFF008400}));

    // V5 header, 10-10-10-2 with red in the low bits.
    const TLayout v5 = {.width = 2,
                        .bitCount = 32,
                        .compression = 3,
                        .headerSize = 124,
                        .headerMasks = {0x000003FF, 0x000FFC00, 0x3FF00000, 0xC0000000}};
    img = Decode(
        MakeBmp(v5, {}, TBytes().U32(0xC0000000u | (512u << 10) | 1023u).U32(0x40000000u | (1023u << 20))));
    EXPECT_TRUE(img.HasAlpha);
    EXPECT_EQ(img.Pixels, (std::vector<uint32_t>{0xFFFF8000, 0x550000FF}));
}

TEST(BmpDecodeRle, Rle8RunsDeltaEndOfLineAndAbsolute) {
    TBytes rle;
    rle.U8({8, 1});             // row 0: a run longer than the row is clipped, not wrapped
    rle.U8({0, 0});             // end of line
    rle.U8({0, 3, 2, 3, 4, 0}); // row 1: absolute run of 3 plus padding
    rle.U8({0, 2, 2, 1});       // delta to x=5 of row 2
    rle.U8({2, 5, 0, 1, 6, 9}); // run (clipped), end of bitmap, ignored bytes
    const TBmpImage img =
        Decode(MakeBmp({.width = 6, .height = 3, .bitCount = 8, .compression = 1}, ShadePalette(16), rle));
    const unsigned o = kUnwritten;
    EXPECT_EQ(img.Pixels, Shades({o, o, o, o, o, 5, 2, 3, 4, o, o, o, 1, 1, 1, 1, 1, 1}));
}

TEST(BmpDecodeRle, Rle4AlternatesNibblesAndPadsAbsoluteRuns) {
    const TBytes rle = TBytes().U8({3, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 2, 0x88, 0, 1});
    const TBmpImage img =
        Decode(MakeBmp({.width = 10, .bitCount = 4, .compression = 2}, ShadePalette(16), rle));
    EXPECT_EQ(img.Pixels, Shades({1, 2, 1, 3, 4, 5, 6, 7, 8, 8}));
}

TEST(BmpDecodeHeaders, CoreHeaderAndPackedDib) {
    TBytes core;
    core.U8({'B', 'M'}).U32(0).U32(0).U32(14 + 12 + 6).U32(12).U16(3).U16(1).U16(1).U16(1);
    core.U8({0x11, 0x22, 0x33, 0xAA, 0xBB, 0xCC}).U8({0x40, 0, 0, 0}); // RGBTRIPLE palette, bits
    TBmpImage img = Decode(core.Data());
    EXPECT_EQ(img.Palette, (std::vector<uint32_t>{0x332211, 0xCCBBAA}));
    EXPECT_EQ(img.Pixels, (std::vector<uint32_t>{0xFF332211, 0xFFCCBBAA, 0xFF332211}));

    // Resources store the masks right after a 40-byte header.
    TBytes dib = InfoHeader({.width = 1, .bitCount = 16, .compression = 3});
    dib.U32(0xF800).U32(0x07E0).U32(0x001F).U16(0x07E0).U16(0);
    ASSERT_TRUE(DecodeDib(dib.Data().data(), dib.Size(), img));
    EXPECT_EQ(img.Pixels, std::vector<uint32_t>{0xFF00FF00});
}

TBmpImage Sample(int width, int height, std::vector<uint32_t> palette = {}) {
    TBmpImage img;
    img.Width = width;
    img.Height = height;
    for (unsigned i = 0; i < static_cast<unsigned>(width * height); ++i)
        img.Pixels.push_back(
            kOpaque | (palette.empty() ? 0x9E3779B9u * (i + 1) >> 8 : palette[i * 7 % palette.size()]));
    img.Palette = std::move(palette);
    return img;
}

TEST(BmpEncode, RoundTripsThroughTheDecoder) {
    const TBmpImage rgb = Sample(7, 3);
    EXPECT_EQ(Decode(EncodeBmp24(rgb)).Pixels, rgb.Pixels);
    const TBmpImage opaque = Decode(EncodeBmp32(rgb));
    EXPECT_EQ(opaque.Pixels, rgb.Pixels);
    EXPECT_FALSE(opaque.HasAlpha);

    TBmpImage translucent = rgb;
    translucent.HasAlpha = true;
    translucent.Pixels[0] = 0x40102030;
    const TBmpImage back = Decode(EncodeBmp32(translucent));
    EXPECT_TRUE(back.HasAlpha);
    EXPECT_EQ(back.Pixels, translucent.Pixels);

    for (int bits : {1, 4, 8}) {
        std::vector<uint32_t> palette;
        for (unsigned i = 0; i < std::min(1u << bits, 13u); ++i)
            palette.push_back(0x102030u * (i + 1));
        const TBmpImage img = Sample(bits == 1 ? 17 : 5, 3, palette);
        const TBmpImage decoded = Decode(EncodeBmpPaletted(img, bits));
        EXPECT_EQ(decoded.BitCount, bits);
        EXPECT_EQ(decoded.Palette, img.Palette);
        EXPECT_EQ(decoded.Pixels, img.Pixels);
    }
}

TEST(BmpEncode, RefusesWhatItCannotRepresent) {
    TBmpImage img = Sample(4, 2, {0x000000, 0xFFFFFF});
    EXPECT_FALSE(EncodeBmpPaletted(img, 1).empty());
    EXPECT_TRUE(EncodeBmpPaletted(img, 2).empty());
    EXPECT_TRUE(EncodeBmpPaletted(Sample(4, 2, std::vector<uint32_t>(17, 0)), 4).empty());
    img.Pixels[5] = 0xFF808080;
    EXPECT_TRUE(EncodeBmpPaletted(img, 8).empty());
    img.Pixels.pop_back();
    EXPECT_TRUE(EncodeBmp24(img).empty());
}

TEST(BmpDecodeMalformed, RejectsBadHeadersWithAReason) {
    const TBytes pixel = TBytes().U32(0);
    const TLayout layouts[] = {
        {.width = 0},
        {.width = -1},
        {.height = 0},
        {.height = INT_MIN},
        {.width = 32769, .bitCount = 8, .compression = 1},
        {.width = 32768, .height = 2049, .bitCount = 8, .compression = 1},
        {.compression = 4}, // JPEG
        {.compression = 5}, // PNG
        {.bitCount = 24, .compression = 3},
        {.bitCount = 8, .compression = 2},
        {.bitCount = 7},
        {.headerSize = 41},
        {.width = 2, .height = 2}, // bits too short
        {.bitCount = 32, .compression = 6, .headerSize = 56, .headerMasks = {0x0F0F, 0, 0, 0}},
    };
    std::vector<std::vector<uint8_t>> files;
    for (const TLayout& l : layouts)
        files.push_back(MakeBmp(l, {}, pixel));
    files.push_back(MakeBmp({}, {}, pixel));
    files.back()[0] = 'X';
    for (size_t i = 0; i < files.size(); ++i) {
        TBmpImage img;
        std::string error;
        EXPECT_FALSE(DecodeBmp(files[i].data(), files[i].size(), img, &error)) << i;
        EXPECT_FALSE(error.empty()) << i;
        EXPECT_TRUE(img.Pixels.empty()) << i;
    }
}

TEST(BmpDecodeMalformed, APixelLimitOfTheCallerRefusesLargerImagesButNeverRaisesTheOwnLimit) {
    TBytes rows;
    for (int i = 0; i < 16; ++i)
        rows.U8({0x40});
    const std::vector<uint8_t> twoByTwo = MakeBmp({.width = 2, .height = 2}, {}, rows);
    TBmpImage img;
    std::string error;
    EXPECT_FALSE(DecodeBmp(twoByTwo.data(), twoByTwo.size(), img, &error, 3));
    EXPECT_EQ(error, "image too large");
    EXPECT_TRUE(DecodeBmp(twoByTwo.data(), twoByTwo.size(), img, &error, 4)) << error;
    EXPECT_EQ(img.Pixels.size(), 4u);
    const std::vector<uint8_t> huge =
        MakeBmp({.width = 32768, .height = 2049, .bitCount = 8, .compression = 1}, {}, TBytes().U8({0, 1}));
    EXPECT_FALSE(DecodeBmp(huge.data(), huge.size(), img, &error, UINT64_MAX));
    EXPECT_EQ(error, "image too large");
}

TEST(BmpDecodeMalformed, EveryTruncationFailsOrSucceedsCleanly) {
    struct TCase {
        std::vector<uint8_t> file;
        size_t shortestValid;
    };
    TBytes bits24;
    for (unsigned i = 0; i < 24; ++i)
        bits24.U8({i});
    const TBytes rle = TBytes().U8({2, 1, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 1, 0, 1, 1, 0, 1});
    const TCase cases[] = {
        // The last row's padding may be missing.
        {MakeBmp({.width = 3, .height = 2}, {}, bits24), 14 + 40 + 21},
        {MakeBmp({.width = 5, .height = 2, .bitCount = 4}, ShadePalette(16), TBytes().U32(1).U32(2)),
         14 + 40 + 64 + 7},
        // An RLE stream may stop anywhere.
        {MakeBmp({.width = 4, .height = 3, .bitCount = 8, .compression = 1, .clrUsed = 4}, ShadePalette(4),
                 rle),
         14 + 40 + 16},
    };
    for (const TCase& c : cases) {
        for (size_t n = 0; n < c.file.size(); ++n) {
            const std::vector<uint8_t> prefix(c.file.begin(), c.file.begin() + static_cast<ptrdiff_t>(n));
            TBmpImage img;
            EXPECT_EQ(DecodeBmp(prefix.data(), prefix.size(), img), n >= c.shortestValid) << "prefix " << n;
            EXPECT_EQ(img.Pixels.size(), static_cast<size_t>(img.Width) * img.Height);
        }
    }
}

} // namespace
