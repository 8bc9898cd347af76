#pragma once
// The root of the object model: a class name that other code compares, and
// published properties that can be read and written by name as text. The skin
// adapters use the by-name access to treat foreign controls alike ("Caption",
// "Font", "ParentBackground", ...), so every property they may ask for must be
// listed in its class's table.

#include "Delegate.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

class TPersistent;

struct TPropertyInfo {
    const char* Name;
    std::string (*Get)(const TPersistent&);
    void (*Set)(TPersistent&, std::string_view); // null: read-only
    TPersistent* (*Object)(const TPersistent&);  // object-valued properties (Font)
};

class TObject {
  public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
    // The class name other code compares with ("TButton", "TForm1", ...).
    virtual const char* ClassName() const { return "TObject"; }
};

using TNotifyEvent = TMethod<void(TObject* sender)>;

class TPersistent : public TObject {
  public:
    const char* ClassName() const override { return "TPersistent"; }

    // The property of that name (case-insensitive), or null.
    virtual const TPropertyInfo* FindProperty(std::string_view name) const;
    bool HasProperty(std::string_view name) const { return FindProperty(name) != nullptr; }
    // False when there is no such property (or it is read-only, for the setter).
    bool GetPropText(std::string_view name, std::string& value) const;
    std::string PropText(std::string_view name) const; // empty when absent
    bool SetPropText(std::string_view name, std::string_view value);
    TPersistent* GetObjectProp(std::string_view name) const;

    // Copies the value of another object of a compatible class.
    virtual void Assign(const TPersistent& source);
};

// Conversions between property values and their text.
std::string PropToText(const std::string& value);
std::string PropToText(bool value);
std::string PropToText(int value);
std::string PropToText(long long value);
void PropFromText(std::string_view text, std::string& value);
void PropFromText(std::string_view text, bool& value);
void PropFromText(std::string_view text, int& value);
void PropFromText(std::string_view text, long long& value);

// Enumerations publish their member names; each enumeration used as a
// property declares `const char* const* EnumNames(TheEnum)` and its count.
template <class E> struct TEnumNames;

template <class E>
requires std::is_enum_v<E> std::string PropToText(E value) {
    auto index = static_cast<size_t>(value);
    return index < TEnumNames<E>::Count ? TEnumNames<E>::Names[index] : std::to_string(index);
}

bool EnumIndexFromText(std::string_view text, const char* const* names, size_t count, size_t& index);

template <class E>
requires std::is_enum_v<E>
void PropFromText(std::string_view text, E& value) {
    size_t index = 0;
    if (EnumIndexFromText(text, TEnumNames<E>::Names, TEnumNames<E>::Count, index))
        value = static_cast<E>(index);
}

namespace property_detail {
template <class T> struct GetterTraits;
template <class C, class R> struct GetterTraits<R (C::*)() const> {
    using Class = C;
    using Value = std::remove_cvref_t<R>;
};
template <class T> struct SetterTraits;
template <class C, class A> struct SetterTraits<void (C::*)(A)> {
    using Class = C;
    using Value = std::remove_cvref_t<A>;
};
} // namespace property_detail

// Prop<&TControl::Caption, &TControl::SetCaption>("Caption")
template <auto Getter, auto Setter = nullptr> constexpr TPropertyInfo Prop(const char* name) {
    using G = property_detail::GetterTraits<decltype(Getter)>;
    TPropertyInfo info{name, nullptr, nullptr, nullptr};
    info.Get = [](const TPersistent& object) -> std::string {
        return PropToText((static_cast<const typename G::Class&>(object).*Getter)());
    };
    if constexpr (!std::is_same_v<decltype(Setter), std::nullptr_t>) {
        using S = property_detail::SetterTraits<decltype(Setter)>;
        info.Set = [](TPersistent& object, std::string_view text) {
            auto& self = static_cast<typename S::Class&>(object);
            typename S::Value value = (self.*Getter)();
            PropFromText(text, value);
            (self.*Setter)(value);
        };
    }
    return info;
}

// ObjectProp<&TControl::Font>("Font"): the getter returns a reference.
template <auto Getter> constexpr TPropertyInfo ObjectProp(const char* name) {
    using G = property_detail::GetterTraits<decltype(Getter)>;
    TPropertyInfo info{name, nullptr, nullptr, nullptr};
    info.Get = [](const TPersistent&) -> std::string { return {}; };
    info.Object = [](const TPersistent& object) -> TPersistent* {
        return const_cast<TPersistent*>(
            static_cast<const TPersistent*>(&(static_cast<const typename G::Class&>(object).*Getter)()));
    };
    return info;
}

const TPropertyInfo* FindPropertyIn(const TPropertyInfo* table, size_t count, std::string_view name);

template <size_t N>
const TPropertyInfo* FindPropertyIn(const TPropertyInfo (&table)[N], std::string_view name) {
    return FindPropertyIn(table, N, name);
}
