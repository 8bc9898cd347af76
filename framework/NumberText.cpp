#include "NumberText.h"

bool TryParseInteger(std::string_view text, std::int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size())
        return false;
    if (text.size() - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        i += 2;
        if (text.size() - i > 8)
            return false;
        std::uint32_t bits = 0;
        for (; i < text.size(); ++i) {
            char c = text[i];
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
            bits = (bits << 4) | digit;
        }
        auto signedBits = static_cast<std::int32_t>(bits);
        value = negative ? static_cast<std::int32_t>(0u - bits) : signedBits;
        return true;
    }
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 2147483648LL)
            return false;
    }
    std::int64_t result = negative ? -magnitude : magnitude;
    if (result > 2147483647LL)
        return false;
    value = static_cast<std::int32_t>(result);
    return true;
}

std::int32_t ParseIntegerOr(std::string_view text, std::int32_t fallback) {
    std::int32_t value = 0;
    return TryParseInteger(text, value) ? value : fallback;
}
