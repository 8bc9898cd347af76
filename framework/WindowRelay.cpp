#include "WindowRelay.h"

#include "Application.h"

// The window's record of one kind of relay.
struct TWindowRelay::TLink {
    HWND Window = nullptr;
    WNDPROC Previous = nullptr;
    bool Unicode = false;
    // The relay serving the window now; null once the record is a pass-through.
    TWindowRelay* Current = nullptr;
    // Messages of the record under way: it is not freed under them.
    int Depth = 0;
    // The window's property still points at the record.
    bool Linked = true;
    const char* Property = nullptr;

    void Unlink() {
        if (Linked && IsWindow(Window) && GetPropA(Window, Property) == this)
            RemovePropA(Window, Property);
        Linked = false;
    }
};

namespace {
LONG_PTR ProcOf(HWND window, bool unicode) {
    // Asked in the window's own character set: the other one may answer with a converting stub.
    return unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC) : GetWindowLongPtrA(window, GWLP_WNDPROC);
}

LONG_PTR SetProcOf(HWND window, bool unicode, LONG_PTR proc) {
    return unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, proc)
                   : SetWindowLongPtrA(window, GWLP_WNDPROC, proc);
}
} // namespace

TWindowRelay::~TWindowRelay() {
    Remove();
}

LRESULT TWindowRelay::CallProc(WNDPROC proc, bool unicode, HWND window, UINT msg, WPARAM wParam,
                               LPARAM lParam) {
    if (!proc)
        return unicode ? DefWindowProcW(window, msg, wParam, lParam)
                       : DefWindowProcA(window, msg, wParam, lParam);
    return unicode ? CallWindowProcW(proc, window, msg, wParam, lParam)
                   : CallWindowProcA(proc, window, msg, wParam, lParam);
}

bool TWindowRelay::Install(HWND window) {
    if (link_ || !window || !IsWindow(window))
        return false;
    if (auto* link = static_cast<TLink*>(GetPropA(window, kind_.Property))) {
        // Our procedure is still in the window's chain, under somebody who subclassed after an
        // earlier relay of this kind: this one serves from there.
        if (link->Current)
            link->Current->link_ = nullptr;
        link->Current = this;
        link_ = link;
        window_ = window;
        unicode_ = link->Unicode;
        previous_ = link->Previous;
        return true;
    }
    auto* link = new TLink{window, nullptr, IsWindowUnicode(window) != FALSE, this, 0, true, kind_.Property};
    if (!SetPropA(window, kind_.Property, link)) {
        delete link;
        return false;
    }
    link->Previous =
        reinterpret_cast<WNDPROC>(SetProcOf(window, link->Unicode, reinterpret_cast<LONG_PTR>(kind_.Entry)));
    link_ = link;
    window_ = window;
    unicode_ = link->Unicode;
    previous_ = link->Previous;
    return true;
}

void TWindowRelay::Remove() {
    TLink* link = link_;
    if (!link)
        return;
    link_ = nullptr;
    link->Current = nullptr;
    if (link->Linked) {
        if (!IsWindow(link->Window)) {
            link->Unlink();
        } else if (ProcOf(link->Window, link->Unicode) == reinterpret_cast<LONG_PTR>(kind_.Entry)) {
            SetProcOf(link->Window, link->Unicode, reinterpret_cast<LONG_PTR>(link->Previous));
            link->Unlink();
        }
        // Otherwise a later subclasser calls our procedure still: the record stays with the
        // window and passes everything on until the window goes.
    }
    FreeWhenIdle(link);
}

bool TWindowRelay::IsCurrent() const {
    return link_ && link_->Linked && IsWindow(window_) &&
           ProcOf(window_, unicode_) == reinterpret_cast<LONG_PTR>(kind_.Entry);
}

void TWindowRelay::FreeWhenIdle(TLink* link) {
    if (link->Depth == 0 && !link->Linked && !link->Current)
        delete link;
}

LRESULT TWindowRelay::Enter(const TRelayKind& kind, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* link = static_cast<TLink*>(GetPropA(window, kind.Property));
    if (!link)
        return IsWindowUnicode(window) ? DefWindowProcW(window, msg, wParam, lParam)
                                       : DefWindowProcA(window, msg, wParam, lParam);
    ++link->Depth;
    LRESULT result = 0;
    try {
        // A copy: the relay may be taken out, even freed, while its handler runs.
        const THandler handler = link->Current ? link->Current->handler_ : THandler();
        result = handler ? handler(msg, wParam, lParam)
                         : CallProc(link->Previous, link->Unicode, window, msg, wParam, lParam);
    } catch (...) {
        HandleCurrentException(PaintingMessage(msg));
    }
    // The last message: what is left of the record goes with the window; a relay still holding
    // it lets go of it later.
    if (msg == WM_NCDESTROY)
        link->Unlink();
    --link->Depth;
    FreeWhenIdle(link);
    return result;
}
