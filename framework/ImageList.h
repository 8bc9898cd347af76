#pragma once
// A list of equal-size pictures with masks, kept in a system image list so
// that list views, headers and tree views can show them by index too.

#include "Bitmap.h"
#include "Component.h"
#include "Handles.h"

#include <windows.h>

#include <commctrl.h>

struct TImageListTraits {
    static HIMAGELIST Invalid() { return nullptr; }
    static bool IsValid(HIMAGELIST h) { return h != nullptr; }
    static void Close(HIMAGELIST h);
};
using TOwnedImageList = TUniqueHandle<HIMAGELIST, TImageListTraits>;

class TImageList : public TComponent {
  public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);
    const char* ClassName() const override { return "TImageList"; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    // A new cell size empties the list.
    void SetSize(int width, int height);
    int Count() const;
    HIMAGELIST Handle() const { return handle_.Get(); }

    // Cuts the picture into cells from left to right (at least one; a picture
    // narrower or lower than a cell fills its top-left corner) and adds them.
    // Pixels of the transparent colour (clDefault: the picture's bottom-left
    // pixel) are left out when drawing. Returns the index of the first cell.
    int AddMasked(const TBitmap& picture, TColor transparentColor = clDefault);
    void Delete(int index);
    void Clear();

    // Draws a cell with its top-left corner at x, y; an index out of range
    // draws nothing.
    void Draw(HDC dc, int x, int y, int index) const;
    void Draw(TCanvas& canvas, int x, int y, int index) const { Draw(canvas.Handle(), x, y, index); }
    // The same in the disabled look (blended half with the system's highlight).
    void DrawDisabled(HDC dc, int x, int y, int index) const;

    TNotifyEvent OnChange;

  private:
    void CreateList();
    void Changed();

    int width_;
    int height_;
    TOwnedImageList handle_;
};
