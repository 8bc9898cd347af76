#include "Persistent.h"

#include "SysUtils.h"

#include <charconv>

const TPropertyInfo* TPersistent::FindProperty(std::string_view) const {
    return nullptr;
}

bool TPersistent::GetPropText(std::string_view name, std::string& value) const {
    const TPropertyInfo* info = FindProperty(name);
    if (!info)
        return false;
    value = info->Get(*this);
    return true;
}

std::string TPersistent::PropText(std::string_view name) const {
    std::string value;
    GetPropText(name, value);
    return value;
}

bool TPersistent::SetPropText(std::string_view name, std::string_view value) {
    const TPropertyInfo* info = FindProperty(name);
    if (!info || !info->Set)
        return false;
    info->Set(*this, value);
    return true;
}

TPersistent* TPersistent::GetObjectProp(std::string_view name) const {
    const TPropertyInfo* info = FindProperty(name);
    return info && info->Object ? info->Object(*this) : nullptr;
}

void TPersistent::Assign(const TPersistent& source) {
    throw Exception(std::string("Cannot assign a ") + source.ClassName() + " to a " + ClassName());
}

std::string PropToText(const std::string& value) {
    return value;
}
std::string PropToText(bool value) {
    return value ? "True" : "False";
}
std::string PropToText(int value) {
    return std::to_string(value);
}
std::string PropToText(long long value) {
    return std::to_string(value);
}

void PropFromText(std::string_view text, std::string& value) {
    value.assign(text);
}

void PropFromText(std::string_view text, bool& value) {
    if (SameText(text, "true"))
        value = true;
    else if (SameText(text, "false"))
        value = false;
}

namespace {
template <class T> void ParseInteger(std::string_view text, T& value) {
    T parsed{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error == std::errc() && end == text.data() + text.size())
        value = parsed;
}
} // namespace

void PropFromText(std::string_view text, int& value) {
    ParseInteger(text, value);
}
void PropFromText(std::string_view text, long long& value) {
    ParseInteger(text, value);
}

bool EnumIndexFromText(std::string_view text, const char* const* names, size_t count, size_t& index) {
    for (size_t i = 0; i < count; ++i)
        if (SameText(text, names[i])) {
            index = i;
            return true;
        }
    return false;
}

const TPropertyInfo* FindPropertyIn(const TPropertyInfo* table, size_t count, std::string_view name) {
    for (size_t i = 0; i < count; ++i)
        if (SameText(table[i].Name, name))
            return &table[i];
    return nullptr;
}
