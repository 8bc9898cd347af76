#include "BmpCodec.h"

#include <algorithm>
#include <bit>
#include <new>
#include <optional>
#include <utility>

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiJpeg = 4;
constexpr uint32_t kBiPng = 5;
constexpr uint32_t kBiAlphaBitfields = 6;

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kOs2V2HeaderSize = 64;

constexpr int64_t kMaxDimension = 32768;
constexpr uint64_t kMaxPixels = kBmpMaxPixels;

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t ReadI32(const uint8_t* p) {
    return static_cast<int32_t>(ReadU32(p)); // modular since C++20
}

bool Fail(std::string* error, const char* reason) {
    if (error)
        *error = reason;
    return false;
}

uint64_t RowStride(uint64_t width, uint64_t bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

// One colour channel of a BI_BITFIELDS layout.
class TChannel {
  public:
    TChannel() = default;

    // Returns false for a mask with holes: its value range would not be a
    // power of two and no writer produces one.
    bool Init(uint32_t mask) {
        mask_ = mask;
        if (mask == 0)
            return true;
        shift_ = std::countr_zero(mask);
        const uint32_t bits = mask >> shift_;
        if ((bits & (bits + 1)) != 0)
            return false;
        width_ = std::popcount(bits);
        return true;
    }

    bool Present() const { return width_ > 0; }

    // Scales to 8 bits so that the channel maximum maps to 255 whatever the
    // width; truncating a 5-bit 31 to 248 would make white skins grey.
    uint32_t Extract(uint32_t value) const {
        if (width_ == 0)
            return 0;
        const uint32_t raw = (value & mask_) >> shift_;
        if (width_ >= 8)
            return raw >> (width_ - 8);
        const uint32_t max = (1u << width_) - 1;
        return (raw * 255 + max / 2) / max;
    }

  private:
    uint32_t mask_ = 0;
    int shift_ = 0;
    int width_ = 0;
};

struct TDibInfo {
    size_t headerSize = 0;
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t sizeImage = 0;
    uint64_t paletteEntries = 0; // as laid out in the file, before clamping to 2^n
    size_t paletteEntrySize = 4;
    size_t maskBytes = 0;   // masks stored after a 40-byte header
    uint32_t masks[4] = {}; // red, green, blue, alpha
};

bool ParseHeader(const uint8_t* dib, size_t size, uint64_t maxPixels, TDibInfo& info, std::string* error) {
    if (size < 4)
        return Fail(error, "truncated header");
    const uint32_t headerSize = ReadU32(dib);
    switch (headerSize) {
    case kCoreHeaderSize:
    case kInfoHeaderSize:
    case 52:
    case 56:
    case kOs2V2HeaderSize:
    case 108:
    case 124:
        break;
    default:
        return Fail(error, "unsupported header size");
    }
    if (size < headerSize)
        return Fail(error, "truncated header");
    info.headerSize = headerSize;

    int64_t width = 0;
    int64_t height = 0;
    if (headerSize == kCoreHeaderSize) {
        width = ReadU16(dib + 4);
        height = ReadU16(dib + 6);
        info.bitCount = ReadU16(dib + 10);
        info.paletteEntrySize = 3;
        if (info.bitCount <= 8)
            info.paletteEntries = 1ull << info.bitCount;
    } else {
        width = ReadI32(dib + 4);
        height = ReadI32(dib + 8);
        info.bitCount = ReadU16(dib + 14);
        info.compression = ReadU32(dib + 16);
        info.sizeImage = ReadU32(dib + 20);
        const uint32_t clrUsed = ReadU32(dib + 32);
        if (clrUsed != 0)
            info.paletteEntries = clrUsed;
        else if (info.bitCount <= 8)
            info.paletteEntries = 1ull << info.bitCount;
    }

    if (width <= 0)
        return Fail(error, "bad width");
    if (height == 0)
        return Fail(error, "bad height");
    info.topDown = height < 0;
    if (height < 0)
        height = -height; // int64, so INT32_MIN is safe
    if (width > kMaxDimension || height > kMaxDimension ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > maxPixels)
        return Fail(error, "image too large");
    info.width = static_cast<int>(width);
    info.height = static_cast<int>(height);

    const uint32_t c = info.compression;
    const int bpp = info.bitCount;
    if (c == kBiJpeg || c == kBiPng) {
        // OS/2 2.x reuses these numbers for Huffman 1D and RLE24.
        return Fail(error, headerSize == kOs2V2HeaderSize ? "unsupported OS/2 compression"
                                                          : "embedded JPEG/PNG not supported");
    }
    if (c == kBiBitfields && headerSize == kOs2V2HeaderSize)
        return Fail(error, "unsupported OS/2 compression");
    if (c == kBiRgb) {
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
            return Fail(error, "unsupported bit count");
        if (headerSize == kCoreHeaderSize && (bpp == 16 || bpp == 32))
            return Fail(error, "unsupported bit count");
    } else if (c == kBiRle8) {
        if (bpp != 8)
            return Fail(error, "RLE8 needs 8 bits per pixel");
    } else if (c == kBiRle4) {
        if (bpp != 4)
            return Fail(error, "RLE4 needs 4 bits per pixel");
    } else if (c == kBiBitfields || c == kBiAlphaBitfields) {
        if (bpp != 16 && bpp != 32)
            return Fail(error, "bitfields need 16 or 32 bits per pixel");
    } else {
        return Fail(error, "unsupported compression");
    }

    if (c == kBiBitfields || c == kBiAlphaBitfields) {
        if (headerSize == kInfoHeaderSize) {
            const size_t count = c == kBiAlphaBitfields ? 4 : 3;
            info.maskBytes = count * 4;
            if (size - headerSize < info.maskBytes)
                return Fail(error, "truncated colour masks");
            for (size_t i = 0; i < count; ++i)
                info.masks[i] = ReadU32(dib + headerSize + i * 4);
        } else {
            for (size_t i = 0; i < 3; ++i)
                info.masks[i] = ReadU32(dib + 40 + i * 4);
            if (headerSize >= 56)
                info.masks[3] = ReadU32(dib + 52);
        }
    } else if (bpp == 16) {
        info.masks[0] = 0x7C00;
        info.masks[1] = 0x03E0;
        info.masks[2] = 0x001F;
    } else if (bpp == 32) {
        // Plain 32-bit DIBs leave the top byte to convention; it is read as
        // alpha and discarded later if it is zero throughout.
        info.masks[0] = 0x00FF0000;
        info.masks[1] = 0x0000FF00;
        info.masks[2] = 0x000000FF;
        info.masks[3] = 0xFF000000;
    }
    return true;
}

// Bytes an uncompressed image occupies; the last row's padding is not
// required because several writers trim it.
uint64_t UncompressedBytes(const TDibInfo& info) {
    const uint64_t rowBytes = (static_cast<uint64_t>(info.width) * info.bitCount + 7) / 8;
    return RowStride(info.width, info.bitCount) * (info.height - 1) + rowBytes;
}

// Finds where the pixels start. A file offset is trusted when it lies between
// the end of the header and the end of the data; one that points into the
// palette means the writer stored fewer colours than it declared, unless the
// image fits exactly after the full palette, in which case the offset is the
// mistake.
uint64_t LocatePixels(const TDibInfo& info, size_t size, std::optional<uint64_t> pixelOffset) {
    const uint64_t paletteStart = info.headerSize + info.maskBytes;
    const uint64_t paletteEnd = paletteStart + info.paletteEntries * info.paletteEntrySize;
    if (!pixelOffset || *pixelOffset < paletteStart || *pixelOffset > size)
        return paletteEnd;
    if (*pixelOffset >= paletteEnd)
        return *pixelOffset;
    bool fitsAfterPalette = false;
    if (info.compression == kBiRle8 || info.compression == kBiRle4)
        fitsAfterPalette = info.sizeImage != 0 && paletteEnd <= size && info.sizeImage <= size - paletteEnd;
    else
        fitsAfterPalette = paletteEnd <= size && UncompressedBytes(info) <= size - paletteEnd;
    return fitsAfterPalette ? paletteEnd : *pixelOffset;
}

class TDibDecoder {
  public:
    TDibDecoder(const uint8_t* dib, size_t size, const TDibInfo& info)
        : dib_(dib), size_(size), info_(info) {}

    bool Decode(std::optional<uint64_t> pixelOffset, TBmpImage& image, std::string* error) {
        const uint64_t pixelStart = LocatePixels(info_, size_, pixelOffset);
        if (pixelStart > size_)
            return Fail(error, "truncated palette");
        pixelStart_ = static_cast<size_t>(pixelStart);

        image.Width = info_.width;
        image.Height = info_.height;
        image.BitCount = info_.bitCount;
        if (info_.bitCount <= 8)
            ReadPalette(image.Palette);
        image.Pixels.assign(static_cast<size_t>(info_.width) * static_cast<size_t>(info_.height), 0);

        if (info_.compression == kBiRle8 || info_.compression == kBiRle4) {
            DecodeRle(image);
            return true;
        }
        if (size_ - pixelStart_ < UncompressedBytes(info_))
            return Fail(error, "truncated pixel data");
        if (info_.bitCount <= 8)
            DecodeIndexed(image);
        else if (info_.bitCount == 24)
            DecodeRgb24(image);
        else
            return DecodeMasked(image, error);
        return true;
    }

  private:
    void ReadPalette(std::vector<uint32_t>& palette) {
        const size_t start = info_.headerSize + info_.maskBytes;
        const uint64_t stored = (pixelStart_ - start) / info_.paletteEntrySize;
        const uint64_t count = std::min({info_.paletteEntries, stored, uint64_t{1} << info_.bitCount});
        palette.resize(static_cast<size_t>(count));
        for (size_t i = 0; i < palette.size(); ++i) {
            const uint8_t* p = dib_ + start + i * info_.paletteEntrySize;
            palette[i] = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                         (static_cast<uint32_t>(p[2]) << 16);
        }
        palette_ = &palette;
    }

    uint32_t Colour(unsigned index) const {
        const uint32_t rgb = index < palette_->size() ? (*palette_)[index] : 0;
        return 0xFF000000u | rgb;
    }

    uint32_t* Row(TBmpImage& image, int sourceRow) const {
        const int row = info_.topDown ? sourceRow : info_.height - 1 - sourceRow;
        return image.Pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(info_.width);
    }

    const uint8_t* SourceRow(int sourceRow) const {
        const size_t stride = static_cast<size_t>(RowStride(info_.width, info_.bitCount));
        return dib_ + pixelStart_ + static_cast<size_t>(sourceRow) * stride;
    }

    void DecodeIndexed(TBmpImage& image) const {
        const int bpp = info_.bitCount;
        const unsigned perByte = 8u / bpp;
        const unsigned mask = (1u << bpp) - 1;
        for (int y = 0; y < info_.height; ++y) {
            const uint8_t* src = SourceRow(y);
            uint32_t* dst = Row(image, y);
            for (int x = 0; x < info_.width; ++x) {
                const unsigned byte = src[x / perByte];
                const unsigned shift = (perByte - 1 - x % perByte) * bpp; // leftmost pixel in the high bits
                dst[x] = Colour((byte >> shift) & mask);
            }
        }
    }

    void DecodeRgb24(TBmpImage& image) const {
        for (int y = 0; y < info_.height; ++y) {
            const uint8_t* src = SourceRow(y);
            uint32_t* dst = Row(image, y);
            for (int x = 0; x < info_.width; ++x, src += 3)
                dst[x] = 0xFF000000u | (static_cast<uint32_t>(src[2]) << 16) |
                         (static_cast<uint32_t>(src[1]) << 8) | src[0];
        }
    }

    bool DecodeMasked(TBmpImage& image, std::string* error) const {
        TChannel channels[4];
        for (int i = 0; i < 4; ++i) {
            if (!channels[i].Init(info_.masks[i]))
                return Fail(error, "non-contiguous colour mask");
        }
        const bool wide = info_.bitCount == 32;
        bool alphaSeen = false;
        for (int y = 0; y < info_.height; ++y) {
            const uint8_t* src = SourceRow(y);
            uint32_t* dst = Row(image, y);
            for (int x = 0; x < info_.width; ++x) {
                const uint32_t v = wide ? ReadU32(src + x * 4) : ReadU16(src + x * 2);
                const uint32_t a = channels[3].Extract(v);
                alphaSeen = alphaSeen || a != 0;
                dst[x] = (a << 24) | (channels[0].Extract(v) << 16) | (channels[1].Extract(v) << 8) |
                         channels[2].Extract(v);
            }
        }
        // An alpha channel that is zero everywhere is padding, not a fully
        // transparent image.
        image.HasAlpha = alphaSeen;
        if (!alphaSeen) {
            for (uint32_t& p : image.Pixels)
                p |= 0xFF000000u;
        }
        return true;
    }

    // The stream is trusted only as far as it goes: anything past the end of
    // the data or outside the bitmap is dropped instead of failing, so that a
    // slightly damaged skin still shows.
    void DecodeRle(TBmpImage& image) const {
        const bool rle4 = info_.compression == kBiRle4;
        const int width = info_.width;
        size_t pos = pixelStart_;
        int x = 0;
        int y = 0;
        uint32_t* row = Row(image, 0);
        auto put = [&](unsigned index) {
            if (x < width)
                row[x++] = Colour(index);
        };
        while (size_ - pos >= 2 && y < info_.height) {
            const unsigned count = dib_[pos];
            const unsigned value = dib_[pos + 1];
            pos += 2;
            if (count > 0) {
                for (unsigned i = 0; i < count && x < width; ++i)
                    put(rle4 ? ((i & 1) ? value & 0x0F : value >> 4) : value);
                continue;
            }
            if (value == 0) { // end of line
                x = 0;
                if (++y < info_.height)
                    row = Row(image, y);
            } else if (value == 1) { // end of bitmap
                break;
            } else if (value == 2) { // delta
                if (size_ - pos < 2)
                    break;
                x = std::min(x + dib_[pos], width);
                y += dib_[pos + 1];
                pos += 2;
                if (y < info_.height)
                    row = Row(image, y);
            } else { // absolute run, padded to a 16-bit boundary
                const size_t bytes = rle4 ? (value + 1) / 2 : value;
                const size_t available = std::min(bytes, size_ - pos);
                for (unsigned i = 0; i < value && x < width; ++i) {
                    const size_t at = rle4 ? i / 2 : i;
                    if (at >= available)
                        break;
                    const unsigned byte = dib_[pos + at];
                    put(rle4 ? ((i & 1) ? byte & 0x0F : byte >> 4) : byte);
                }
                if (available < bytes)
                    break;
                pos += bytes;
                if ((bytes & 1) && pos < size_)
                    ++pos;
            }
        }
    }

    const uint8_t* dib_;
    size_t size_;
    const TDibInfo& info_;
    size_t pixelStart_ = 0;
    const std::vector<uint32_t>* palette_ = nullptr;
};

bool DecodeDibAt(const uint8_t* dib, size_t size, std::optional<uint64_t> pixelOffset, uint64_t maxPixels,
                 TBmpImage& out, std::string* error) {
    if (dib == nullptr && size != 0)
        return Fail(error, "no data");
    TDibInfo info;
    if (!ParseHeader(dib, size, std::min(maxPixels, kMaxPixels), info, error))
        return false;
    try {
        TBmpImage image;
        TDibDecoder decoder(dib, size, info);
        if (!decoder.Decode(pixelOffset, image, error))
            return false;
        out = std::move(image);
        return true;
    } catch (const std::bad_alloc&) {
        return Fail(error, "out of memory");
    }
}

// ---- encoding --------------------------------------------------------------

class TByteWriter {
  public:
    explicit TByteWriter(size_t capacity) { bytes_.reserve(capacity); }

    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void Zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }

    std::vector<uint8_t> Take() { return std::move(bytes_); }

  private:
    std::vector<uint8_t> bytes_;
};

bool Encodable(const TBmpImage& image) {
    return image.Width > 0 && image.Height > 0 && image.Width <= kMaxDimension &&
           image.Height <= kMaxDimension &&
           static_cast<uint64_t>(image.Width) * static_cast<uint64_t>(image.Height) <= kMaxPixels &&
           image.Pixels.size() == static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height);
}

// Writes both headers; the caller appends paletteEntries RGBQUADs and the rows.
TByteWriter StartFile(const TBmpImage& image, int bitCount, uint32_t paletteEntries) {
    const uint32_t stride = static_cast<uint32_t>(RowStride(image.Width, bitCount));
    const uint32_t pixelBytes = stride * static_cast<uint32_t>(image.Height);
    const uint32_t offBits = static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize) + paletteEntries * 4;
    TByteWriter w(static_cast<size_t>(offBits) + pixelBytes);
    w.U8('B');
    w.U8('M');
    w.U32(offBits + pixelBytes);
    w.U32(0);
    w.U32(offBits);
    w.U32(static_cast<uint32_t>(kInfoHeaderSize));
    w.U32(static_cast<uint32_t>(image.Width));
    w.U32(static_cast<uint32_t>(image.Height));
    w.U16(1);
    w.U16(static_cast<uint16_t>(bitCount));
    w.U32(kBiRgb);
    w.U32(pixelBytes);
    w.U32(0); // no resolution: skins are drawn 1:1
    w.U32(0);
    w.U32(paletteEntries);
    w.U32(0);
    return w;
}

size_t RowPadding(const TBmpImage& image, int bitCount) {
    const uint64_t rowBytes = (static_cast<uint64_t>(image.Width) * bitCount + 7) / 8;
    return static_cast<size_t>(RowStride(image.Width, bitCount) - rowBytes);
}

const uint32_t* ImageRow(const TBmpImage& image, int y) {
    return image.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.Width);
}

} // namespace

bool DecodeBmp(const uint8_t* data, size_t size, TBmpImage& out, std::string* error, uint64_t maxPixels) {
    if (data == nullptr || size < kFileHeaderSize)
        return Fail(error, "truncated file header");
    if (data[0] != 'B' || data[1] != 'M')
        return Fail(error, "not a BMP file");
    const uint32_t offBits = ReadU32(data + 10);
    std::optional<uint64_t> pixelOffset;
    if (offBits >= kFileHeaderSize)
        pixelOffset = offBits - kFileHeaderSize;
    return DecodeDibAt(data + kFileHeaderSize, size - kFileHeaderSize, pixelOffset, maxPixels, out, error);
}

bool DecodeDib(const uint8_t* data, size_t size, TBmpImage& out, std::string* error, uint64_t maxPixels) {
    return DecodeDibAt(data, size, std::nullopt, maxPixels, out, error);
}

std::vector<uint8_t> EncodeBmp24(const TBmpImage& image) {
    if (!Encodable(image))
        return {};
    TByteWriter w = StartFile(image, 24, 0);
    const size_t padding = RowPadding(image, 24);
    for (int y = image.Height - 1; y >= 0; --y) {
        const uint32_t* src = ImageRow(image, y);
        for (int x = 0; x < image.Width; ++x) {
            w.U8(static_cast<uint8_t>(src[x]));
            w.U8(static_cast<uint8_t>(src[x] >> 8));
            w.U8(static_cast<uint8_t>(src[x] >> 16));
        }
        w.Zeros(padding);
    }
    return w.Take();
}

std::vector<uint8_t> EncodeBmp32(const TBmpImage& image) {
    if (!Encodable(image))
        return {};
    TByteWriter w = StartFile(image, 32, 0);
    const uint32_t keep = image.HasAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
    for (int y = image.Height - 1; y >= 0; --y) {
        const uint32_t* src = ImageRow(image, y);
        for (int x = 0; x < image.Width; ++x)
            w.U32(src[x] & keep);
    }
    return w.Take();
}

std::vector<uint8_t> EncodeBmpPaletted(const TBmpImage& image, int bitCount) {
    if (bitCount != 1 && bitCount != 4 && bitCount != 8)
        return {};
    if (!Encodable(image) || image.Palette.empty() || image.Palette.size() > (size_t{1} << bitCount))
        return {};

    // Sorted (rgb, index) pairs; stable so a duplicated colour maps to its first entry.
    std::vector<std::pair<uint32_t, uint8_t>> lookup;
    lookup.reserve(image.Palette.size());
    for (size_t i = 0; i < image.Palette.size(); ++i)
        lookup.emplace_back(image.Palette[i] & 0x00FFFFFFu, static_cast<uint8_t>(i));
    std::stable_sort(lookup.begin(), lookup.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    const size_t stride = static_cast<size_t>(RowStride(image.Width, bitCount));
    std::vector<uint8_t> row(stride);
    TByteWriter w = StartFile(image, bitCount, static_cast<uint32_t>(image.Palette.size()));
    for (uint32_t colour : image.Palette) {
        w.U32(colour & 0x00FFFFFFu);
    }
    const unsigned perByte = 8u / bitCount;
    for (int y = image.Height - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), uint8_t{0});
        const uint32_t* src = ImageRow(image, y);
        for (int x = 0; x < image.Width; ++x) {
            const uint32_t rgb = src[x] & 0x00FFFFFFu;
            const auto it =
                std::lower_bound(lookup.begin(), lookup.end(), rgb,
                                 [](const auto& entry, uint32_t key) { return entry.first < key; });
            if (it == lookup.end() || it->first != rgb)
                return {};
            const unsigned shift = (perByte - 1 - x % perByte) * bitCount;
            row[x / perByte] = static_cast<uint8_t>(row[x / perByte] | (it->second << shift));
        }
        for (uint8_t b : row)
            w.U8(b);
    }
    return w.Take();
}
