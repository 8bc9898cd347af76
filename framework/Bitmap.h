#pragma once
// A device-independent bitmap (24 or 32 bits, rows top-down) with a canvas.

#include "Graphics.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStream;
struct TBmpImage;

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

class TBitmap : public TPersistent {
  public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pf24bit);
    ~TBitmap() override;
    const char* ClassName() const override { return "TBitmap"; }
    void Assign(const TPersistent& source) override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    // 24 or 32 bits in memory; paletted sources are widened when loaded.
    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat format);
    // The bit depth and palette of the file last loaded (for tools that keep them).
    int SourceBitCount() const { return sourceBitCount_; }
    const std::vector<std::uint32_t>& SourcePalette() const { return sourcePalette_; }

    HBITMAP Handle() const { return dib_.Get(); }
    TCanvas& Canvas();
    // Row y (0 = top) of the pixel memory.
    void* ScanLine(int y);
    const void* ScanLine(int y) const;
    int BytesPerLine() const { return stride_; }
    // 0x00RRGGBB-free colour access as TColor (0x00BBGGRR).
    TColor PixelColor(int x, int y) const;
    void SetPixelColor(int x, int y, TColor color);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent) { transparent_ = transparent; }
    // clDefault: the bottom-left pixel, as drawn.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color) { transparentColor_ = color; }

    void LoadFromBytes(const std::uint8_t* data, size_t size);
    void LoadFromFile(const std::string& fileName);
    void LoadFromStream(TStream& stream);
    // A BITMAP resource (a DIB without its file header).
    void LoadFromResourceName(HINSTANCE instance, const char* name);
    void LoadFromImage(const TBmpImage& image);
    void SaveToFile(const std::string& fileName) const;
    void SaveToStream(TStream& stream) const;
    std::vector<std::uint8_t> SaveToBytes() const;

    // Copies to a device context, leaving out the transparent colour when
    // Transparent is set.
    void Draw(HDC dc, int x, int y) const;
    void StretchDraw(HDC dc, const RECT& rect) const;
    // The memory context with the bitmap selected (made on demand).
    HDC MemoryDC() const;

    TNotifyEvent OnChange;

  private:
    void Allocate(int width, int height, TPixelFormat format);
    void ReleaseDC() const;
    void Changed();

    int width_ = 0, height_ = 0, stride_ = 0;
    TPixelFormat format_ = pf24bit;
    int sourceBitCount_ = 0;
    std::vector<std::uint32_t> sourcePalette_;
    bool transparent_ = false;
    TColor transparentColor_ = clDefault;
    TOwnedBitmap dib_;
    std::uint8_t* bits_ = nullptr;
    // Borrowed from the DC pool at the first request, given back with the pixels.
    mutable HDC memoryDC_ = nullptr;
    mutable HGDIOBJ oldBitmap_ = nullptr;
    std::unique_ptr<TCanvas> canvas_;
};
