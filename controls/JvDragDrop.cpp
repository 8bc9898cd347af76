#include "JvDragDrop.h"

#include "SystemFunction.h"

#include <shlobj.h>

namespace {
// The shell is loaded when the first drop arrives, not with the program.
const TSystemFunction<decltype(&::DragQueryPoint)> dragQueryPoint{"shell32.dll", "DragQueryPoint"};
const TSystemFunction<decltype(&::DragFinish)> dragFinish{"shell32.dll", "DragFinish"};

class TGlobalLock {
  public:
    explicit TGlobalLock(HGLOBAL global)
        : global_(global), data_(static_cast<const BYTE*>(GlobalLock(global))) {}
    TGlobalLock(const TGlobalLock&) = delete;
    TGlobalLock& operator=(const TGlobalLock&) = delete;
    ~TGlobalLock() {
        if (data_)
            GlobalUnlock(global_);
    }
    const BYTE* Data() const { return data_; }

  private:
    HGLOBAL global_;
    const BYTE* data_;
};

// Gives the drop handle back to the shell whatever happens while the drop is handled.
class TDropFinisher {
  public:
    explicit TDropFinisher(HDROP drop) : drop_(drop) {}
    TDropFinisher(const TDropFinisher&) = delete;
    TDropFinisher& operator=(const TDropFinisher&) = delete;
    ~TDropFinisher() {
        if (auto finish = dragFinish.Find())
            finish(drop_);
    }

  private:
    HDROP drop_;
};

std::wstring WideFromCodePage(const char* text, int length) {
    std::wstring wide;
    if (length <= 0)
        return wide;
    int size = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    wide.resize(static_cast<size_t>(size));
    MultiByteToWideChar(CP_ACP, 0, text, length, wide.data(), size);
    return wide;
}

// An elevated program does not get drop messages from a program running
// without elevation unless it lets them through. Windows before 7 lack the
// call and need nothing.
void AllowDropMessages(HWND window) {
    using TChangeFilter = decltype(&ChangeWindowMessageFilterEx);
    static const TChangeFilter changeFilter = [] {
        HMODULE user32 = GetModuleHandleA("user32.dll");
        return user32 ? reinterpret_cast<TChangeFilter>(
                            reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")))
                      : nullptr;
    }();
    if (!changeFilter)
        return;
    constexpr UINT CopyGlobalData = 0x0049;
    for (UINT msg : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), CopyGlobalData})
        changeFilter(window, msg, MSGFLT_ALLOW, nullptr);
}

// What the shell's DragAcceptFiles does: the extended style marks the window as one that takes
// dropped files. Set here, it spares loading the shell before the first window is painted.
void AcceptDroppedFiles(HWND window, bool accept) {
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    const LONG wanted = accept ? exStyle | WS_EX_ACCEPTFILES : exStyle & ~WS_EX_ACCEPTFILES;
    if (wanted != exStyle)
        SetWindowLongA(window, GWL_EXSTYLE, wanted);
}
} // namespace

TDropBlockError ReadDropHandle(HDROP drop, TDropFilesBlock& block) {
    block = TDropFilesBlock{};
    auto global = reinterpret_cast<HGLOBAL>(drop);
    TGlobalLock lock(global);
    if (!lock.Data())
        return TDropBlockError::TooShort;
    return ParseDropFilesBlock(lock.Data(), GlobalSize(global), block);
}

std::vector<std::wstring> DroppedFileNames(HDROP drop) {
    TDropFilesBlock block;
    std::vector<std::wstring> paths;
    if (ReadDropHandle(drop, block) != TDropBlockError::None)
        return paths;
    paths.reserve(block.Count());
    if (block.Wide) {
        static_assert(sizeof(wchar_t) == sizeof(char16_t), "the shell's wide text is UTF-16");
        for (const std::u16string& path : block.WidePaths)
            paths.emplace_back(reinterpret_cast<const wchar_t*>(path.data()), path.size());
    } else {
        for (const std::string& path : block.AnsiPaths)
            paths.push_back(WideFromCodePage(path.data(), static_cast<int>(path.size())));
    }
    return paths;
}

std::string AnsiPath(std::wstring_view path) {
    std::string ansi;
    if (path.empty())
        return ansi;
    const int length = static_cast<int>(path.size());
    int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), length, nullptr, 0, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), length, ansi.data(), size, nullptr,
                        nullptr);
    return ansi;
}

bool IsAnsiPath(std::wstring_view path) {
    return WidePath(AnsiPath(path)) == path;
}

std::wstring WidePath(std::string_view path) {
    return WideFromCodePage(path.data(), static_cast<int>(path.size()));
}

// ---- TJvDragDrop

TJvDragDrop::TJvDragDrop(TComponent* owner)
    : TComponent(owner), acceptDrag_(!IsLoading()), last_(std::make_shared<TDroppedFiles>()) {
    // Made while a layout is read, the component starts inactive and takes
    // the loaded AcceptDrag when the layout is complete.
}

TJvDragDrop::~TJvDragDrop() {
    Unhook();
}

void TJvDragDrop::BeforeDestruction() {
    TComponent::BeforeDestruction();
    Unhook();
}

const TPropertyInfo* TJvDragDrop::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TJvDragDrop::AcceptDrag, &TJvDragDrop::SetAcceptDrag>("AcceptDrag"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TComponent::FindProperty(name);
}

void TJvDragDrop::Loaded() {
    TComponent::Loaded();
    SetAcceptDrag(loadedAcceptDrag_);
}

void TJvDragDrop::Unhook() {
    if (!hooked_)
        return;
    hooked_ = false;
    if (dropTarget_)
        DetachHook(dropTarget_, Hook(), hoBeforeMsg);
}

void TJvDragDrop::RegisterWindow(HWND window) const {
    AcceptDroppedFiles(window, acceptDrag_);
    if (acceptDrag_)
        AllowDropMessages(window);
}

void TJvDragDrop::SetAcceptDrag(bool value) {
    if (IsLoading()) {
        loadedAcceptDrag_ = value;
        return;
    }
    if (value == acceptDrag_)
        return;
    acceptDrag_ = value;
    if (!dropTarget_)
        return;
    // A target without a window yet is registered when its window is made
    // (the hook sees WM_CREATE); asking for the window here would make the
    // whole form's windows before their time.
    if (!dropTarget_->IsDestroying() && dropTarget_->HandleAllocated())
        RegisterWindow(dropTarget_->WindowHandle());
    if (value) {
        if (!hooked_)
            hooked_ = AttachHook(dropTarget_, Hook(), hoBeforeMsg);
    } else {
        Unhook();
    }
}

void TJvDragDrop::SetDropTarget(TWinControl* target) {
    if (target == dropTarget_)
        return;
    if (IsLoading()) {
        if (dropTarget_)
            dropTarget_->RemoveFreeNotification(this);
        dropTarget_ = target;
        if (target)
            target->FreeNotification(this);
        return;
    }
    const bool accept = acceptDrag_;
    SetAcceptDrag(false);
    if (dropTarget_)
        dropTarget_->RemoveFreeNotification(this);
    if (target)
        target->FreeNotification(this);
    dropTarget_ = target;
    if (accept)
        SetAcceptDrag(true);
}

void TJvDragDrop::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == dropTarget_) {
        // The registry drops the target's hooks itself.
        dropTarget_ = nullptr;
        hooked_ = false;
    }
}

bool TJvDragDrop::WndProcHook(TMessage& message) {
    switch (message.Msg) {
    case WM_CREATE:
        // The target's window was made, or made again, while we accept drops.
        if (acceptDrag_ && dropTarget_ && dropTarget_->WindowHandle())
            RegisterWindow(dropTarget_->WindowHandle());
        return false;
    case WM_DROPFILES:
        DropFiles(reinterpret_cast<HDROP>(message.WParam));
        message.Result = 0;
        return true;
    default:
        return false;
    }
}

void TJvDragDrop::SetKeyStateSource(TJvKeyStateSource source) {
    keyState_ = source ? source : ::GetAsyncKeyState;
}

void TJvDragDrop::DropFiles(HDROP drop) {
    TDropFinisher finish(drop);
    auto files = std::make_shared<TDroppedFiles>();
    // The keys as they are now, not as this thread last saw them: the drop message is posted,
    // and while the files were dragged the keyboard belonged to the program they came from, so
    // the thread's own key state (GetKeyState) still tells of the last key pressed in our window.
    if (keyState_(VK_SHIFT) < 0)
        files->Shift |= ssShift;
    if (keyState_(VK_CONTROL) < 0)
        files->Shift |= ssCtrl;
    if (keyState_(VK_MENU) < 0)
        files->Shift |= ssAlt;
    files->Wide = DroppedFileNames(drop);
    files->Ansi.BeginUpdate();
    for (const std::wstring& path : files->Wide)
        files->Ansi.Add(AnsiPath(path));
    files->Ansi.EndUpdate();
    last_ = files;
    if (!OnDrop)
        return;
    // The shell reads the point from the header: only where there is one.
    POINT pos{0, 0};
    if (GlobalSize(reinterpret_cast<HGLOBAL>(drop)) >= kDropFilesHeaderSize)
        dragQueryPoint(drop, &pos);
    handling_.push_back(files);
    struct TPopDrop {
        std::vector<std::shared_ptr<TDroppedFiles>>& handling;
        ~TPopDrop() { handling.pop_back(); }
    } pop{handling_};
    OnDrop(this, pos, files->Ansi);
}
