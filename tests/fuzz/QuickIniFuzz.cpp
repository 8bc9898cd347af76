// A skin description is untrusted text. The reader answers by way of a sorted section index;
// here every answer is checked against a plain line-by-line search that follows the reading
// rules literally, and the colour parser must always produce a plain RGB value.

#include "WinSkinIni.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32)
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32)
        s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsHeader(std::string_view line)
{
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

std::string ReferenceRead(const std::vector<std::string>& lines, std::string_view section,
                          std::string_view key, std::string_view fallback)
{
    const std::string header = Lower("[" + std::string(section) + "]");
    size_t i = 0;
    while (i < lines.size() && Lower(lines[i]) != header)
        ++i;
    for (++i; i < lines.size() && !IsHeader(lines[i]); ++i) {
        std::string_view line = lines[i];
        size_t eq = line.find('=');
        std::string lineKey = eq == std::string_view::npos ? std::string() : Lower(Trim(line.substr(0, eq)));
        if (lineKey != Lower(key))
            continue;
        std::string_view value = Trim(line.substr(eq + 1));
        return std::string(value.empty() ? fallback : value);
    }
    return std::string(fallback);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TQuickIni ini;
    ini.LoadFromText(text);

    std::vector<std::string> lines;
    for (std::size_t i = 0; i < ini.LineCount(); ++i) {
        std::string_view line = ini.Line(i);
        if (line.empty() || line != Trim(line) || line.front() == ';')
            std::abort();
        lines.emplace_back(line);
    }

    // Ask for every key of every section header (as written, then upper-cased) and a missing key.
    std::vector<std::string> sections;
    ini.ReadSections(sections);
    std::string currentSection;
    for (const std::string& line : lines) {
        if (IsHeader(line)) {
            currentSection = line.substr(1, line.size() - 2);
            continue;
        }
        std::size_t eq = line.find('=');
        std::string key(Trim(std::string_view(line).substr(0, eq == std::string::npos ? 0 : eq)));
        for (const std::string& section : {currentSection, std::string("X") + currentSection}) {
            if (ini.ReadString(section, key, "<none>") != ReferenceRead(lines, section, key, "<none>"))
                std::abort();
        }
        int value = 0;
        (void)ini.ReadInteger(currentSection, key, 0);
        (void)TryParseSkinInteger(line, value);
        TSkinColour colour = ParseColour(line, -1);
        if (colour < 0 || colour > 0xFFFFFF)
            std::abort();
        (void)ReadRGB(ini, currentSection, key, colour);
    }
    return 0;
}
