#include "JvWndProcHook.h"

#include "Application.h"
#include "SysUtils.h"

#include <algorithm>

namespace {
constexpr std::uintptr_t LowestCodeAddress = 0x10000;

// The registry's relay on a raw window.
constexpr char HookRelay[] = "JvHookInfos";

std::unique_ptr<TJvWndProcHook, TComponentDeleter>& RegistrySlot() {
    static std::unique_ptr<TJvWndProcHook, TComponentDeleter> slot;
    return slot;
}
} // namespace

// ---- TJvHookInfos

TJvHookInfos::TJvHookInfos(TJvWndProcHook* controller, TControl* control)
    : control_(control), controller_(controller) {}

TJvHookInfos::TJvHookInfos(TJvWndProcHook* controller, HWND window)
    : handle_(window), controller_(controller) {}

TJvHookInfos::~TJvHookInfos() {
    if (!controlDestroyed_)
        UnhookControl();
    // A relay still in place under a later subclasser stays behind as a pass-through.
    relay_.reset();
}

int TJvHookInfos::HookCount(TJvHookOrder order) const {
    int count = 0;
    for (const THookRecord* record = first_[order].get(); record; record = record->Next.get())
        ++count;
    return count;
}

void TJvHookInfos::Add(const TJvControlHook& hook, TJvHookOrder order) {
    auto record = std::make_unique<THookRecord>();
    record->Hook = hook;
    THookRecord* added = record.get();
    if (last_[order])
        last_[order]->Next = std::move(record);
    else
        first_[order] = std::move(record);
    last_[order] = added;
    // A level that has run out of hooks in this chain goes on with the new one.
    for (size_t level = 0; level < depth_; ++level)
        if (!stack_[level].Next[order])
            stack_[level].Next[order] = added;
    HookControl();
}

void TJvHookInfos::Delete(const TJvControlHook& hook, TJvHookOrder order) {
    THookRecord* previous = nullptr;
    THookRecord* found = first_[order].get();
    while (found && !(found->Hook == hook)) {
        previous = found;
        found = found->Next.get();
    }
    if (!found)
        return;
    // No level in progress may call the record once it is gone.
    for (size_t level = 0; level < depth_; ++level)
        if (stack_[level].Next[order] == found)
            stack_[level].Next[order] = found->Next.get();
    if (last_[order] == found)
        last_[order] = previous;
    std::unique_ptr<THookRecord>& link = previous ? previous->Next : first_[order];
    std::unique_ptr<THookRecord> removed = std::move(link);
    link = std::move(removed->Next);
    removed.reset();
    if (!first_[hoBeforeMsg] && !first_[hoAfterMsg])
        UnhookControl();
}

bool TJvHookInfos::OursIsCurrent() const {
    if (control_)
        return control_->WindowProc() == const_cast<TJvHookInfos*>(this)->Dispatcher();
    return relay_ && relay_->IsCurrent();
}

void TJvHookInfos::HookControl() {
    if (hooked_ || controlDestroyed_)
        return;
    if (control_) {
        oldWndMethod_ = control_->WindowProc();
        control_->SetWindowProc(Dispatcher());
    } else {
        auto relay =
            std::make_unique<TWindowRelay>(RelayKind<HookRelay>, Bind<&TJvHookInfos::RelayedMessage>(this));
        if (!relay->Install(handle_))
            return;
        relay_ = std::move(relay);
        oldWndProc_ = relay_->Previous();
        unicode_ = relay_->Unicode();
    }
    hooked_ = true;
}

void TJvHookInfos::UnhookControl() {
    // Someone who replaced the handler after us keeps our dispatcher as their
    // previous one; putting ours back would cut them off, so we stay in place
    // and merely pass everything through.
    if (!hooked_ || !OursIsCurrent())
        return;
    if (control_) {
        control_->SetWindowProc(oldWndMethod_);
    } else {
        relay_.reset();
    }
    hooked_ = false;
}

void TJvHookInfos::SetControlDestroyed() {
    if (controlDestroyed_)
        return;
    controlDestroyed_ = true;
    if (control_) {
        // The control is already half destroyed: it is not touched any more.
        oldWndMethod_ = nullptr;
    } else {
        // The rest of the window's destruction goes straight to its own procedure, or, under a
        // later subclasser, through our relay left behind as a pass-through.
        if (hooked_ && OursIsCurrent())
            oldWndProc_ = nullptr;
        relay_.reset();
    }
    hooked_ = false;
    if (controller_)
        controller_->Forget(this);
}

void TJvHookInfos::ReleaseWhenIdle() {
    if (depth_ == 0 && self_)
        TJvReleaser::Instance().Release(std::move(self_));
}

bool TJvHookInfos::RunChain(TJvHookOrder order, size_t level, TMessage& message) {
    stack_[level].Next[order] = first_[order].get();
    while (THookRecord* record = stack_[level].Next[order]) {
        stack_[level].Next[order] = record->Next.get();
        // A copy: the hook may detach itself, which frees its record.
        TJvControlHook hook = record->Hook;
        if (hook(message) || controlDestroyed_)
            return true;
    }
    return false;
}

void TJvHookInfos::CallPrevious(TMessage& message) {
    if (control_) {
        TWndMethod previous = oldWndMethod_;
        if (previous)
            previous(message);
        return;
    }
    message.Result =
        TWindowRelay::CallProc(oldWndProc_, unicode_, handle_, message.Msg, message.WParam, message.LParam);
}

void TJvHookInfos::Dispatch(TMessage& message) {
    message.Result = 0;
    if (depth_ == stack_.size())
        stack_.resize((stack_.size() + 1) * 2);
    const size_t level = depth_++;
    stack_[level] = TDispatchLevel{};
    struct TPopLevel {
        TJvHookInfos& infos;
        ~TPopLevel() {
            --infos.depth_;
            infos.ReleaseWhenIdle();
        }
    } pop{*this};

    if (RunChain(hoBeforeMsg, level, message))
        return;
    CallPrevious(message);
    if (controlDestroyed_)
        return;
    RunChain(hoAfterMsg, level, message);
}

LRESULT TJvHookInfos::RelayedMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    try {
        Dispatch(message);
    } catch (...) {
        HandleCurrentException(PaintingMessage(msg));
    }
    if (msg == WM_DESTROY)
        SetControlDestroyed();
    return message.Result;
}

// ---- TJvWndProcHook

TJvWndProcHook::TJvWndProcHook() : TComponent(nullptr), thread_(GetCurrentThreadId()) {}

TJvWndProcHook::~TJvWndProcHook() {
    std::vector<std::unique_ptr<TJvHookInfos>> infos = std::move(infos_);
    infos_.clear();
    for (auto& record : infos)
        record->controller_ = nullptr;
    // Each record gives its control the handler back as it goes.
    infos.clear();
}

TJvHookInfos* TJvWndProcHook::Find(const TControl* control) const {
    for (const auto& infos : infos_)
        if (infos->control_ && infos->control_ == control)
            return infos.get();
    return nullptr;
}

TJvHookInfos* TJvWndProcHook::Find(HWND window) const {
    for (const auto& infos : infos_)
        if (!infos->control_ && infos->handle_ == window)
            return infos.get();
    return nullptr;
}

bool TJvWndProcHook::RegisterWndProcHook(TControl* control, const TJvControlHook& hook, TJvHookOrder order) {
    if (!control || control->IsDestroying() || hook.CodeAddress() < LowestCodeAddress || !OnOwnThread())
        return false;
    TJvHookInfos* infos = Find(control);
    if (!infos) {
        infos_.push_back(std::make_unique<TJvHookInfos>(this, control));
        infos = infos_.back().get();
        control->FreeNotification(this);
    }
    infos->Add(hook, order);
    return true;
}

bool TJvWndProcHook::RegisterWndProcHook(HWND window, const TJvControlHook& hook, TJvHookOrder order) {
    // Dispatch state is not shared between threads: only our own thread's windows.
    if (!window || !IsWindow(window) || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId() ||
        hook.CodeAddress() < LowestCodeAddress || !OnOwnThread())
        return false;
    TJvHookInfos* infos = Find(window);
    if (!infos) {
        infos_.push_back(std::make_unique<TJvHookInfos>(this, window));
        infos = infos_.back().get();
    }
    infos->Add(hook, order);
    return true;
}

bool TJvWndProcHook::UnRegisterWndProcHook(TControl* control, const TJvControlHook& hook,
                                           TJvHookOrder order) {
    if (!control || control->IsDestroying() || hook.CodeAddress() < LowestCodeAddress || !OnOwnThread())
        return false;
    TJvHookInfos* infos = Find(control);
    if (!infos)
        return false;
    infos->Delete(hook, order);
    return true;
}

bool TJvWndProcHook::UnRegisterWndProcHook(HWND window, const TJvControlHook& hook, TJvHookOrder order) {
    if (!window || hook.CodeAddress() < LowestCodeAddress || !OnOwnThread())
        return false;
    TJvHookInfos* infos = Find(window);
    if (!infos)
        return false;
    infos->Delete(hook, order);
    return true;
}

void TJvWndProcHook::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    for (const auto& infos : infos_) {
        if (infos->control_ && static_cast<TComponent*>(infos->control_) == component) {
            infos->SetControlDestroyed();
            return;
        }
    }
}

void TJvWndProcHook::Forget(TJvHookInfos* infos) {
    auto it = std::find_if(infos_.begin(), infos_.end(),
                           [infos](const auto& owned) { return owned.get() == infos; });
    if (it == infos_.end())
        return;
    infos->self_ = std::move(*it);
    infos_.erase(it);
    infos->controller_ = nullptr;
    // A dispatch of this record may be under way further up the stack; it
    // hands the record on when the outermost one ends.
    infos->ReleaseWhenIdle();
}

TJvWndProcHook* JvWndProcHook() {
    auto& slot = RegistrySlot();
    if (!slot)
        slot.reset(new TJvWndProcHook());
    return slot.get();
}

TJvWndProcHook* ExistingJvWndProcHook() {
    return RegistrySlot().get();
}

bool AttachHook(TControl* control, const TJvControlHook& hook, TJvHookOrder order) {
    if (!control || control->IsDestroying() || hook.CodeAddress() < LowestCodeAddress)
        return false;
    return JvWndProcHook()->RegisterWndProcHook(control, hook, order);
}

bool AttachHook(HWND window, const TJvControlHook& hook, TJvHookOrder order) {
    if (!window || hook.CodeAddress() < LowestCodeAddress)
        return false;
    return JvWndProcHook()->RegisterWndProcHook(window, hook, order);
}

bool DetachHook(TControl* control, const TJvControlHook& hook, TJvHookOrder order) {
    TJvWndProcHook* registry = ExistingJvWndProcHook();
    return registry && registry->UnRegisterWndProcHook(control, hook, order);
}

bool DetachHook(HWND window, const TJvControlHook& hook, TJvHookOrder order) {
    TJvWndProcHook* registry = ExistingJvWndProcHook();
    return registry && registry->UnRegisterWndProcHook(window, hook, order);
}

// ---- TJvReleaser

namespace {
const char* const ReleaserClassName = "TJvReleaser";
}

TJvReleaser& TJvReleaser::Instance() {
    static TJvReleaser releaser;
    return releaser;
}

TJvReleaser::TJvReleaser() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = ReleaserClassName;
    RegisterClassA(&wc);
    handle_ =
        CreateWindowExA(0, ReleaserClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (handle_)
        SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TJvReleaser::~TJvReleaser() {
    if (handle_) {
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
    // Freeing one may hand another one in: take the list out first.
    while (!pending_.empty()) {
        std::vector<std::unique_ptr<TObject>> objects = std::move(pending_);
        pending_.clear();
        objects.clear();
    }
}

void TJvReleaser::Release(std::unique_ptr<TObject> object) {
    if (!object)
        return;
    TObject* raw = object.get();
    auto listed =
        std::find_if(pending_.begin(), pending_.end(), [raw](const auto& p) { return p.get() == raw; });
    if (listed != pending_.end()) {
        (void)object.release(); // already ours
    } else {
        pending_.push_back(std::move(object));
    }
    // Without the message it stays listed and goes with the releaser.
    if (handle_)
        PostMessageA(handle_, CM_RELEASE_OBJECT, reinterpret_cast<WPARAM>(raw), 0);
}

void TJvReleaser::FreeObject(TObject* object) {
    auto listed =
        std::find_if(pending_.begin(), pending_.end(), [object](const auto& p) { return p.get() == object; });
    if (listed == pending_.end())
        return;
    std::unique_ptr<TObject> owned = std::move(*listed);
    pending_.erase(listed);
}

LRESULT CALLBACK TJvReleaser::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != CM_RELEASE_OBJECT)
        return DefWindowProcA(window, msg, wParam, lParam);
    auto* self = reinterpret_cast<TJvReleaser*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    try {
        if (self)
            self->FreeObject(reinterpret_cast<TObject*>(wParam));
    } catch (...) {
        HandleCurrentException();
    }
    return 0;
}
