#include "TransparentBlit.h"

#include "Handles.h"

#include <algorithm>
#include <memory>
#include <mutex>

namespace {
// Drawings up to this size use one pair of buffers of the process, which only grows; larger ones,
// and a copy while another thread uses the shared pair, get buffers of their own. (Not a pair
// per thread: objects of a thread's own storage with destructors are not safe on every runtime
// when a thread ends.)
constexpr int SharedLimit = 512;

// The two scratch surfaces of one copy: the source in 32 bits with the key turned black, and
// its mask (1 where the key was).
class TScratch {
  public:
    bool Fit(int width, int height) {
        if (colour_.Get() && width <= width_ && height <= height_)
            return true;
        width = std::max(width, width_);
        height = std::max(height, height_);
        Release();
        colourDC_.Reset(CreateCompatibleDC(nullptr));
        maskDC_.Reset(CreateCompatibleDC(nullptr));
        colour_ = CreateTopDownDib(width, height, 32);
        mask_.Reset(CreateBitmap(width, height, 1, 1, nullptr));
        if (!colourDC_.Get() || !maskDC_.Get() || !colour_.Get() || !mask_.Get()) {
            Release();
            return false;
        }
        oldColour_ = SelectObject(colourDC_.Get(), colour_.Get());
        oldMask_ = SelectObject(maskDC_.Get(), mask_.Get());
        width_ = width;
        height_ = height;
        return true;
    }
    HDC Colour() const { return colourDC_.Get(); }
    HDC Mask() const { return maskDC_.Get(); }
    ~TScratch() { Release(); }

  private:
    void Release() {
        // The bitmaps leave their DCs before either is deleted.
        if (colourDC_.Get() && oldColour_)
            SelectObject(colourDC_.Get(), oldColour_);
        if (maskDC_.Get() && oldMask_)
            SelectObject(maskDC_.Get(), oldMask_);
        oldColour_ = oldMask_ = nullptr;
        colourDC_.Reset();
        maskDC_.Reset();
        colour_.Reset();
        mask_.Reset();
        width_ = height_ = 0;
    }

    TMemoryDC colourDC_, maskDC_;
    TOwnedBitmap colour_, mask_;
    HGDIOBJ oldColour_ = nullptr, oldMask_ = nullptr;
    int width_ = 0, height_ = 0;
};
} // namespace

bool TransparentBlit(HDC target, int x, int y, int w, int h, HDC source, int sx, int sy, int sw, int sh,
                     COLORREF key) {
    if (!target || !source || w <= 0 || h <= 0 || sw <= 0 || sh <= 0)
        return false;
    static std::mutex sharedLock;
    static TScratch shared;
    std::unique_lock<std::mutex> hold(sharedLock, std::defer_lock);
    std::unique_ptr<TScratch> own;
    TScratch* scratch = nullptr;
    if (w <= SharedLimit && h <= SharedLimit && hold.try_lock()) {
        scratch = &shared;
    } else {
        own = std::make_unique<TScratch>();
        scratch = own.get();
    }
    if (!scratch->Fit(w, h))
        return GdiTransparentBlt(target, x, y, w, h, source, sx, sy, sw, sh, key) != FALSE;
    HDC colour = scratch->Colour(), mask = scratch->Mask();
    key &= 0x00FFFFFF;

    // The source at the target's size, pixel for pixel.
    if (w == sw && h == sh) {
        BitBlt(colour, 0, 0, w, h, source, sx, sy, SRCCOPY);
    } else {
        const int oldMode = SetStretchBltMode(colour, COLORONCOLOR);
        StretchBlt(colour, 0, 0, w, h, source, sx, sy, sw, sh, SRCCOPY);
        SetStretchBltMode(colour, oldMode);
    }
    // The mask: a colour-to-monochrome copy turns the background colour white, all else black.
    SetBkColor(colour, key);
    BitBlt(mask, 0, 0, w, h, colour, 0, 0, SRCCOPY);
    // The key turns black in the copy (monochrome to colour: white bits take the background
    // colour, black bits the text colour).
    SetTextColor(colour, RGB(255, 255, 255));
    SetBkColor(colour, RGB(0, 0, 0));
    BitBlt(colour, 0, 0, w, h, mask, 0, 0, SRCAND);
    // What the copy covers turns black in the target, the rest stays; then the copy is or-ed in.
    const COLORREF oldText = SetTextColor(target, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(target, RGB(255, 255, 255));
    BitBlt(target, x, y, w, h, mask, 0, 0, SRCAND);
    SetTextColor(target, oldText);
    SetBkColor(target, oldBack);
    return BitBlt(target, x, y, w, h, colour, 0, 0, SRCPAINT) != FALSE;
}
