#include "WinSkinIni.h"

#include <algorithm>

namespace {
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

bool LessNoCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
    });
}

// The name between the brackets of a header line, untrimmed: blanks there are part of it.
std::string_view HeaderName(std::string_view header) {
    return header.substr(1, header.size() - 2);
}
} // namespace

void TQuickIni::LoadFromText(std::string_view text) {
    if (auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);
    if (text.size() > MaxTextSize)
        text = text.substr(0, MaxTextSize);
    text_.assign(text);
    lines_.clear();
    headers_.clear();
    headersByName_.clear();

    std::size_t start = 0;
    while (start < text_.size()) {
        std::size_t end = text_.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text_.size();
        std::size_t first = start, last = end;
        while (first < last && IsBlank(text_[first]))
            ++first;
        while (last > first && IsBlank(text_[last - 1]))
            --last;
        if (first < last && text_[first] != ';') {
            lines_.push_back(
                TSpan{static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last - first)});
            if (IsHeader(lines_.size() - 1))
                headers_.push_back(static_cast<std::uint32_t>(lines_.size() - 1));
        }
        start = end + 1;
        if (end < text_.size() && text_[end] == '\r' && start < text_.size() && text_[start] == '\n')
            ++start;
    }

    headersByName_ = headers_;
    std::stable_sort(headersByName_.begin(), headersByName_.end(), [this](std::uint32_t a, std::uint32_t b) {
        return LessNoCase(HeaderName(Line(a)), HeaderName(Line(b)));
    });
}

std::string_view TQuickIni::Line(std::size_t index) const {
    return View(lines_.at(index));
}

bool TQuickIni::IsHeader(std::size_t line) const {
    std::string_view text = View(lines_[line]);
    return text.size() >= 2 && text.front() == '[' && text.back() == ']';
}

std::size_t TQuickIni::FindSection(std::string_view section) const {
    auto found = std::lower_bound(headersByName_.begin(), headersByName_.end(), section,
                                  [this](std::uint32_t line, std::string_view name) {
                                      return LessNoCase(HeaderName(Line(line)), name);
                                  });
    if (found == headersByName_.end() || !EqualNoCase(HeaderName(Line(*found)), section))
        return std::string_view::npos;
    return *found;
}

std::string TQuickIni::ReadString(std::string_view section, std::string_view key,
                                  std::string_view fallback) const {
    std::size_t header = FindSection(section);
    if (header == std::string_view::npos)
        return std::string(fallback);
    for (std::size_t i = header + 1; i < lines_.size() && !IsHeader(i); ++i) {
        std::string_view line = Line(i);
        std::size_t equals = line.find('=');
        std::string_view lineKey =
            equals == std::string_view::npos ? std::string_view() : Trim(line.substr(0, equals));
        if (!EqualNoCase(lineKey, key))
            continue;
        std::string_view value = Trim(line.substr(equals + 1));
        return std::string(value.empty() ? fallback : value);
    }
    return std::string(fallback);
}

int TQuickIni::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    int value = 0;
    return TryParseSkinInteger(text, value) ? value : fallback;
}

void TQuickIni::ReadSections(std::vector<std::string>& list) const {
    list.clear();
    list.reserve(headers_.size());
    for (std::uint32_t line : headers_)
        list.emplace_back(Trim(HeaderName(Line(line))));
}

bool TryParseSkinInteger(std::string_view text, int& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i < text.size() && text[i] == '$') {
        ++i;
        if (i == text.size() || text.size() - i > 8)
            return false;
        std::uint32_t bits = 0;
        for (; i < text.size(); ++i) {
            char c = LowerAscii(text[i]);
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else
                return false;
            bits = (bits << 4) | digit;
        }
        value = static_cast<int>(negative ? 0u - bits : bits);
        return true;
    }
    if (i == text.size())
        return false;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > 2147483648LL)
            return false;
    }
    std::int64_t result = negative ? -magnitude : magnitude;
    if (result > 2147483647LL)
        return false;
    value = static_cast<int>(result);
    return true;
}

TSkinColour ParseColour(std::string_view text, TSkinColour fallback) {
    if (text.empty())
        return fallback;
    text = Trim(text);
    unsigned channels[3] = {0, 0, 0};
    int count = 0;
    bool inNumber = false;
    for (char c : text) {
        if (count == 3)
            break;
        if (c >= '0' && c <= '9') {
            // Only the value modulo 256 matters, so long digit runs cannot overflow.
            channels[count] = (channels[count] * 10 + static_cast<unsigned>(c - '0')) % 256;
            inNumber = true;
        } else if (inNumber) {
            ++count;
            inNumber = false;
        }
    }
    return static_cast<TSkinColour>(channels[0] | (channels[1] << 8) | (channels[2] << 16));
}

bool ReadRGB(const TQuickIni& ini, std::string_view section, std::string_view prefix, TSkinColour& colour) {
    std::string key(prefix);
    key += 'R';
    int red = ini.ReadInteger(section, key, -1);
    key.back() = 'G';
    int green = ini.ReadInteger(section, key, -1);
    key.back() = 'B';
    int blue = ini.ReadInteger(section, key, -1);
    if (red < 0 || green < 0 || blue < 0)
        return false;
    colour = (red % 256) + 256 * (green % 256) + 65536 * (blue % 256);
    return true;
}
