#include "ImageList.h"

#include "SysUtils.h"
#include "SystemFunction.h"

#include <algorithm>
#include <vector>

namespace {
// The common controls are loaded when the first image list is made, not with the program.
const TSystemFunction<decltype(&::ImageList_Create)> imageListCreate{"comctl32.dll", "ImageList_Create"};
const TSystemFunction<decltype(&::ImageList_Destroy)> imageListDestroy{"comctl32.dll", "ImageList_Destroy"};
const TSystemFunction<decltype(&::ImageList_GetImageCount)> imageListCount{"comctl32.dll",
                                                                           "ImageList_GetImageCount"};
const TSystemFunction<decltype(&::ImageList_Add)> imageListAdd{"comctl32.dll", "ImageList_Add"};
const TSystemFunction<decltype(&::ImageList_Remove)> imageListRemove{"comctl32.dll", "ImageList_Remove"};
const TSystemFunction<decltype(&::ImageList_Draw)> imageListDraw{"comctl32.dll", "ImageList_Draw"};
const TSystemFunction<decltype(&::ImageList_DrawEx)> imageListDrawEx{"comctl32.dll", "ImageList_DrawEx"};
} // namespace

void TImageListTraits::Close(HIMAGELIST h) {
    // A list was made, so the library is there.
    if (auto destroy = imageListDestroy.Find())
        destroy(h);
}

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), width_(std::max(width, 1)), height_(std::max(height, 1)) {
    CreateList();
}

void TImageList::CreateList() {
    handle_.Reset(imageListCreate(width_, height_, ILC_COLOR24 | ILC_MASK, 4, 4));
    if (!handle_)
        throw EOutOfResources("Cannot create an image list");
}

void TImageList::SetSize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    CreateList();
    Changed();
}

int TImageList::Count() const {
    return imageListCount(handle_.Get());
}

int TImageList::AddMasked(const TBitmap& picture, TColor transparentColor) {
    if (picture.Empty())
        return -1;
    GdiFlush(); // the picture's pixels are read directly below
    int cells = std::max(1, picture.Width() / width_);
    int stripWidth = cells * width_;
    COLORREF transparent =
        ColorToRGB(transparentColor == clDefault ? picture.TransparentColor() : transparentColor) & 0xFFFFFF;

    // The colour strip, with black where the mask lets the background show:
    // the list draws it over the masked-out background with OR.
    void* bits = nullptr;
    TOwnedBitmap image = CreateTopDownDib(stripWidth, height_, 24, &bits);
    if (!image)
        throw EOutOfResources("Out of system resources");
    int imageStride = ((stripWidth * 24 + 31) / 32) * 4;
    // One bit a pixel, rows padded to 16 bits; a set bit is transparent.
    int maskStride = ((stripWidth + 15) / 16) * 2;
    std::vector<BYTE> maskBits(static_cast<size_t>(maskStride) * static_cast<size_t>(height_), 0xFF);

    auto* pixels = static_cast<BYTE*>(bits);
    for (int y = 0; y < height_; ++y) {
        BYTE* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(imageStride);
        for (int x = 0; x < stripWidth; ++x) {
            int cell = x / width_, cx = x % width_;
            int sx = cell * width_ + cx;
            bool inside = sx < picture.Width() && y < picture.Height();
            COLORREF rgb = inside ? static_cast<COLORREF>(picture.PixelColor(sx, y)) & 0xFFFFFF : transparent;
            BYTE* p = row + x * 3;
            if (rgb == transparent) {
                p[0] = p[1] = p[2] = 0;
                continue;
            }
            p[0] = GetBValue(rgb);
            p[1] = GetGValue(rgb);
            p[2] = GetRValue(rgb);
            maskBits[static_cast<size_t>(y * maskStride + x / 8)] &= static_cast<BYTE>(~(0x80 >> (x % 8)));
        }
    }
    TOwnedBitmap mask(CreateBitmap(stripWidth, height_, 1, 1, maskBits.data()));
    if (!mask)
        throw EOutOfResources("Out of system resources");
    int first = imageListAdd(handle_.Get(), image.Get(), mask.Get());
    if (first < 0)
        throw EOutOfResources("Cannot add to an image list");
    Changed();
    return first;
}

void TImageList::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    imageListRemove(handle_.Get(), index);
    Changed();
}

void TImageList::Clear() {
    if (Count() == 0)
        return;
    imageListRemove(handle_.Get(), -1);
    Changed();
}

void TImageList::Draw(HDC dc, int x, int y, int index) const {
    if (index < 0 || index >= Count())
        return;
    imageListDraw(handle_.Get(), index, dc, x, y, ILD_TRANSPARENT);
}

void TImageList::DrawDisabled(HDC dc, int x, int y, int index) const {
    if (index < 0 || index >= Count())
        return;
    imageListDrawEx(handle_.Get(), index, dc, x, y, 0, 0, CLR_NONE, GetSysColor(COLOR_BTNHIGHLIGHT),
                    ILD_TRANSPARENT | ILD_BLEND50);
}

void TImageList::Changed() {
    if (OnChange)
        OnChange(this);
}
