// Memory DCs lent by the thread's pool: a DC given back is lent again in the state of a new
// one, whatever its borrower left in it, and bitmaps and paint buffers draw through them.

#include "MemoryDCPool.h"
#include "Bitmap.h"
#include "Handles.h"
#include "TransparentBlit.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

TEST(MemoryDCPool, LendsAGivenBackDCAgainInTheStateOfANewOne) {
    HDC fresh = CreateCompatibleDC(nullptr);
    const HGDIOBJ stockBitmap = GetCurrentObject(fresh, OBJ_BITMAP);
    const HGDIOBJ stockFont = GetCurrentObject(fresh, OBJ_FONT);
    DeleteDC(fresh);

    HDC first = BorrowMemoryDC();
    ASSERT_NE(first, nullptr);
    TOwnedBitmap bitmap(CreateCompatibleBitmap(first, 4, 4));
    SelectObject(first, bitmap.Get());
    SelectObject(first, GetStockObject(ANSI_FIXED_FONT));
    SetTextColor(first, RGB(1, 2, 3));
    SetBkMode(first, TRANSPARENT);
    SetViewportOrgEx(first, 7, 9, nullptr);
    SaveDC(first); // left unbalanced
    SetTextColor(first, RGB(4, 5, 6));
    ReturnMemoryDC(first);

    HDC again = BorrowMemoryDC();
    EXPECT_EQ(again, first) << "the DC given back is lent again";
    EXPECT_EQ(GetCurrentObject(again, OBJ_BITMAP), stockBitmap);
    EXPECT_EQ(GetCurrentObject(again, OBJ_FONT), stockFont);
    EXPECT_EQ(GetTextColor(again), RGB(0, 0, 0));
    EXPECT_EQ(GetBkMode(again), OPAQUE);
    POINT origin{};
    GetViewportOrgEx(again, &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    HDC second = BorrowMemoryDC();
    EXPECT_NE(second, again) << "two borrowers at once get two DCs";
    ReturnMemoryDC(second);
    ReturnMemoryDC(again);
    ReturnMemoryDC(nullptr);
}

TEST(MemoryDCPool, BitmapsAndPaintBuffersDrawThroughLentDCs) {
    // Short-lived bitmaps one after the other each draw their own pixels.
    for (COLORREF colour : {RGB(200, 10, 10), RGB(10, 200, 10), RGB(10, 10, 200)}) {
        TBitmap bitmap(8, 8, pf32bit);
        TOwnedBrush brush(CreateSolidBrush(colour));
        RECT all{0, 0, 8, 8};
        FillRect(bitmap.MemoryDC(), &all, brush.Get());
        GdiFlush();
        EXPECT_EQ(GetPixel(bitmap.MemoryDC(), 3, 3), colour);
        EXPECT_EQ(bitmap.PixelColor(3, 3), static_cast<TColor>(colour));
    }
    TBitmap target(20, 20, pf32bit);
    {
        TBufferDC buffer(target.MemoryDC(), RECT{5, 5, 15, 15});
        TOwnedBrush brush(CreateSolidBrush(RGB(0, 128, 255)));
        RECT area{5, 5, 15, 15};
        FillRect(buffer.Get(), &area, brush.Get());
        buffer.CopyToArea(target.MemoryDC());
    }
    GdiFlush();
    EXPECT_EQ(GetPixel(target.MemoryDC(), 10, 10), RGB(0, 128, 255));
    EXPECT_NE(GetPixel(target.MemoryDC(), 4, 4), RGB(0, 128, 255)) << "outside the area";
    // A fresh buffer starts black, as a new bitmap does, even from a DC that drew before.
    TBufferDC next(target.MemoryDC(), 6, 6);
    GdiFlush();
    EXPECT_EQ(GetPixel(next.Get(), 2, 2), RGB(0, 0, 0));
}

// A test's helper thread captures into a bitmap that this thread frees later: the thread ends
// with nothing of the pool left to tidy, and the DC comes back to be lent again.
TEST(MemoryDCPool, ADCLentOnAThreadThatHasEndedIsGivenBackAndLentAgain) {
    std::unique_ptr<TBitmap> bitmap;
    HDC lent = nullptr;
    std::thread([&] {
        bitmap = std::make_unique<TBitmap>(8, 8, pf32bit);
        lent = bitmap->MemoryDC();
        TBitmap glyph(4, 4, pf32bit);
        TransparentBlit(lent, 0, 0, 4, 4, glyph.MemoryDC(), 0, 0, RGB(255, 0, 255));
    }).join();
    ASSERT_NE(lent, nullptr);
    bitmap.reset();
    HDC again = BorrowMemoryDC();
    EXPECT_EQ(again, lent);
    ReturnMemoryDC(again);
}

} // namespace
