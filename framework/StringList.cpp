#include "StringList.h"

#include "AtomicFile.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TextLines.h"

#include <algorithm>

void TStringList::Assign(const TPersistent& source) {
    auto* other = dynamic_cast<const TStringList*>(&source);
    if (!other)
        return TPersistent::Assign(source);
    if (other == this)
        return;
    lines_ = other->lines_;
    if (sorted_)
        Sort();
    Changed();
}

const std::string& TStringList::Strings(int index) const {
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds (" + IntToStr(index) + ")");
    return lines_[static_cast<size_t>(index)];
}

void TStringList::SetString(int index, const std::string& value) {
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds (" + IntToStr(index) + ")");
    lines_[static_cast<size_t>(index)] = value;
    Changed();
}

int TStringList::Compare(const std::string& a, const std::string& b) const {
    if (caseSensitive_)
        return a.compare(b);
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                          b.data(), static_cast<int>(b.size())) -
           2;
}

bool TStringList::Find(const std::string& line, int& index) const {
    int low = 0, high = Count() - 1;
    bool found = false;
    while (low <= high) {
        int mid = (low + high) / 2;
        int c = Compare(lines_[static_cast<size_t>(mid)], line);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    index = low;
    return found;
}

int TStringList::Add(const std::string& line) {
    if (!sorted_) {
        lines_.push_back(line);
        Changed();
        return Count() - 1;
    }
    int index = 0;
    if (Find(line, index)) {
        if (duplicates_ == dupIgnore)
            return index;
        if (duplicates_ == dupError)
            throw Exception("String list does not allow duplicates");
    }
    lines_.insert(lines_.begin() + index, line);
    Changed();
    return index;
}

void TStringList::Insert(int index, const std::string& line) {
    if (index < 0 || index > Count())
        throw Exception("List index out of bounds (" + IntToStr(index) + ")");
    lines_.insert(lines_.begin() + index, line);
    Changed();
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds (" + IntToStr(index) + ")");
    lines_.erase(lines_.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (lines_.empty())
        return;
    lines_.clear();
    Changed();
}

void TStringList::AddStrings(const TStringList& other) {
    BeginUpdate();
    for (const std::string& line : other.lines_)
        Add(line);
    EndUpdate();
}

void TStringList::Exchange(int a, int b) {
    std::swap(lines_.at(static_cast<size_t>(a)), lines_.at(static_cast<size_t>(b)));
    Changed();
}

int TStringList::IndexOf(std::string_view line) const {
    std::string key(line);
    if (sorted_) {
        int index = 0;
        return Find(key, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (Compare(lines_[static_cast<size_t>(i)], key) == 0)
            return i;
    return -1;
}

std::string TStringList::Names(int index) const {
    const std::string& line = Strings(index);
    size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const {
    const std::string& line = Strings(index);
    size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

int TStringList::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& line = lines_[static_cast<size_t>(i)];
        size_t eq = line.find('=');
        if (eq != std::string::npos && Compare(line.substr(0, eq), std::string(name)) == 0)
            return i;
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const {
    int index = IndexOfName(name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStringList::SetSorted(bool sorted) {
    if (sorted == sorted_)
        return;
    if (sorted)
        Sort();
    sorted_ = sorted;
}

void TStringList::Sort() {
    std::stable_sort(lines_.begin(), lines_.end(),
                     [this](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
    Changed();
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
    if (caseSensitive == caseSensitive_)
        return;
    caseSensitive_ = caseSensitive;
    if (sorted_)
        Sort();
}

std::string TStringList::Text() const {
    return JoinLines(lines_);
}

void TStringList::SetText(std::string_view text) {
    lines_ = SplitLines(text);
    if (sorted_)
        Sort();
    Changed();
}

void TStringList::LoadFromStream(TStream& stream) {
    std::int64_t size = stream.Size() - stream.Position();
    std::string text(static_cast<size_t>(std::max<std::int64_t>(size, 0)), '\0');
    text.resize(stream.Read(text.data(), text.size()));
    SetText(text);
}

void TStringList::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream);
}

void TStringList::SaveToStream(TStream& stream) const {
    std::string text = Text();
    stream.WriteBuffer(text.data(), text.size());
}

void TStringList::SaveToFile(const std::string& fileName) const {
    std::string text = Text();
    WriteFileReplacing(fileName, text.data(), text.size());
}

void TStringList::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0)
        Changed();
}

void TStringList::Changed() {
    if (updateCount_ == 0 && OnChange)
        OnChange(this);
}
