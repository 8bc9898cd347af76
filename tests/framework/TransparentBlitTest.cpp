// The key-colour copy against the system's own: the same pixels, at any size, through a moved
// origin, and the target's colours left as they were.

#include "TransparentBlit.h"

#include "Handles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr COLORREF Key = RGB(255, 0, 255);

// A top-down DIB section in its own memory DC.
class TSurface {
  public:
    TSurface(int width, int height, int bits = 32)
        : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bits);
        bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        old_ = SelectObject(dc_.Get(), bitmap_.Get());
    }
    ~TSurface() { SelectObject(dc_.Get(), old_); }
    HDC Dc() const { return dc_.Get(); }
    void Fill(COLORREF colour) {
        TOwnedBrush brush(CreateSolidBrush(colour));
        RECT all{0, 0, width_, height_};
        FillRect(dc_.Get(), &all, brush.Get());
    }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_.Get(), x, y); }
    std::vector<COLORREF> Pixels() const {
        GdiFlush();
        std::vector<COLORREF> all;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                all.push_back(GetPixel(dc_.Get(), x, y));
        return all;
    }

  private:
    int width_, height_;
    TMemoryDC dc_;
    TOwnedBitmap bitmap_;
    void* bits_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// Every third pixel on a diagonal is the key, the rest a colour of its place.
void Pattern(TSurface& surface, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(surface.Dc(), x, y, (x + y) % 3 == 0 ? Key : RGB(x * 7 % 256, y * 11 % 256, 77));
}

TEST(TransparentBlit, DrawsWhatTheSystemCopyDrawsFromEitherSourceDepth) {
    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        TSurface source(40, 30, bits);
        Pattern(source, 40, 30);
        TSurface ours(60, 40), system(60, 40);
        ours.Fill(RGB(10, 120, 200));
        system.Fill(RGB(10, 120, 200));
        ASSERT_TRUE(TransparentBlit(ours.Dc(), 5, 4, 31, 23, source.Dc(), 3, 2, Key));
        GdiTransparentBlt(system.Dc(), 5, 4, 31, 23, source.Dc(), 3, 2, 31, 23, Key);
        EXPECT_EQ(ours.Pixels(), system.Pixels());
        EXPECT_EQ(ours.Pixel(5 + 1, 4 + 0), RGB(10, 120, 200)) << "a key pixel leaves the target";
        EXPECT_EQ(ours.Pixel(5, 4), RGB(3 * 7, 2 * 11, 77));
    }
}

TEST(TransparentBlit, KeepsWithinTheTargetsClippingOfAnyShape) {
    TSurface source(40, 30, 24);
    Pattern(source, 40, 30);
    // One rectangle (copied pixel by pixel) and two (copied through a mask).
    TOwnedRegion one(CreateRectRgn(10, 8, 30, 20));
    TOwnedRegion two(CreateRectRgn(0, 0, 12, 12));
    TOwnedRegion other(CreateRectRgn(20, 15, 50, 40));
    CombineRgn(two.Get(), two.Get(), other.Get(), RGN_OR);
    for (HRGN clip : {one.Get(), two.Get()}) {
        TSurface ours(60, 40), system(60, 40);
        ours.Fill(RGB(90, 90, 90));
        system.Fill(RGB(90, 90, 90));
        SelectClipRgn(ours.Dc(), clip);
        SelectClipRgn(system.Dc(), clip);
        ASSERT_TRUE(TransparentBlit(ours.Dc(), 2, 3, 40, 30, source.Dc(), 0, 0, Key));
        GdiTransparentBlt(system.Dc(), 2, 3, 40, 30, source.Dc(), 0, 0, 40, 30, Key);
        EXPECT_EQ(ours.Pixels(), system.Pixels());
    }
}

TEST(TransparentBlit, StretchesLikeAColourCopyAndLeavesTheKeyOut) {
    TSurface source(8, 6);
    Pattern(source, 8, 6);
    TSurface stretched(30, 20), ours(30, 20);
    SetStretchBltMode(stretched.Dc(), COLORONCOLOR);
    StretchBlt(stretched.Dc(), 0, 0, 30, 20, source.Dc(), 0, 0, 8, 6, SRCCOPY);
    ours.Fill(RGB(1, 2, 3));
    ASSERT_TRUE(TransparentBlit(ours.Dc(), 0, 0, 30, 20, source.Dc(), 0, 0, 8, 6, Key));
    const std::vector<COLORREF> expected = stretched.Pixels(), got = ours.Pixels();
    int keyed = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        if (expected[i] == Key) {
            ++keyed;
            EXPECT_EQ(got[i], RGB(1, 2, 3)) << i;
        } else {
            EXPECT_EQ(got[i], expected[i]) << i;
        }
    }
    EXPECT_GT(keyed, 0);
}

TEST(TransparentBlit, KeepsTheTargetsOriginAndColoursAndCopesWithLargeAndEmptyAreas) {
    TSurface source(700, 3);
    Pattern(source, 700, 3);
    TSurface target(720, 10);
    target.Fill(RGB(0, 0, 0));
    // A buffer for an area of a window draws in the window's coordinates.
    SetViewportOrgEx(target.Dc(), -100, -50, nullptr);
    SetTextColor(target.Dc(), RGB(1, 2, 3));
    SetBkColor(target.Dc(), RGB(4, 5, 6));
    ASSERT_TRUE(TransparentBlit(target.Dc(), 110, 52, 700, 3, source.Dc(), 0, 0, Key));
    EXPECT_EQ(GetTextColor(target.Dc()), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(target.Dc()), RGB(4, 5, 6));
    SetViewportOrgEx(target.Dc(), 0, 0, nullptr);
    EXPECT_EQ(target.Pixel(10, 2), RGB(0, 0, 0)) << "key at the source's top-left";
    EXPECT_EQ(target.Pixel(11, 2), RGB(7, 0, 77));
    EXPECT_EQ(target.Pixel(10 + 699, 2 + 2), RGB(699 * 7 % 256, 22, 77));
    EXPECT_EQ(target.Pixel(9, 2), RGB(0, 0, 0));

    EXPECT_FALSE(TransparentBlit(target.Dc(), 0, 0, 0, 5, source.Dc(), 0, 0, Key));
    EXPECT_FALSE(TransparentBlit(target.Dc(), 0, 0, 5, 5, nullptr, 0, 0, Key));
}

} // namespace
