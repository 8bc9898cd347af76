#pragma once
// Owning and borrowed wrappers for system handles. Every GDI object, device
// context, kernel handle, hook and timer the program makes lives in one of
// these, so nothing leaks on an early return or an exception.

#include "MemoryDCPool.h"

#include <windows.h>

#include <utility>

// A handle with a release function; move-only.
template <class H, class Traits> class TUniqueHandle {
  public:
    TUniqueHandle() = default;
    explicit TUniqueHandle(H handle) : handle_(handle) {}
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~TUniqueHandle() { Reset(); }

    H Get() const { return handle_; }
    explicit operator bool() const { return Traits::IsValid(handle_); }
    H Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(H handle = Traits::Invalid()) {
        if (Traits::IsValid(handle_))
            Traits::Close(handle_);
        handle_ = handle;
    }

  private:
    H handle_ = Traits::Invalid();
};

template <class H> struct TGdiTraitsOf {
    static H Invalid() { return nullptr; }
    static bool IsValid(H h) { return h != nullptr; }
    static void Close(H h) { DeleteObject(h); }
};

using TOwnedFont = TUniqueHandle<HFONT, TGdiTraitsOf<HFONT>>;
using TOwnedBrush = TUniqueHandle<HBRUSH, TGdiTraitsOf<HBRUSH>>;
using TOwnedPen = TUniqueHandle<HPEN, TGdiTraitsOf<HPEN>>;
using TOwnedBitmap = TUniqueHandle<HBITMAP, TGdiTraitsOf<HBITMAP>>;
using TOwnedRegion = TUniqueHandle<HRGN, TGdiTraitsOf<HRGN>>;

struct TKernelTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
using TOwnedHandle = TUniqueHandle<HANDLE, TKernelTraits>;

struct TFindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { FindClose(h); }
};
// A FindFirstFile search.
using TFindHandle = TUniqueHandle<HANDLE, TFindTraits>;

struct THookTraits {
    static HHOOK Invalid() { return nullptr; }
    static bool IsValid(HHOOK h) { return h != nullptr; }
    static void Close(HHOOK h) { UnhookWindowsHookEx(h); }
};
using TOwnedHook = TUniqueHandle<HHOOK, THookTraits>;

struct TMenuTraits {
    static HMENU Invalid() { return nullptr; }
    static bool IsValid(HMENU h) { return h != nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};
using TOwnedMenu = TUniqueHandle<HMENU, TMenuTraits>;

struct TIconTraits {
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
using TOwnedIcon = TUniqueHandle<HICON, TIconTraits>;

struct TMemoryDCTraits {
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
// A memory device context from CreateCompatibleDC.
using TMemoryDC = TUniqueHandle<HDC, TMemoryDCTraits>;

// A DIB section with its rows top-down (24 or 32 bits a pixel, no palette); empty when it cannot
// be made. bits, when given, receives the address of its pixels.
inline TOwnedBitmap CreateTopDownDib(int width, int height, WORD bitCount, void** bits = nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    TOwnedBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (bits)
        *bits = pixels;
    return dib;
}

// Puts a GDI object into a device context and the previous one back on exit.
class TSelectGuard {
  public:
    TSelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    TSelectGuard(const TSelectGuard&) = delete;
    TSelectGuard& operator=(const TSelectGuard&) = delete;
    ~TSelectGuard() {
        if (old_)
            SelectObject(dc_, old_);
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// GetDC / ReleaseDC (client area) or GetWindowDC (whole window).
class TWindowDC {
  public:
    enum class Area { Client, Window };
    explicit TWindowDC(HWND window, Area area = Area::Client)
        : window_(window), dc_(area == Area::Client ? GetDC(window) : GetWindowDC(window)) {}
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    ~TWindowDC() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class TPaintDC {
  public:
    explicit TPaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    ~TPaintDC() { EndPaint(window_, &paint_); }
    HDC Get() const { return dc_; }
    const RECT& PaintRect() const { return paint_.rcPaint; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Saves the whole state of a device context and restores it on exit.
class TSaveDCGuard {
  public:
    explicit TSaveDCGuard(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    TSaveDCGuard(const TSaveDCGuard&) = delete;
    TSaveDCGuard& operator=(const TSaveDCGuard&) = delete;
    ~TSaveDCGuard() {
        if (saved_)
            RestoreDC(dc_, saved_);
    }

  private:
    HDC dc_;
    int saved_;
};

// An off-screen surface of a given size for painting a device context: painting goes here
// first and reaches the target in one BitBlt. The surface is a 32-bit DIB section in a memory
// DC of the process's pool, whatever the target.
class TBufferDC {
  public:
    // The surface is a 32-bit DIB section: a bitmap compatible with a screen DC would make
    // some systems look the display's format up again for every paint.
    TBufferDC(HDC, int width, int height)
        : bitmap_(CreateTopDownDib(width > 0 ? width : 1, height > 0 ? height : 1, 32)),
          select_(dc_.Get(), bitmap_.Get()), width_(width), height_(height) {}
    // A buffer for only the area of the target: drawing keeps the target's coordinates (the
    // buffer's origin is moved to the area's top-left), and CopyToArea puts it back there.
    TBufferDC(HDC target, const RECT& area)
        : TBufferDC(target, area.right - area.left, area.bottom - area.top) {
        origin_ = POINT{area.left, area.top};
        SetViewportOrgEx(dc_.Get(), -area.left, -area.top, nullptr);
    }
    HDC Get() const { return dc_.Get(); }
    void CopyTo(HDC target, int x = 0, int y = 0) const {
        POINT old{};
        SetViewportOrgEx(dc_.Get(), 0, 0, &old);
        BitBlt(target, x, y, width_, height_, dc_.Get(), 0, 0, SRCCOPY);
        SetViewportOrgEx(dc_.Get(), old.x, old.y, nullptr);
    }
    void CopyToArea(HDC target) const { CopyTo(target, origin_.x, origin_.y); }

  private:
    // Borrowed from the pool: making a DC for every paint costs more than the paint.
    TPooledMemoryDC dc_;
    TOwnedBitmap bitmap_;
    TSelectGuard select_;
    int width_, height_;
    POINT origin_{0, 0};
};

// While it lives, an empty floppy or CD drive does not bring up the system's
// "insert a disk" box.
class TErrorModeGuard {
  public:
    TErrorModeGuard() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    TErrorModeGuard(const TErrorModeGuard&) = delete;
    TErrorModeGuard& operator=(const TErrorModeGuard&) = delete;
    ~TErrorModeGuard() { SetErrorMode(old_); }

  private:
    UINT old_;
};
