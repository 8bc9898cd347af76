#pragma once
// A process-wide registry of message hooks. Several components may watch the
// messages of one control (or of a window that is no control of ours) without
// replacing each other: the registry puts one dispatcher in front of the
// control's message handler and runs every attached hook before (or after)
// the control's own handling. Hooks may attach and detach hooks, themselves
// included, while they are being called, and messages may nest.

#include "Component.h"
#include "Control.h"
#include "WindowRelay.h"

#include <windows.h>

#include <memory>
#include <vector>

enum TJvHookOrder { hoBeforeMsg, hoAfterMsg };

// A hook answers true when it has handled the message: nothing after it runs,
// not even the control's own handling.
using TJvControlHook = TMethod<bool(TMessage&)>;

class TJvWndProcHook;

// The hooks of one control or window, and the dispatcher that calls them.
class TJvHookInfos : public TObject {
  public:
    TJvHookInfos(TJvWndProcHook* controller, TControl* control);
    TJvHookInfos(TJvWndProcHook* controller, HWND window);
    ~TJvHookInfos() override;
    const char* ClassName() const override { return "TJvHookInfos"; }

    TControl* Control() const { return control_; }
    HWND Handle() const { return handle_; }
    bool Hooked() const { return hooked_; }
    bool ControlDestroyed() const { return controlDestroyed_; }
    // Hooks in a chain, for diagnostics and tests.
    int HookCount(TJvHookOrder order) const;

    void Add(const TJvControlHook& hook, TJvHookOrder order);
    void Delete(const TJvControlHook& hook, TJvHookOrder order);
    // The control or window is gone: from now on nothing of it is called.
    void SetControlDestroyed();

  private:
    friend class TJvWndProcHook;
    struct THookRecord {
        TJvControlHook Hook;
        std::unique_ptr<THookRecord> Next;
    };
    // What one nesting level of dispatch calls next, per chain.
    struct TDispatchLevel {
        THookRecord* Next[2]{nullptr, nullptr};
    };

    LRESULT RelayedMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    TWndMethod Dispatcher() { return Bind<&TJvHookInfos::Dispatch>(this); }
    void Dispatch(TMessage& message);
    // True when a hook handled the message or the control went away.
    bool RunChain(TJvHookOrder order, size_t level, TMessage& message);
    void CallPrevious(TMessage& message);
    void HookControl();
    void UnhookControl();
    bool OursIsCurrent() const;
    void ReleaseWhenIdle();

    std::unique_ptr<THookRecord> first_[2];
    THookRecord* last_[2]{nullptr, nullptr};
    std::vector<TDispatchLevel> stack_;
    size_t depth_ = 0;
    HWND handle_ = nullptr;
    TControl* control_ = nullptr;
    bool controlDestroyed_ = false;
    // Set once the record has left the registry: it owns itself until no
    // dispatch of it is under way, then goes to the releaser.
    std::unique_ptr<TJvHookInfos> self_;
    TWndMethod oldWndMethod_;
    std::unique_ptr<TWindowRelay> relay_;
    WNDPROC oldWndProc_ = nullptr;
    bool unicode_ = false;
    bool hooked_ = false;
    TJvWndProcHook* controller_ = nullptr;
};

// The registry: one record per hooked control or window. It hears of each
// hooked control's destruction through the control's free notification.
// Dispatch state belongs to the thread that made the registry (the
// user-interface thread): requests from any other thread are refused.
class TJvWndProcHook : public TComponent {
  public:
    TJvWndProcHook();
    ~TJvWndProcHook() override;
    const char* ClassName() const override { return "TJvWndProcHook"; }

    bool RegisterWndProcHook(TControl* control, const TJvControlHook& hook, TJvHookOrder order);
    bool RegisterWndProcHook(HWND window, const TJvControlHook& hook, TJvHookOrder order);
    bool UnRegisterWndProcHook(TControl* control, const TJvControlHook& hook, TJvHookOrder order);
    bool UnRegisterWndProcHook(HWND window, const TJvControlHook& hook, TJvHookOrder order);

    TJvHookInfos* Find(const TControl* control) const;
    TJvHookInfos* Find(HWND window) const;
    int Count() const { return static_cast<int>(infos_.size()); }

  protected:
    void Notification(TComponent* component, TOperation operation) override;

  private:
    friend class TJvHookInfos;
    // The record leaves the registry and is freed later by the releaser.
    void Forget(TJvHookInfos* infos);

    bool OnOwnThread() const { return GetCurrentThreadId() == thread_; }

    std::vector<std::unique_ptr<TJvHookInfos>> infos_;
    DWORD thread_;
};

// The process's registry, made on first use; null when none was made yet.
TJvWndProcHook* JvWndProcHook();
TJvWndProcHook* ExistingJvWndProcHook();

// False for a missing or dying control, a window that does not exist or
// belongs to another thread, a hook whose code address cannot be a function
// (below 0x10000), or a call from another thread than the registry's.
bool AttachHook(TControl* control, const TJvControlHook& hook, TJvHookOrder order = hoBeforeMsg);
bool AttachHook(HWND window, const TJvControlHook& hook, TJvHookOrder order = hoBeforeMsg);
// Removes the first matching hook; true when the control had a record (and
// the call came from the registry's thread).
bool DetachHook(TControl* control, const TJvControlHook& hook, TJvHookOrder order = hoBeforeMsg);
bool DetachHook(HWND window, const TJvControlHook& hook, TJvHookOrder order = hoBeforeMsg);

// Frees objects once the message being handled now is done, from a hidden
// message-only window. A hook record of a destroyed control cannot be freed
// at once: dispatch frames further up the stack may still be using it.
class TJvReleaser {
  public:
    static constexpr UINT CM_RELEASE_OBJECT = 0xB021;

    static TJvReleaser& Instance();
    TJvReleaser(const TJvReleaser&) = delete;
    TJvReleaser& operator=(const TJvReleaser&) = delete;
    ~TJvReleaser();

    void Release(std::unique_ptr<TObject> object);
    HWND Handle() const { return handle_; }
    int PendingCount() const { return static_cast<int>(pending_.size()); }

  private:
    TJvReleaser();
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void FreeObject(TObject* object);

    HWND handle_ = nullptr;
    std::vector<std::unique_ptr<TObject>> pending_;
};
