#include "WinSubClassMediaGeometry.h"

#include <array>
#include <cctype>
#include <string>

namespace {
constexpr std::array<std::string_view, MediaButtonCount> ButtonNames{
    "btplay", "btpause", "btstop", "btnext", "btprev", "btstep", "btback", "btrecord", "bteject"};
} // namespace

TMediaButtons ParseMediaButtons(std::string_view text) {
    TMediaButtons buttons = 0;
    std::string name;
    const auto take = [&] {
        for (int i = 0; i < MediaButtonCount; ++i)
            if (name == ButtonNames[static_cast<std::size_t>(i)])
                buttons |= MediaButtonBit(static_cast<TMediaButton>(i));
        name.clear();
    };
    for (char c : text) {
        if (c == ',' || c == '[' || c == ']')
            take();
        else if (!std::isspace(static_cast<unsigned char>(c)))
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    take();
    return buttons;
}

std::vector<TMediaButtonPlace> LayOutMediaButtons(int width, int height, TMediaButtons visible) {
    std::vector<TMediaButtonPlace> places;
    if (width <= 0 || height <= 0)
        return places;
    int count = 0;
    for (int i = 0; i < MediaButtonCount; ++i)
        count += (visible & MediaButtonBit(static_cast<TMediaButton>(i))) != 0;
    int slot = 0;
    for (int i = 0; i < MediaButtonCount; ++i) {
        const auto button = static_cast<TMediaButton>(i);
        if (!(visible & MediaButtonBit(button)))
            continue;
        // In 64 bits: a huge width times the slot number does not wrap.
        const auto left = static_cast<int>(static_cast<long long>(width) * slot / count);
        const auto right = static_cast<int>(static_cast<long long>(width) * (slot + 1) / count);
        ++slot;
        if (right > left)
            places.push_back({button, TFrameRect{left, 0, right, height}});
    }
    return places;
}

std::optional<TMediaButtonPlace> MediaButtonAt(const std::vector<TMediaButtonPlace>& places, int x, int y) {
    for (const TMediaButtonPlace& place : places)
        if (place.Rect.Contains(x, y))
            return place;
    return std::nullopt;
}
