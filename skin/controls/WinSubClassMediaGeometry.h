#pragma once
// The arithmetic of the media player's skinned button strip: which buttons a set property names,
// and where each visible button lies. Plain functions without windows.h (checked natively under
// the sanitizers); any size, however hostile, gives rectangles inside the strip.

#include "WinSkinFormGeometry.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The player's buttons in their order across the player.
enum class TMediaButton { mbPlay, mbPause, mbStop, mbNext, mbPrev, mbStep, mbBack, mbRecord, mbEject };
constexpr int MediaButtonCount = 9;
using TMediaButtons = std::uint32_t;
constexpr TMediaButtons MediaButtonBit(TMediaButton button) {
    return TMediaButtons(1) << static_cast<int>(button);
}
constexpr TMediaButtons AllMediaButtons = (TMediaButtons(1) << MediaButtonCount) - 1;

// The set a property's text names ("[btPlay,btStop]"; case and blanks do not matter); names it
// does not know are left out.
TMediaButtons ParseMediaButtons(std::string_view text);

struct TMediaButtonPlace {
    TMediaButton Button;
    TFrameRect Rect;
};
// The visible buttons side by side across a width x height strip, in their order, sharing the
// width so that they cover it without gaps; a button that would get no width is left out.
std::vector<TMediaButtonPlace> LayOutMediaButtons(int width, int height, TMediaButtons visible);
// The button whose place holds (x, y); none between or outside them.
std::optional<TMediaButtonPlace> MediaButtonAt(const std::vector<TMediaButtonPlace>& places, int x, int y);
