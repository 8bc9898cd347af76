#include "TextLines.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Rejoining the lines with LF must give back the input up to its first NUL, with CR and CR LF
// normalised to LF and no more than one trailing break dropped.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto nul = text.find('\0'); nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    std::string expected;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            expected += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            expected += text[i];
        }
    }
    if (!expected.empty() && expected.back() == '\n') {
        expected.pop_back();
    }

    std::string joined;
    auto lines = SplitLines(std::string_view(reinterpret_cast<const char*>(data), size));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find_first_of("\r\n") != std::string::npos) {
            std::abort();
        }
        joined += lines[i];
        if (i + 1 < lines.size()) {
            joined += '\n';
        }
    }
    if (joined != expected) {
        std::abort();
    }
    return 0;
}
