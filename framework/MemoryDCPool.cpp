#include "MemoryDCPool.h"

#include <vector>

namespace {
// More than a paint nests at once is not kept.
constexpr size_t MaxKept = 16;

// After the thread's pool is gone (bitmaps of static lifetime die after it), DCs given back are
// deleted.
thread_local bool poolGone = false;

struct TPool {
    std::vector<HDC> Kept;
    ~TPool() {
        for (HDC dc : Kept)
            DeleteDC(dc);
        Kept.clear();
        poolGone = true;
    }
};

TPool* Pool() noexcept {
    if (poolGone)
        return nullptr;
    thread_local TPool pool;
    return &pool;
}
} // namespace

HDC BorrowMemoryDC() noexcept {
    HDC dc = nullptr;
    TPool* pool = Pool();
    if (pool && !pool->Kept.empty()) {
        dc = pool->Kept.back();
        pool->Kept.pop_back();
    } else {
        dc = CreateCompatibleDC(nullptr);
    }
    // The initial state is saved, so that giving the DC back can return to it in one step.
    if (dc && SaveDC(dc) == 0) {
        DeleteDC(dc);
        dc = nullptr;
    }
    return dc;
}

void ReturnMemoryDC(HDC dc) noexcept {
    if (!dc)
        return;
    TPool* pool = Pool();
    // Level 1 is the state saved when it was lent, whatever the borrower saved on top of it.
    if (!pool || !RestoreDC(dc, 1) || pool->Kept.size() >= MaxKept) {
        DeleteDC(dc);
        return;
    }
    try {
        pool->Kept.push_back(dc);
    } catch (...) {
        DeleteDC(dc);
    }
}
