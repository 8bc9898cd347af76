#pragma once
// Integers written as text in settings files: decimal with an optional sign,
// or "0x"/"0X" and up to eight hexadecimal digits (the 32-bit pattern, so
// "0xFFFFFFFF" is -1). Anything else, out-of-range values included, is not
// an integer.

#include <cstdint>
#include <string_view>

bool TryParseInteger(std::string_view text, std::int32_t& value);
std::int32_t ParseIntegerOr(std::string_view text, std::int32_t fallback);
