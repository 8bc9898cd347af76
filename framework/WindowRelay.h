#pragma once
// Subclassing a window's procedure so that nobody is cut off. A TWindowRelay owns one
// replacement of one window's procedure: while it is installed its handler sees every message
// of the window first and passes on to the procedure it replaced. Taking it out puts that
// procedure back only when ours is still the window's current one; when somebody subclassed
// the window after us, they call our procedure as their previous one, so it stays in the chain
// as a plain pass-through until the window is destroyed. A later relay of the same kind on that
// window takes the pass-through over instead of subclassing again (subclassing again would pass
// on to the later subclasser, which passes on to the pass-through, which is the new relay
// again).
//
// What the window's procedure needs (the replaced procedure, the relay serving now) is a record
// found through a window property; it belongs to the window, not to the relay, and is freed
// when nobody uses it any more and no message of it is under way. A window's own character set
// decides the functions: a Unicode window (message boxes, the shell's dialogs, common controls)
// is subclassed and called with the W functions, any other with the A functions.

#include "Delegate.h"

#include <windows.h>

// A kind of relay: the window property under which its record is found, and the procedure it
// puts in windows. Every user of relays has a kind of its own (RelayKind<Name> below), so that
// several users can sit in one window's chain.
struct TRelayKind {
    const char* Property;
    WNDPROC Entry;
};

namespace relay_detail {
template <const char* Property> LRESULT CALLBACK Entry(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
} // namespace relay_detail

// The kind named Property, e.g. `constexpr char FrameRelay[] = "SkinFrame";` then
// `RelayKind<FrameRelay>`.
template <const char* Property>
inline constexpr TRelayKind RelayKind{Property, &relay_detail::Entry<Property>};

class TWindowRelay {
  public:
    // Gets every message of the window while the relay is installed; it passes on through
    // CallPrevious itself. Exceptions stop at the relay's procedure.
    using THandler = TMethod<LRESULT(UINT, WPARAM, LPARAM)>;

    TWindowRelay(const TRelayKind& kind, THandler handler) : kind_(kind), handler_(handler) {}
    // Takes the relay out (see Remove).
    ~TWindowRelay();
    TWindowRelay(const TWindowRelay&) = delete;
    TWindowRelay& operator=(const TWindowRelay&) = delete;

    // Subclasses window, or takes over the record of this kind already in its chain (from a
    // relay that let go, or still serving: that one is then out). False for no window, a
    // window that refuses the property, or a relay already installed.
    bool Install(HWND window);
    // The window's procedure goes back when ours is still the current one; otherwise the record
    // stays behind as a pass-through. Safe inside one of the window's messages, and twice.
    void Remove();

    bool Installed() const { return link_ != nullptr; }
    // Ours is the window's current procedure.
    bool IsCurrent() const;
    HWND Window() const { return window_; }
    bool Unicode() const { return unicode_; }
    // The procedure ours replaced; kept after the relay is taken out.
    WNDPROC Previous() const { return previous_; }
    // Passes a message on to the procedure ours replaced (the default one when there was none).
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) const {
        return CallProc(previous_, unicode_, window_, msg, wParam, lParam);
    }

    // proc (DefWindowProc when null) called in the character set given.
    static LRESULT CallProc(WNDPROC proc, bool unicode, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // The body of every kind's procedure.
    static LRESULT Enter(const TRelayKind& kind, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    struct TLink;
    static void FreeWhenIdle(TLink* link);

    const TRelayKind& kind_;
    THandler handler_;
    TLink* link_ = nullptr;
    HWND window_ = nullptr;
    bool unicode_ = false;
    WNDPROC previous_ = nullptr;
};

namespace relay_detail {
template <const char* Property> LRESULT CALLBACK Entry(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return TWindowRelay::Enter(RelayKind<Property>, window, msg, wParam, lParam);
}
} // namespace relay_detail
