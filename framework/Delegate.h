#pragma once
// A bound method: an object and a function of it, comparable by both halves.
// Events and the replaceable message handler of controls are delegates, so a
// hook can save the current handler, install its own, and later put the saved
// one back and recognise it again.

#include <cstdint>
#include <utility>

template <class Sig> class TMethod;

template <class R, class... Args> class TMethod<R(Args...)> {
  public:
    using Thunk = R (*)(void*, Args...);

    TMethod() = default;
    TMethod(std::nullptr_t) {}
    TMethod(void* object, Thunk code) : object_(object), code_(code) {}

    // TMethod<void(int)>::Of<&TFoo::Bar>(foo)
    template <auto Member, class C> static TMethod Of(C* object) {
        return TMethod(object, [](void* self, Args... args) -> R {
            return (static_cast<C*>(self)->*Member)(std::forward<Args>(args)...);
        });
    }

    // A free function taking the context pointer first.
    template <auto Function, class C> static TMethod OfFunction(C* context) {
        return TMethod(context, [](void* self, Args... args) -> R {
            return Function(static_cast<C*>(self), std::forward<Args>(args)...);
        });
    }

    explicit operator bool() const { return code_ != nullptr; }
    R operator()(Args... args) const { return code_(object_, std::forward<Args>(args)...); }

    void* Object() const { return object_; }
    Thunk Code() const { return code_; }
    std::uintptr_t CodeAddress() const { return reinterpret_cast<std::uintptr_t>(code_); }

    friend bool operator==(const TMethod& a, const TMethod& b) {
        return a.object_ == b.object_ && a.code_ == b.code_;
    }

  private:
    void* object_ = nullptr;
    Thunk code_ = nullptr;
};

// Binds a member function without spelling out the signature twice:
// OnClick = Bind<&TForm1::ButtonClick>(this);
template <auto Member, class C> auto Bind(C* object);

namespace delegate_detail {
template <class T> struct MemberTraits;
template <class C, class R, class... A> struct MemberTraits<R (C::*)(A...)> {
    using Method = TMethod<R(A...)>;
};
template <class C, class R, class... A> struct MemberTraits<R (C::*)(A...) const> {
    using Method = TMethod<R(A...)>;
};
} // namespace delegate_detail

template <auto Member, class C> auto Bind(C* object) {
    using Method = typename delegate_detail::MemberTraits<decltype(Member)>::Method;
    return Method::template Of<Member>(object);
}
