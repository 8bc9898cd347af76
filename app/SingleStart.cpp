#include "SingleStart.h"

#include <cstdint>

namespace {
// What a start publishes for later ones.
struct TPublished {
    DWORD Process;
};

// The process's main window: its window is made anew now and then (a skin change can), so the
// process is what is published.
HWND MainWindowOf(DWORD process) {
    for (HWND window = FindWindowExA(nullptr, nullptr, "TForm1", nullptr); window;
         window = FindWindowExA(nullptr, window, "TForm1", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process)
            return window;
    }
    return nullptr;
}

// The files' path as the file system names it, so that every spelling of one folder (letter
// case, short names, "..") gives one name: a hash of it, as object names cannot hold a path.
std::string ObjectName(const std::string& basePath) {
    char full[MAX_PATH * 2] = {};
    DWORD length = GetFullPathNameA(basePath.c_str(), sizeof full, full, nullptr);
    std::string path = length > 0 && length < sizeof full ? std::string(full, length) : basePath;
    char longer[MAX_PATH * 2] = {};
    length = GetLongPathNameA(path.c_str(), longer, sizeof longer);
    if (length > 0 && length < sizeof longer)
        path.assign(longer, length);
    if (!path.empty())
        CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : path) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[64];
    wsprintfA(name, "Local\\Perchpoints-%08lX%08lX", static_cast<unsigned long>(hash >> 32),
              static_cast<unsigned long>(hash & 0xFFFFFFFFu));
    return name;
}
} // namespace

UINT TSingleStart::ShowRunningMessage() {
    static const UINT message = RegisterWindowMessageA("Perchpoints.ShowRunning");
    return message;
}

TSingleStart::TSingleStart(const std::string& basePath) : name_(ObjectName(basePath)) {
    mutex_.Reset(CreateMutexA(nullptr, TRUE, name_.c_str()));
    // Without the mutex (an odd system) nothing can be told; the start goes on as it always did.
    first_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

TSingleStart::~TSingleStart() {
    if (first_ && mutex_)
        ReleaseMutex(mutex_.Get());
}

void TSingleStart::Publish() {
    if (!first_)
        return;
    if (!mapping_)
        mapping_.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          sizeof(TPublished), (name_ + "-window").c_str()));
    if (!mapping_)
        return;
    if (void* view = MapViewOfFile(mapping_.Get(), FILE_MAP_WRITE, 0, 0, sizeof(TPublished))) {
        static_cast<TPublished*>(view)->Process = GetCurrentProcessId();
        UnmapViewOfFile(view);
    }
}

HWND TSingleStart::PublishedWindow() const {
    TOwnedHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, (name_ + "-window").c_str()));
    if (!mapping)
        return nullptr;
    DWORD process = 0;
    if (const void* view = MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(TPublished))) {
        process = static_cast<const TPublished*>(view)->Process;
        UnmapViewOfFile(view);
    }
    return process ? MainWindowOf(process) : nullptr;
}

bool TSingleStart::BringRunningToFront(DWORD waitMs) {
    if (first_)
        return false;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (HWND window = PublishedWindow()) {
            // The running window restores and raises itself; this start, which the user just made,
            // may hand it the right to come to the front.
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            AllowSetForegroundWindow(process);
            PostMessageA(window, ShowRunningMessage(), 0, 0);
            return true;
        }
        // The other start ended (its window closed, its files written): this one takes over.
        const DWORD wait = WaitForSingleObject(mutex_.Get(), 50);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
            first_ = true;
            return false;
        }
        if (GetTickCount64() - start >= waitMs)
            return false;
    }
}
