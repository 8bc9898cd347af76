#include "FileClipboard.h"

#include "JvDragDrop.h"
#include "SystemFunction.h"
#include "TransferChoice.h"

#include <ole2.h>

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

// The clipboard, open, offers exactly these files as cut.
bool OffersCut(const TClipboardFiles& pasted) {
    HANDLE drop = GetClipboardData(CF_HDROP);
    if (!drop || DroppedFileNames(static_cast<HDROP>(drop)) != pasted.Paths)
        return false;
    const std::optional<std::uint32_t> effect = ReadDropEffect();
    return effect && PreferredTransfer(*effect) == TTransferMode::Move;
}

// The thread's part in OLE, for as long as the telling takes.
class TOleScope {
  public:
    TOleScope() {
        static const TSystemFunction<decltype(&::OleInitialize)> oleInitialize{"ole32.dll", "OleInitialize"};
        if (auto initialize = oleInitialize.Find())
            joined_ = SUCCEEDED(initialize(nullptr));
    }
    TOleScope(const TOleScope&) = delete;
    TOleScope& operator=(const TOleScope&) = delete;
    ~TOleScope() {
        static const TSystemFunction<decltype(&::OleUninitialize)> oleUninitialize{"ole32.dll",
                                                                                   "OleUninitialize"};
        if (joined_)
            if (auto uninitialize = oleUninitialize.Find())
                uninitialize();
    }
    bool Joined() const { return joined_; }

  private:
    bool joined_ = false;
};

// A reference to a COM object, released at the end of its scope.
template <typename T> class TComRef {
  public:
    TComRef() = default;
    TComRef(const TComRef&) = delete;
    TComRef& operator=(const TComRef&) = delete;
    ~TComRef() {
        if (object_)
            object_->Release();
    }
    T** Out() { return &object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    T* object_ = nullptr;
};

// "Performed DropEffect" and "Paste Succeeded", both "move", handed to the clipboard's data object.
void TellSourceOfMove() {
    static const TSystemFunction<decltype(&::OleGetClipboard)> oleGetClipboard{"ole32.dll",
                                                                               "OleGetClipboard"};
    TOleScope ole;
    auto getClipboard = oleGetClipboard.Find();
    if (!ole.Joined() || !getClipboard)
        return;
    TComRef<IDataObject> source;
    if (FAILED(getClipboard(source.Out())) || !source)
        return;
    for (const char* name : {"Performed DropEffect", "Paste Succeeded"}) {
        FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name)), nullptr, DVASPECT_CONTENT,
                         -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
        if (!format.cfFormat || !medium.hGlobal) {
            if (medium.hGlobal)
                GlobalFree(medium.hGlobal);
            continue;
        }
        *static_cast<DWORD*>(GlobalLock(medium.hGlobal)) = DROPEFFECT_MOVE;
        GlobalUnlock(medium.hGlobal);
        // Taken over by the source when it accepts it.
        if (FAILED(source->SetData(&format, &medium, TRUE)))
            GlobalFree(medium.hGlobal);
    }
}
} // namespace

void SettleMovedPaste(HWND owner, const TClipboardFiles& pasted, DWORD waitMs) {
    // Another program's data on the clipboard by now is neither told nor taken away.
    {
        TOpenClipboard clipboard(owner, waitMs);
        if (!clipboard.IsOpen() || !OffersCut(pasted))
            return;
    }
    TellSourceOfMove();
    TOpenClipboard clipboard(owner, waitMs);
    if (clipboard.IsOpen() && OffersCut(pasted))
        EmptyClipboard();
}

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
