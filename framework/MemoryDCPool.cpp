#include "MemoryDCPool.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace {
// More than paints nest at once is not kept.
constexpr size_t MaxKept = 16;

// One pool for the process, not one per thread: a DC may be lent on a helper thread and given
// back on another, and objects of a thread's own storage with destructors are not safe on every
// runtime when a thread ends. After the pool is gone (bitmaps of static lifetime die after it),
// DCs given back are deleted.
std::atomic<bool> poolGone{false};

struct TPool {
    std::mutex Lock;
    std::vector<HDC> Kept;
    ~TPool() {
        poolGone = true;
        for (HDC dc : Kept)
            DeleteDC(dc);
        Kept.clear();
    }
};

TPool* Pool() noexcept {
    if (poolGone)
        return nullptr;
    static TPool pool;
    return &pool;
}

// A kept DC, or nullptr when there is none.
HDC TakeKept() noexcept {
    TPool* pool = Pool();
    if (!pool)
        return nullptr;
    std::lock_guard<std::mutex> hold(pool->Lock);
    if (pool->Kept.empty())
        return nullptr;
    HDC dc = pool->Kept.back();
    pool->Kept.pop_back();
    return dc;
}

// Keeps the DC for the next borrower; false when the pool is full or gone.
bool Keep(HDC dc) noexcept {
    TPool* pool = Pool();
    if (!pool)
        return false;
    try {
        std::lock_guard<std::mutex> hold(pool->Lock);
        if (pool->Kept.size() >= MaxKept)
            return false;
        pool->Kept.push_back(dc);
        return true;
    } catch (...) {
        return false;
    }
}
} // namespace

HDC BorrowMemoryDC() noexcept {
    HDC dc = TakeKept();
    if (!dc)
        dc = CreateCompatibleDC(nullptr);
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
    // Level 1 is the state saved when it was lent, whatever the borrower saved on top of it.
    if (!RestoreDC(dc, 1) || !Keep(dc))
        DeleteDC(dc);
}
