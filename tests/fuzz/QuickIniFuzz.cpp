// A skin description is untrusted text. The reader answers by way of a sorted section index;
// here every answer is checked against a plain reading written apart from it: the lines split
// and trimmed character by character, keys searched line by line, integers read with the
// standard library, colours from the last eight digits of each number (10^8 is a multiple of
// 256). Texts longer than the 4 MiB cap are cut there; run with -max_len above it (see
// QuickIniFuzz.options) to reach it.

#include "WinSkinIni.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The reference search is quadratic: all keys of a description, a few of a huge text.
std::size_t CheckedKeys(std::size_t lines) {
    return lines > 500 ? 16 : 300;
}

bool Blank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && Blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && Blank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsHeader(std::string_view line) {
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// Lines as the description defines them: up to a NUL and the cap, ended by CR, LF or CR LF,
// trimmed, without empty ones and comments.
std::vector<std::string> ReferenceLines(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    text = text.substr(0, TQuickIni::MaxTextSize);
    std::vector<std::string> lines;
    std::string current;
    auto finish = [&] {
        std::string_view line = Trim(current);
        if (!line.empty() && line.front() != ';')
            lines.emplace_back(line);
        current.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            finish();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += text[i];
        }
    }
    finish();
    return lines;
}

std::string ReferenceRead(const std::vector<std::string>& lines, std::string_view section,
                          std::string_view key, std::string_view fallback) {
    const std::string header = Lower("[" + std::string(section) + "]");
    std::size_t i = 0;
    while (i < lines.size() && Lower(lines[i]) != header)
        ++i;
    for (++i; i < lines.size() && !IsHeader(lines[i]); ++i) {
        std::string_view line = lines[i];
        std::size_t eq = line.find('=');
        std::string lineKey = eq == std::string_view::npos ? std::string() : Lower(Trim(line.substr(0, eq)));
        if (lineKey != Lower(key))
            continue;
        std::string_view value = Trim(line.substr(eq + 1));
        return std::string(value.empty() ? fallback : value);
    }
    return std::string(fallback);
}

bool AllOf(std::string_view s, bool (*test)(char)) {
    for (char c : s)
        if (!test(c))
            return false;
    return true;
}
bool Digit(char c) {
    return c >= '0' && c <= '9';
}
bool HexDigit(char c) {
    return Digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// An integer value as descriptions write them: [sign] decimal, [sign] $hex or 0x hex (up to
// eight hex digits, the 32-bit pattern).
std::optional<int> ReferenceInteger(std::string text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = "$" + text.substr(2);
    bool negative = false;
    std::string_view rest = text;
    if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
        negative = rest[0] == '-';
        rest.remove_prefix(1);
    }
    if (!rest.empty() && rest[0] == '$') {
        rest.remove_prefix(1);
        if (rest.empty() || rest.size() > 8 || !AllOf(rest, HexDigit))
            return std::nullopt;
        std::uint32_t bits = static_cast<std::uint32_t>(std::stoul(std::string(rest), nullptr, 16));
        return static_cast<int>(negative ? 0u - bits : bits);
    }
    if (rest.empty() || !AllOf(rest, Digit))
        return std::nullopt;
    while (rest.size() > 1 && rest[0] == '0')
        rest.remove_prefix(1);
    if (rest.size() > 10)
        return std::nullopt;
    long long value = std::stoll(std::string(rest));
    if (negative)
        value = -value;
    if (value < -2147483648LL || value > 2147483647LL)
        return std::nullopt;
    return static_cast<int>(value);
}

TSkinColour ReferenceColour(std::string_view text, TSkinColour fallback) {
    if (text.empty())
        return fallback;
    std::vector<std::string> numbers;
    std::string run;
    for (char c : std::string(text) + " ") {
        if (Digit(c)) {
            run += c;
        } else if (!run.empty()) {
            numbers.push_back(run);
            run.clear();
        }
    }
    unsigned channels[3] = {0, 0, 0};
    for (std::size_t i = 0; i < numbers.size() && i < 3; ++i) {
        const std::string& n = numbers[i];
        channels[i] = static_cast<unsigned>(std::stoul(n.substr(n.size() > 8 ? n.size() - 8 : 0)) % 256);
    }
    return static_cast<TSkinColour>(channels[0] | channels[1] << 8 | channels[2] << 16);
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TQuickIni ini;
    ini.LoadFromText(text);

    const std::vector<std::string> lines = ReferenceLines(text);
    Check(ini.LineCount() == lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        Check(ini.Line(i) == lines[i]);

    std::vector<std::string> sections, expectedSections;
    ini.ReadSections(sections);
    for (const std::string& line : lines)
        if (IsHeader(line))
            expectedSections.emplace_back(Trim(std::string_view(line).substr(1, line.size() - 2)));
    Check(sections == expectedSections);

    // Ask for every key of the first lines under their section (as written, and a section that
    // does not exist), as a string, an integer, a colour and an RGB triple.
    std::string currentSection;
    std::size_t checked = 0;
    for (const std::string& line : lines) {
        if (IsHeader(line)) {
            currentSection = line.substr(1, line.size() - 2);
            continue;
        }
        if (++checked > CheckedKeys(lines.size()))
            break;
        std::size_t eq = line.find('=');
        std::string key(Trim(std::string_view(line).substr(0, eq == std::string::npos ? 0 : eq)));
        for (const std::string& section : {currentSection, std::string("X") + currentSection})
            Check(ini.ReadString(section, key, "<none>") == ReferenceRead(lines, section, key, "<none>"));

        const std::string value = ReferenceRead(lines, currentSection, key, "");
        Check(ini.ReadInteger(currentSection, key, -7) == ReferenceInteger(value).value_or(-7));
        int parsed = 0;
        if (value.find_first_of("xX") == std::string::npos) { // no 0x form: the plain parser's input
            const std::optional<int> direct = ReferenceInteger(value);
            Check(TryParseSkinInteger(value, parsed) == direct.has_value());
            if (direct)
                Check(parsed == *direct);
        }
        Check(ParseColour(value, -1) == ReferenceColour(value, -1));
        Check(ParseColour(line, -1) == ReferenceColour(line, -1));

        // RGB: the key's text as the prefix of three keys that may or may not be there.
        TSkinColour colour = -5;
        std::optional<int> red = ReferenceInteger(ReferenceRead(lines, currentSection, key + "R", ""));
        std::optional<int> green = ReferenceInteger(ReferenceRead(lines, currentSection, key + "G", ""));
        std::optional<int> blue = ReferenceInteger(ReferenceRead(lines, currentSection, key + "B", ""));
        const bool all = red && green && blue && *red >= 0 && *green >= 0 && *blue >= 0;
        Check(ReadRGB(ini, currentSection, key, colour) == all);
        Check(colour == (all ? (*red % 256) + 256 * (*green % 256) + 65536 * (*blue % 256) : -5));
    }
    return 0;
}
