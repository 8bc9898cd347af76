#pragma once
// Memory device contexts lent out and taken back. Making and deleting one costs more on some
// systems than the drawing a short-lived bitmap or paint buffer does with it (20 to 40 µs), so
// the process keeps the ones given back and lends them again, to any thread.

#include <windows.h>

// A memory DC (compatible with the screen) in its initial state: the stock objects and modes of
// a new one. nullptr when none can be made.
HDC BorrowMemoryDC() noexcept;
// Takes a borrowed DC back. Whatever the borrower selected or changed is undone first; the
// borrower's own bitmap must no longer be needed in it.
void ReturnMemoryDC(HDC dc) noexcept;

// Borrows a memory DC for its lifetime.
class TPooledMemoryDC {
  public:
    TPooledMemoryDC() noexcept : dc_(BorrowMemoryDC()) {}
    TPooledMemoryDC(const TPooledMemoryDC&) = delete;
    TPooledMemoryDC& operator=(const TPooledMemoryDC&) = delete;
    ~TPooledMemoryDC() {
        if (dc_)
            ReturnMemoryDC(dc_);
    }
    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};
