#include "Bitmap.h"

#include "BmpCodec.h"
#include "MemoryDCPool.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TransparentBlit.h"

#include <algorithm>
#include <cstring>

namespace {
// The canvas of a bitmap draws on the bitmap's memory context.
class TBitmapCanvas : public TCanvas {
  public:
    explicit TBitmapCanvas(const TBitmap& bitmap) : bitmap_(bitmap) {}
    void Detach() { SetHandle(nullptr); }

  protected:
    void CreateHandle() override { SetHandle(bitmap_.MemoryDC()); }

  private:
    const TBitmap& bitmap_;
};
} // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) {
    format_ = format == pf32bit ? pf32bit : pf24bit;
    Allocate(width, height, format_);
}

TBitmap::~TBitmap() {
    canvas_.reset();
    ReleaseDC();
}

void TBitmap::ReleaseDC() const {
    if (canvas_)
        static_cast<TBitmapCanvas*>(canvas_.get())->Detach();
    if (memoryDC_) {
        SelectObject(memoryDC_, oldBitmap_);
        ReturnMemoryDC(memoryDC_);
        memoryDC_ = nullptr;
        oldBitmap_ = nullptr;
    }
}

void TBitmap::Allocate(int width, int height, TPixelFormat format) {
    ReleaseDC();
    dib_.Reset();
    bits_ = nullptr;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    format_ = format;
    int bitCount = format == pf32bit ? 32 : 24;
    stride_ = ((width_ * bitCount + 31) / 32) * 4;
    if (width_ == 0 || height_ == 0)
        return;
    void* bits = nullptr;
    dib_ = CreateTopDownDib(width_, height_, static_cast<WORD>(bitCount), &bits);
    if (!dib_) {
        width_ = height_ = 0;
        throw EOutOfResources("Out of system resources");
    }
    bits_ = static_cast<std::uint8_t*>(bits);
    std::memset(bits_, 0xFF,
                static_cast<size_t>(stride_) * static_cast<size_t>(height_)); // white, like a new sheet
}

void TBitmap::Changed() {
    if (OnChange)
        OnChange(this);
}

void TBitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_)
        return;
    // Keep what fits, as a resized drawing surface would.
    TBitmap old;
    bool keep = !Empty();
    if (keep)
        old.Assign(*this);
    Allocate(width, height, format_);
    if (keep && !Empty()) {
        GdiFlush();
        BitBlt(MemoryDC(), 0, 0, std::min(width_, old.width_), std::min(height_, old.height_), old.MemoryDC(),
               0, 0, SRCCOPY);
    }
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    format = format == pf32bit ? pf32bit : pf24bit;
    if (format == format_)
        return;
    if (Empty()) {
        format_ = format;
        return;
    }
    TBitmap old;
    old.Assign(*this);
    Allocate(old.width_, old.height_, format);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            SetPixelColor(x, y, old.PixelColor(x, y));
    Changed();
}

HDC TBitmap::MemoryDC() const {
    if (!memoryDC_) {
        memoryDC_ = BorrowMemoryDC();
        if (memoryDC_ && dib_)
            oldBitmap_ = SelectObject(memoryDC_, dib_.Get());
    }
    return memoryDC_;
}

TCanvas& TBitmap::Canvas() {
    if (!canvas_)
        canvas_ = std::make_unique<TBitmapCanvas>(*this);
    return *canvas_;
}

void* TBitmap::ScanLine(int y) {
    if (!bits_ || y < 0 || y >= height_)
        throw Exception("Scan line index out of range");
    GdiFlush();
    return bits_ + static_cast<size_t>(y) * static_cast<size_t>(stride_);
}

const void* TBitmap::ScanLine(int y) const {
    return const_cast<TBitmap*>(this)->ScanLine(y);
}

TColor TBitmap::PixelColor(int x, int y) const {
    if (x < 0 || x >= width_ || y < 0 || y >= height_)
        return clNone;
    auto* row = static_cast<const std::uint8_t*>(ScanLine(y));
    const std::uint8_t* p = row + x * (format_ == pf32bit ? 4 : 3);
    return static_cast<TColor>(p[2] | (p[1] << 8) | (p[0] << 16)); // B,G,R in memory
}

void TBitmap::SetPixelColor(int x, int y, TColor color) {
    if (x < 0 || x >= width_ || y < 0 || y >= height_)
        return;
    COLORREF rgb = ColorToRGB(color);
    auto* row = static_cast<std::uint8_t*>(ScanLine(y));
    std::uint8_t* p = row + x * (format_ == pf32bit ? 4 : 3);
    p[0] = GetBValue(rgb);
    p[1] = GetGValue(rgb);
    p[2] = GetRValue(rgb);
}

TColor TBitmap::TransparentColor() const {
    if (transparentColor_ != clDefault)
        return transparentColor_;
    return Empty() ? clDefault : PixelColor(0, height_ - 1);
}

void TBitmap::Assign(const TPersistent& source) {
    auto* other = dynamic_cast<const TBitmap*>(&source);
    if (!other)
        return TPersistent::Assign(source);
    if (other == this)
        return;
    Allocate(other->width_, other->height_, other->format_);
    if (bits_ && other->bits_) {
        GdiFlush();
        std::memcpy(bits_, other->bits_, static_cast<size_t>(stride_) * static_cast<size_t>(height_));
    }
    transparent_ = other->transparent_;
    transparentColor_ = other->transparentColor_;
    sourceBitCount_ = other->sourceBitCount_;
    sourcePalette_ = other->sourcePalette_;
    Changed();
}

void TBitmap::LoadFromImage(const TBmpImage& image) {
    TPixelFormat format = image.HasAlpha ? pf32bit : pf24bit;
    Allocate(image.Width, image.Height, format);
    for (int y = 0; y < height_; ++y) {
        auto* row = bits_ + static_cast<size_t>(y) * static_cast<size_t>(stride_);
        const std::uint32_t* src = image.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
        if (format == pf32bit) {
            std::memcpy(row, src, static_cast<size_t>(width_) * 4);
        } else {
            for (int x = 0; x < width_; ++x) {
                row[x * 3 + 0] = static_cast<std::uint8_t>(src[x]);
                row[x * 3 + 1] = static_cast<std::uint8_t>(src[x] >> 8);
                row[x * 3 + 2] = static_cast<std::uint8_t>(src[x] >> 16);
            }
        }
    }
    sourceBitCount_ = image.BitCount;
    sourcePalette_ = image.Palette;
    Changed();
}

void TBitmap::LoadFromBytes(const std::uint8_t* data, size_t size) {
    TBmpImage image;
    std::string error;
    if (!DecodeBmp(data, size, image, &error))
        throw EReadError("Bitmap image is not valid" + (error.empty() ? std::string() : " (" + error + ")"));
    LoadFromImage(image);
}

void TBitmap::LoadFromStream(TStream& stream) {
    std::vector<std::uint8_t> bytes(static_cast<size_t>(stream.Size() - stream.Position()));
    stream.ReadBuffer(bytes.data(), bytes.size());
    LoadFromBytes(bytes.data(), bytes.size());
}

void TBitmap::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream);
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const char* name) {
    TResourceStream stream(instance, name, reinterpret_cast<const char*>(RT_BITMAP));
    TBmpImage image;
    std::string error;
    if (!DecodeDib(static_cast<const std::uint8_t*>(stream.Memory()), static_cast<size_t>(stream.Size()),
                   image, &error))
        throw EReadError("Bitmap image is not valid" + (error.empty() ? std::string() : " (" + error + ")"));
    LoadFromImage(image);
}

std::vector<std::uint8_t> TBitmap::SaveToBytes() const {
    TBmpImage image;
    image.Width = width_;
    image.Height = height_;
    image.BitCount = format_ == pf32bit ? 32 : 24;
    image.HasAlpha = format_ == pf32bit;
    image.Pixels.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    if (bits_) {
        GdiFlush();
        for (int y = 0; y < height_; ++y) {
            const auto* row = bits_ + static_cast<size_t>(y) * static_cast<size_t>(stride_);
            std::uint32_t* dst = image.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
            for (int x = 0; x < width_; ++x) {
                if (format_ == pf32bit)
                    std::memcpy(&dst[x], row + x * 4, 4);
                else
                    dst[x] = row[x * 3] | (row[x * 3 + 1] << 8) |
                             (static_cast<std::uint32_t>(row[x * 3 + 2]) << 16);
            }
        }
    }
    return format_ == pf32bit ? EncodeBmp32(image) : EncodeBmp24(image);
}

void TBitmap::SaveToStream(TStream& stream) const {
    std::vector<std::uint8_t> bytes = SaveToBytes();
    stream.WriteBuffer(bytes.data(), bytes.size());
}

void TBitmap::SaveToFile(const std::string& fileName) const {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TBitmap::Draw(HDC dc, int x, int y) const {
    StretchDraw(dc, RECT{x, y, x + width_, y + height_});
}

void TBitmap::StretchDraw(HDC dc, const RECT& rect) const {
    if (Empty())
        return;
    GdiFlush();
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (transparent_) {
        TransparentBlit(dc, rect.left, rect.top, w, h, MemoryDC(), 0, 0, width_, height_,
                        ColorToRGB(TransparentColor()));
    } else if (w == width_ && h == height_) {
        BitBlt(dc, rect.left, rect.top, w, h, MemoryDC(), 0, 0, SRCCOPY);
    } else {
        int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, rect.left, rect.top, w, h, MemoryDC(), 0, 0, width_, height_, SRCCOPY);
        SetStretchBltMode(dc, oldMode);
    }
}
