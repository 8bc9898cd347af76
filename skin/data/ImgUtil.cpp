#include "ImgUtil.h"

#include "Application.h"
#include "TransparentBlit.h"
#include "WinSubClassGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {
// Any negative value names a system colour by its low byte, not only 0xFF0000nn.
COLORREF PlainRGB(TColor colour) {
    if (colour < 0)
        return GetSysColor(colour & 0xFF);
    return static_cast<COLORREF>(colour) & 0x00FFFFFF;
}

int BytesPerPixel(const TBitmap& bitmap) {
    return bitmap.PixelFormat() == pf32bit ? 4 : 3;
}

// The pixels top row first as 0x00RRGGBB (the layout of a DIB's memory).
std::vector<std::uint32_t> ReadPixels(const TBitmap& bitmap) {
    const int width = bitmap.Width(), height = bitmap.Height(), bpp = BytesPerPixel(bitmap);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<const std::uint8_t*>(bitmap.ScanLine(y));
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, row + x * bpp, static_cast<size_t>(bpp));
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = pixel;
        }
    }
    return pixels;
}

void WritePixels(TBitmap& bitmap, const std::vector<std::uint32_t>& pixels) {
    const int width = bitmap.Width(), height = bitmap.Height(), bpp = BytesPerPixel(bitmap);
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(bitmap.ScanLine(y));
        for (int x = 0; x < width; ++x)
            std::memcpy(row + x * bpp,
                        &pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)],
                        static_cast<size_t>(bpp));
    }
}

// new(x, y) = old(source(x, y)) on a bitmap whose new size is newWidth x newHeight.
template <class Source> void Remap(TBitmap& bitmap, int newWidth, int newHeight, Source source) {
    if (bitmap.Empty())
        return;
    const int oldWidth = bitmap.Width();
    const std::vector<std::uint32_t> old = ReadPixels(bitmap);
    std::vector<std::uint32_t> pixels(old.size());
    for (int y = 0; y < newHeight; ++y) {
        for (int x = 0; x < newWidth; ++x) {
            POINT from = source(x, y);
            pixels[static_cast<size_t>(y) * static_cast<size_t>(newWidth) + static_cast<size_t>(x)] =
                old[static_cast<size_t>(from.y) * static_cast<size_t>(oldWidth) +
                    static_cast<size_t>(from.x)];
        }
    }
    bitmap.SetSize(newWidth, newHeight);
    WritePixels(bitmap, pixels);
}

int Channel(COLORREF colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// Entry index of a ramp of length colours from start to end.
COLORREF RampColour(int index, int length, COLORREF start, COLORREF end) {
    const std::int64_t d = length - 1;
    COLORREF colour = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::int64_t from = Channel(start, shift), delta = Channel(end, shift) - from;
        // Integer division truncates toward zero, for falling ramps too.
        const std::int64_t value = d == 0 ? from + delta / 2 : from + (d / 2 + index * delta) / d;
        colour |= static_cast<COLORREF>(value & 0xFF) << shift;
    }
    return colour;
}

// Longer ramps are not cached: their lines are computed as they are painted, so an absurd
// rectangle cannot make the cache allocate its whole length.
constexpr int MaxCachedRamp = 16384;

// Kept for the whole run and released at shutdown, like the library reference it holds.
struct TUser32Calls {
    using TGetScrollBarInfo = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
    using TTrackMouseEvent = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);

    TUser32Calls() : library(LoadLibraryA("user32.dll")) {
        if (!library)
            return;
        // Casting through FARPROC is how looked-up entry points get their real type.
        getScrollBarInfo = reinterpret_cast<TGetScrollBarInfo>(
            reinterpret_cast<void*>(GetProcAddress(library, "GetScrollBarInfo")));
        trackMouseEvent = reinterpret_cast<TTrackMouseEvent>(
            reinterpret_cast<void*>(GetProcAddress(library, "TrackMouseEvent")));
    }
    ~TUser32Calls() {
        if (library)
            FreeLibrary(library);
    }
    TUser32Calls(const TUser32Calls&) = delete;
    TUser32Calls& operator=(const TUser32Calls&) = delete;

    HMODULE library;
    TGetScrollBarInfo getScrollBarInfo = nullptr;
    TTrackMouseEvent trackMouseEvent = nullptr;
};

const TUser32Calls& User32Calls() {
    static const TUser32Calls calls;
    return calls;
}
} // namespace

TColor MixColours(TColor c1, TColor c2, int weight) {
    const COLORREF a = PlainRGB(c1), b = PlainRGB(c2);
    const std::int64_t scale = weight < 100 ? 100 : 1000;
    TColor result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        std::int64_t mixed = (Channel(a, shift) * static_cast<std::int64_t>(weight) +
                              Channel(b, shift) * (scale - weight) + scale / 2) /
                             scale;
        // Weights outside 0..scale would push a channel out of its byte into the next one.
        mixed = std::clamp<std::int64_t>(mixed, 0, 255);
        result |= static_cast<TColor>(mixed << shift);
    }
    return result;
}

int ColourSaturation(TColor colour) {
    const COLORREF rgb = PlainRGB(colour);
    const int r = Channel(rgb, 0), g = Channel(rgb, 8), b = Channel(rgb, 16);
    const int high = std::max({r, g, b}), low = std::min({r, g, b});
    if (high < 160)
        return 200;
    // Multiplied before dividing so that exact halves stay exact and round to even.
    return static_cast<int>(std::nearbyint((high - low) * 255.0 / high));
}

const std::vector<COLORREF>& TGradientRampCache::Ramp(int length, COLORREF start, COLORREF end) {
    for (int i = SlotCount - 1; i >= 0; --i) {
        const TSlot& slot = slots_[static_cast<size_t>(i)];
        if (!slot.ramp.empty() && slot.length == length && slot.start == start && slot.end == end)
            return slot.ramp;
    }
    TSlot& slot = slots_[static_cast<size_t>(next_)];
    next_ = (next_ + 1) % SlotCount;
    ++builds_;
    slot.length = length;
    slot.start = start;
    slot.end = end;
    slot.ramp.assign(static_cast<size_t>(std::max(length, 0)), 0);
    for (int i = 0; i < length; ++i)
        slot.ramp[static_cast<size_t>(i)] = RampColour(i, length, start, end);
    return slot.ramp;
}

void TGradientRampCache::Clear() {
    for (TSlot& slot : slots_)
        slot = TSlot{};
    next_ = 0;
}

TGradientRampCache& GradientRampCache() {
    static TGradientRampCache cache;
    return cache;
}

void GradientFill(HDC dc, const RECT& rect, TColor start, bool vertical, TColor end) {
    const std::int64_t span =
        vertical ? std::int64_t{rect.bottom} - rect.top : std::int64_t{rect.right} - rect.left;
    if (span <= 0 || span > INT32_MAX || !RectVisible(dc, &rect))
        return;
    RECT clip;
    if (GetClipBox(dc, &clip) == ERROR)
        return;
    const int length = static_cast<int>(span);
    const COLORREF from = PlainRGB(start), to = PlainRGB(end);
    const std::vector<COLORREF>* ramp =
        length <= MaxCachedRamp ? &GradientRampCache().Ramp(length, from, to) : nullptr;
    const int origin = vertical ? rect.top : rect.left;
    const int first = std::max(origin, static_cast<int>(vertical ? clip.top : clip.left));
    const int last = std::min(static_cast<int>(vertical ? rect.bottom : rect.right),
                              static_cast<int>(vertical ? clip.bottom : clip.right));
    for (int line = first; line < last; ++line) {
        const int index = line - origin;
        TOwnedBrush brush(CreateSolidBrush(ramp ? (*ramp)[static_cast<size_t>(index)]
                                                : RampColour(index, length, from, to)));
        RECT part = vertical ? RECT{rect.left, line, rect.right, line + 1}
                             : RECT{line, rect.top, line + 1, rect.bottom};
        FillRect(dc, &part, brush.Get());
    }
}

void ReplaceMagenta(TBitmap& bitmap, TColor colour) {
    bitmap.SetPixelFormat(pf24bit);
    const COLORREF rgb = PlainRGB(colour);
    for (int y = 0; y < bitmap.Height(); ++y) {
        auto* row = static_cast<std::uint8_t*>(bitmap.ScanLine(y));
        for (int x = 0; x < bitmap.Width(); ++x) {
            std::uint8_t* p = row + x * 3; // blue, green, red
            if (p[0] == 255 && p[1] == 0 && p[2] == 255) {
                p[0] = GetBValue(rgb);
                p[1] = GetGValue(rgb);
                p[2] = GetRValue(rgb);
            }
        }
    }
}

void MirrorBitmap(TBitmap& bitmap) {
    const int width = bitmap.Width();
    Remap(bitmap, width, bitmap.Height(), [width](int x, int y) { return POINT{width - 1 - x, y}; });
}

void MirrorCells(TBitmap& bitmap, int cells) {
    const int width = bitmap.Width();
    const int cellWidth = cells > 0 ? width / cells : 0;
    if (cellWidth <= 0)
        return;
    const int covered = cellWidth * cells;
    Remap(bitmap, width, bitmap.Height(), [cellWidth, covered](int x, int y) {
        if (x >= covered)
            return POINT{x, y};
        const int start = x / cellWidth * cellWidth;
        return POINT{start + cellWidth - 1 - (x - start), y};
    });
}

void FlipBitmap(TBitmap& bitmap) {
    const int height = bitmap.Height();
    Remap(bitmap, bitmap.Width(), height, [height](int x, int y) { return POINT{x, height - 1 - y}; });
}

void RotateClockwise(TBitmap& bitmap) {
    const int oldHeight = bitmap.Height();
    Remap(bitmap, oldHeight, bitmap.Width(), [oldHeight](int x, int y) {
        return POINT{y, oldHeight - 1 - x};
    });
}

void RotateCounterClockwise(TBitmap& bitmap) {
    const int oldWidth = bitmap.Width();
    Remap(bitmap, bitmap.Height(), oldWidth, [oldWidth](int x, int y) { return POINT{oldWidth - 1 - y, x}; });
}

namespace {
// Drawings up to this size are composed in one buffer of the thread that only grows; larger ones
// get a buffer of their own.
constexpr int SharedBufferLimit = 512;

TBitmap& CompositionBuffer(int width, int height, std::unique_ptr<TBitmap>& large) {
    if (width > SharedBufferLimit || height > SharedBufferLimit) {
        large = std::make_unique<TBitmap>(width, height);
        return *large;
    }
    thread_local TBitmap shared;
    if (shared.Width() < width || shared.Height() < height)
        shared.SetSize(std::max(shared.Width(), width), std::max(shared.Height(), height));
    return shared;
}
} // namespace

void DrawNineSlice(HDC dc, const RECT& dest, const TBitmap& image, const RECT& cell, const RECT& margins,
                   bool tile, bool transparent) {
    const int width = dest.right - dest.left, height = dest.bottom - dest.top;
    const int cellWidth = cell.right - cell.left, cellHeight = cell.bottom - cell.top;
    if (width <= 0 || height <= 0 || cellWidth <= 0 || cellHeight <= 0 || image.Empty())
        return;
    // Margins an image is too small for would leave a hole in the middle: the cell is stretched.
    const TFrameRect usable =
        NineSliceMargins(cellWidth, cellHeight, width, height,
                         TFrameRect{static_cast<int>(margins.left), static_cast<int>(margins.top),
                                    static_cast<int>(margins.right), static_cast<int>(margins.bottom)});
    const int left = usable.Left, top = usable.Top, right = usable.Right, bottom = usable.Bottom;
    const int srcMidW = cellWidth - left - right, srcMidH = cellHeight - top - bottom;
    const int midW = width - left - right, midH = height - top - bottom;

    const bool whole = left == 0 && right == 0 && top == 0 && bottom == 0;
    const bool sameSize = width == cellWidth && height == cellHeight;
    if (whole && (sameSize || !tile)) {
        // The whole cell, stretched or not: one copy straight from the image.
        HDC source = image.MemoryDC();
        GdiFlush();
        if (transparent) {
            // Stretched colour on colour, as the composition below would do it.
            TransparentBlit(dc, dest.left, dest.top, width, height, source, cell.left, cell.top, cellWidth,
                            cellHeight, RGB(255, 0, 255));
        } else if (sameSize) {
            BitBlt(dc, dest.left, dest.top, width, height, source, cell.left, cell.top, SRCCOPY);
        } else {
            const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, dest.left, dest.top, width, height, source, cell.left, cell.top, cellWidth,
                       cellHeight, SRCCOPY);
            SetStretchBltMode(dc, oldMode);
        }
        return;
    }

    std::unique_ptr<TBitmap> large;
    TBitmap& buffer = CompositionBuffer(width, height, large);
    HDC target = buffer.MemoryDC();
    HDC source = image.MemoryDC();
    // What a degenerate cell leaves undrawn stays black, as in a new buffer.
    PatBlt(target, 0, 0, width, height, BLACKNESS);
    GdiFlush();
    const int oldMode = SetStretchBltMode(target, COLORONCOLOR);
    auto piece = [&](int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
        if (dw > 0 && dh > 0 && sw > 0 && sh > 0)
            StretchBlt(target, dx, dy, dw, dh, source, cell.left + sx, cell.top + sy, sw, sh, SRCCOPY);
    };
    piece(0, 0, left, top, 0, 0, left, top);
    piece(width - right, 0, right, top, cellWidth - right, 0, right, top);
    piece(0, height - bottom, left, bottom, 0, cellHeight - bottom, left, bottom);
    piece(width - right, height - bottom, right, bottom, cellWidth - right, cellHeight - bottom, right,
          bottom);
    piece(left, 0, midW, top, left, 0, srcMidW, top);
    piece(left, height - bottom, midW, bottom, left, cellHeight - bottom, srcMidW, bottom);
    piece(0, top, left, midH, 0, top, left, srcMidH);
    piece(width - right, top, right, midH, cellWidth - right, top, right, srcMidH);
    if (!tile) {
        piece(left, top, midW, midH, left, top, srcMidW, srcMidH);
    } else if (midW > 0 && midH > 0 && srcMidW > 0 && srcMidH > 0) {
        // One copy, then the filled part doubles until the centre is full: a few blits
        // however small the tile and however large the target.
        const int firstW = std::min(srcMidW, midW), firstH = std::min(srcMidH, midH);
        BitBlt(target, left, top, firstW, firstH, source, cell.left + left, cell.top + top, SRCCOPY);
        for (int filled = firstW; filled < midW;) {
            const int copy = std::min(filled, midW - filled);
            BitBlt(target, left + filled, top, copy, firstH, target, left, top, SRCCOPY);
            filled += copy;
        }
        for (int filled = firstH; filled < midH;) {
            const int copy = std::min(filled, midH - filled);
            BitBlt(target, left, top + filled, midW, copy, target, left, top, SRCCOPY);
            filled += copy;
        }
    }
    SetStretchBltMode(target, oldMode);
    GdiFlush();
    if (transparent)
        TransparentBlit(dc, dest.left, dest.top, width, height, target, 0, 0, width, height,
                        RGB(255, 0, 255));
    else
        BitBlt(dc, dest.left, dest.top, width, height, target, 0, 0, SRCCOPY);
}

void FillBitmap(TBitmap& bitmap, TColor colour) {
    if (bitmap.Empty())
        return;
    TOwnedBrush brush(CreateSolidBrush(ColorToRGB(colour)));
    RECT all{0, 0, bitmap.Width(), bitmap.Height()};
    FillRect(bitmap.MemoryDC(), &all, brush.Get());
}

HICON WindowIcon(HWND window) {
    if (!window)
        return nullptr;
    auto icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    if (!icon)
        icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    return icon;
}

HICON ApplicationIcon() {
    if (!Application)
        return nullptr;
    HICON icon = WindowIcon(Application->Handle());
    return icon ? icon : Application->SmallIcon();
}

void DrawIconOnMagenta(TBitmap& bitmap, HICON icon) {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    bitmap.SetSize(cx, cy);
    FillBitmap(bitmap, clFuchsia);
    if (icon)
        DrawIconEx(bitmap.MemoryDC(), 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
    GdiFlush();
    bitmap.SetTransparent(true);
    bitmap.SetTransparentColor(clFuchsia);
}

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::wstring WindowTextOf(HWND window) {
    if (!window || !IsWindow(window))
        return std::wstring();
    const int length = GetWindowTextLengthW(window);
    if (length > 0) {
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const int got = GetWindowTextW(window, text.data(), length + 1);
        text.resize(static_cast<size_t>(std::max(got, 0)));
        return text;
    }
    char buffer[1000] = {};
    SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return AnsiToWide(buffer);
}

int DrawSkinText(HDC dc, const std::wstring& text, RECT& rect, UINT format) {
    // The high bit of GetVersion marks the Windows 95 family, which has no DrawTextW.
    if ((GetVersion() & 0x80000000u) == 0)
        return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    std::string ansi;
    if (!text.empty()) {
        const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                               0, nullptr, nullptr);
        if (length > 0) {
            ansi.resize(static_cast<size_t>(length));
            WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), length,
                                nullptr, nullptr);
        }
    }
    return DrawTextA(dc, ansi.c_str(), -1, &rect, format);
}

bool HasSkinGetScrollBarInfo() {
    return User32Calls().getScrollBarInfo != nullptr;
}

BOOL SkinGetScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO* info) {
    const auto call = User32Calls().getScrollBarInfo;
    return call ? call(window, objectId, info) : FALSE;
}

void SkinTrackMouseLeave(HWND window) {
    const auto call = User32Calls().trackMouseEvent;
    if (!call)
        return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track); // 16 bytes on 32-bit Windows; the 64-bit record is larger
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    call(&track);
}
