#include "FileClipboard.h"

#include "JvDragDrop.h"

const char* const ClipboardBusyText =
    "The clipboard is in use by another program. Try pasting again in a moment.";

namespace {
// The clipboard, open for as long as the reading takes.
class TOpenClipboard {
  public:
    TOpenClipboard(HWND owner, DWORD waitMs) {
        const ULONGLONG start = GetTickCount64();
        for (;;) {
            open_ = OpenClipboard(owner) != FALSE;
            if (open_ || GetTickCount64() - start >= waitMs)
                break;
            Sleep(15);
        }
    }
    TOpenClipboard(const TOpenClipboard&) = delete;
    TOpenClipboard& operator=(const TOpenClipboard&) = delete;
    ~TOpenClipboard() {
        if (open_)
            CloseClipboard();
    }
    bool IsOpen() const { return open_; }

  private:
    bool open_ = false;
};

std::optional<std::uint32_t> ReadDropEffect() {
    static const UINT format = RegisterClipboardFormatA("Preferred DropEffect");
    if (!format)
        return std::nullopt;
    auto global = static_cast<HGLOBAL>(GetClipboardData(format));
    if (!global || GlobalSize(global) < sizeof(DWORD))
        return std::nullopt;
    const void* data = GlobalLock(global);
    if (!data)
        return std::nullopt;
    DWORD effect = 0;
    CopyMemory(&effect, data, sizeof effect);
    GlobalUnlock(global);
    return effect;
}
} // namespace

TClipboardRead ReadClipboardFiles(HWND owner, TClipboardFiles& files, DWORD waitMs) {
    files = TClipboardFiles{};
    TOpenClipboard clipboard(owner, waitMs);
    if (!clipboard.IsOpen())
        return TClipboardRead::Busy;
    HANDLE drop = GetClipboardData(CF_HDROP);
    if (!drop)
        return TClipboardRead::NoFiles;
    // Read as a drop is: in one pass, refusing a block whose list runs past its end.
    files.Paths = DroppedFileNames(static_cast<HDROP>(drop));
    if (files.Paths.empty())
        return TClipboardRead::NoFiles;
    files.DropEffect = ReadDropEffect();
    return TClipboardRead::Files;
}
