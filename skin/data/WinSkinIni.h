#pragma once
// The reader of a skin's description text and the colour notations skins use.
// No windows.h here: the parsing runs natively under the sanitizers and the fuzzer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// 0x00BBGGRR, or 0xFF0000nn for system colour nn; the same values as the toolkit's TColor.
using TSkinColour = std::int32_t;

constexpr TSkinColour SkinSystemColour(int index) {
    return static_cast<TSkinColour>(0xFF000000u | static_cast<unsigned>(index));
}

// An INI text read the way skin descriptions have always been read: only the first of
// duplicate sections and keys counts, keys and section names ignore ASCII case, and a
// value carries everything after the first "=" (no trailing comments).
class TQuickIni {
  public:
    // Descriptions are a few kilobytes; a larger text is cut here so that a hostile
    // archive cannot make the line index grow without bound.
    static constexpr std::size_t MaxTextSize = 4u * 1024 * 1024;

    // Replaces the content. A NUL ends the text.
    void LoadFromText(std::string_view text);
    // From the stream's position to its end (any stream with Position, Size and Read).
    template <class Stream> void LoadFromStream(Stream& stream);

    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
    // Section names in file order, brackets removed and trimmed; duplicates included.
    void ReadSections(std::vector<std::string>& list) const;

    std::size_t LineCount() const { return lines_.size(); }
    std::string_view Line(std::size_t index) const;

  private:
    struct TSpan {
        std::uint32_t start, length;
    };
    std::string_view View(TSpan span) const {
        return std::string_view(text_).substr(span.start, span.length);
    }
    bool IsHeader(std::size_t line) const;
    // Line index of the first header whose name matches, or npos.
    std::size_t FindSection(std::string_view section) const;

    std::string text_;
    std::vector<TSpan> lines_;
    // Line numbers of the section headers in file order, and the same sorted by name
    // (stable, so equal names keep file order and the first one is found).
    std::vector<std::uint32_t> headers_;
    std::vector<std::uint32_t> headersByName_;
};

// Integer text of a description value: optional sign, then decimal digits or "$" and up to
// eight hex digits (the 32-bit pattern). False for anything else, out-of-range included.
bool TryParseSkinInteger(std::string_view text, int& value);

// "R G B" as decimal numbers separated by anything that is not a digit; missing numbers are
// 0, numbers past the third are ignored, each is taken modulo 256. Empty text gives fallback.
TSkinColour ParseColour(std::string_view text, TSkinColour fallback);

// Reads prefix+"R", prefix+"G", prefix+"B"; only when all three are 0 or more does colour
// change. Returns whether it did.
bool ReadRGB(const TQuickIni& ini, std::string_view section, std::string_view prefix, TSkinColour& colour);

template <class Stream> void TQuickIni::LoadFromStream(Stream& stream) {
    auto remaining = stream.Size() - stream.Position();
    if (remaining < 0)
        remaining = 0;
    if (static_cast<std::uint64_t>(remaining) > MaxTextSize)
        remaining = static_cast<decltype(remaining)>(MaxTextSize);
    std::string text(static_cast<std::size_t>(remaining), '\0');
    std::size_t got = text.empty() ? 0 : stream.Read(text.data(), text.size());
    text.resize(got);
    LoadFromText(text);
}
