#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits text at CR, LF or CR LF. A NUL ends the text, as it would for a C string read from a
// file buffer. A final line break does not open an empty last line.
std::vector<std::string> SplitLines(std::string_view text);

// Every line followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);
