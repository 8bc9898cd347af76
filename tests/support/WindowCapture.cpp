#include "WindowCapture.h"

#include "Handles.h"
#include "WinControl.h"

std::unique_ptr<TBitmap> CaptureClient(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client{};
    GetClientRect(window, &client);
    auto bitmap = std::make_unique<TBitmap>(client.right, client.bottom, pf24bit);
    TWindowDC dc(window);
    BitBlt(bitmap->MemoryDC(), 0, 0, client.right, client.bottom, dc.Get(), 0, 0, SRCCOPY);
    GdiFlush();
    return bitmap;
}

std::unique_ptr<TBitmap> CaptureWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT outer{};
    GetWindowRect(window, &outer);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    auto bitmap = std::make_unique<TBitmap>(width > 0 ? width : 1, height > 0 ? height : 1, pf24bit);
    TWindowDC dc(window, TWindowDC::Area::Window);
    if (dc.Get())
        BitBlt(bitmap->MemoryDC(), 0, 0, width, height, dc.Get(), 0, 0, SRCCOPY);
    GdiFlush();
    return bitmap;
}

std::unique_ptr<TBitmap> RenderControl(TWinControl& control) {
    RECT client = control.ClientRect();
    auto bitmap = std::make_unique<TBitmap>(client.right, client.bottom, pf24bit);
    control.PaintTo(bitmap->MemoryDC(), 0, 0);
    GdiFlush();
    return bitmap;
}

int DifferingPixels(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return a.Width() * a.Height() + b.Width() * b.Height() + 1;
    int count = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            count += a.PixelColor(x, y) != b.PixelColor(x, y);
    return count;
}

void SaveCapture(const TBitmap& bitmap, const std::string& fileName) {
    bitmap.SaveToFile(fileName);
}
