#pragma once
// Pictures of windows for pixel checks: what the screen shows of a window, or what the toolkit
// paints for a control, as a 24-bit TBitmap (PixelColor gives 0x00BBGGRR).

#include "Bitmap.h"

#include <windows.h>

#include <memory>
#include <string>

class TWinControl;

// The client area of the window as painted on the screen, after every pending paint of it
// and its children has run.
std::unique_ptr<TBitmap> CaptureClient(HWND window);
// The whole window (frame and caption included) as its window DC shows it, in window
// coordinates, after the pending paints of it and its children have run. Nothing is invalidated
// first: what was not repainted shows as it was left.
std::unique_ptr<TBitmap> CaptureWindow(HWND window);
// The control and its children painted by the toolkit into a bitmap (PaintTo), off the screen.
std::unique_ptr<TBitmap> RenderControl(TWinControl& control);
// The pixels in which two pictures differ; more than either has when their sizes differ.
int DifferingPixels(const TBitmap& a, const TBitmap& b);
inline bool SameBitmaps(const TBitmap& a, const TBitmap& b) {
    return DifferingPixels(a, b) == 0;
}
// Keeps a picture as a .bmp file, for a person to look at.
void SaveCapture(const TBitmap& bitmap, const std::string& fileName);
