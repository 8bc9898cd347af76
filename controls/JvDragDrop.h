#pragma once
// A component that makes a windowed control accept files dropped from the
// desktop shell and reports each drop as a list of paths and a point. It
// watches the control's messages through the hook registry, so it never
// replaces anyone else's handling of that control.
//
// Paths come in two forms. The shell gives them as wide text, and only that
// form names every file exactly: WideFiles() is what file operations use.
// Files() (and the Value of OnDrop) holds the same paths in the ANSI code
// page, for showing them and for the ANSI target list; a character the code
// page lacks reads "?" there. Both lists belong to one drop: while a drop is
// being handled they are that drop's, even when another drop arrives in
// between (for instance while the shell's own dialog of the first one is
// open), and afterwards the last drop's until the next one.

#include "DropFilesBlock.h"
#include "JvWndProcHook.h"

#include "StringList.h"
#include "WinControl.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

using TJvDropEvent = TMethod<void(TObject* sender, POINT pos, TStringList& value)>;
// Reads one key's state the way GetAsyncKeyState answers.
using TJvKeyStateSource = SHORT(WINAPI*)(int virtualKey);

class TJvDragDrop : public TComponent {
  public:
    explicit TJvDragDrop(TComponent* owner);
    ~TJvDragDrop() override;
    const char* ClassName() const override { return "TJvDragDrop"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    bool AcceptDrag() const { return IsLoading() ? loadedAcceptDrag_ : acceptDrag_; }
    void SetAcceptDrag(bool value);
    TWinControl* DropTarget() const { return dropTarget_; }
    void SetDropTarget(TWinControl* target);

    // The paths of the drop being handled, else of the last drop, in the
    // order the shell reports them.
    const TStringList& Files() const { return Current().Ansi; }
    const std::vector<std::wstring>& WideFiles() const { return Current().Wide; }
    // The Shift, Ctrl and Alt keys as they were held when that drop was handled.
    TShiftState DropShiftState() const { return Current().Shift; }
    // Where the keys are read (GetAsyncKeyState unless replaced; null puts it back).
    void SetKeyStateSource(TJvKeyStateSource source);

    TJvDropEvent OnDrop;

  protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void BeforeDestruction() override;

  private:
    struct TDroppedFiles {
        TStringList Ansi;
        std::vector<std::wstring> Wide;
        TShiftState Shift = 0;
    };

    TJvControlHook Hook() { return Bind<&TJvDragDrop::WndProcHook>(this); }
    bool WndProcHook(TMessage& message);
    void DropFiles(HDROP drop);
    void RegisterWindow(HWND window) const;
    void Unhook();
    const TDroppedFiles& Current() const { return handling_.empty() ? *last_ : *handling_.back(); }

    bool acceptDrag_;
    bool loadedAcceptDrag_ = true;
    std::shared_ptr<TDroppedFiles> last_;
    std::vector<std::shared_ptr<TDroppedFiles>> handling_;
    bool hooked_ = false;
    TWinControl* dropTarget_ = nullptr;
    TJvKeyStateSource keyState_ = ::GetAsyncKeyState;
};

// The block of a shell drop handle, read in one pass without the shell (asking
// the shell for path i walks the list from its start, which makes a drop of
// thousands of paths take seconds). The shell's own reader trusts the block and
// reads past its end when the list is not terminated; this one refuses such a
// block (see DropFilesBlock.h).
TDropBlockError ReadDropHandle(HDROP drop, TDropFilesBlock& block);
// Every path of a shell drop handle, wide or ANSI in the block, as wide text;
// none for a block that ReadDropHandle refuses.
std::vector<std::wstring> DroppedFileNames(HDROP drop);

// The ANSI form of a path; characters the code page lacks become "?" rather
// than look-alike letters that could name another file.
std::string AnsiPath(std::wstring_view path);
// True when the path survives the way to ANSI and back unchanged.
bool IsAnsiPath(std::wstring_view path);
std::wstring WidePath(std::string_view path);
