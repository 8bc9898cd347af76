#include "WinSubClassBarGeometry.h"

#include <algorithm>
#include <cstdint>

int MulDivRound(int a, int b, int c) {
    if (c == 0)
        return 0;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t magnitude =
        (product < 0 ? -product : product) + (c < 0 ? -static_cast<std::int64_t>(c) : c) / 2;
    magnitude /= c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t result = (product < 0) != (c < 0) ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<std::int64_t>(result, INT32_MIN, INT32_MAX));
}

int ProgressFillWidth(int barWidth, int position, int lower, int upper) {
    if (barWidth <= 0 || upper <= 0 || position <= 0)
        return 0;
    if (upper <= lower)
        return position >= upper ? barWidth : 0;
    const std::int64_t filled = static_cast<std::int64_t>(position) - lower;
    const std::int64_t range = static_cast<std::int64_t>(upper) - lower;
    const std::int64_t width =
        (static_cast<std::int64_t>(barWidth) * std::clamp<std::int64_t>(filled, 0, range) + range / 2) /
        range;
    return static_cast<int>(std::clamp<std::int64_t>(width, 0, barWidth));
}

int ProgressChunkFillWidth(int barWidth, int position, int upper) {
    if (barWidth <= 0 || upper <= 0 || position <= 0)
        return 0;
    return std::clamp(MulDivRound(barWidth, std::min(position, upper), upper), 0, barWidth);
}

int StatusEdgeCell(TPanelBevel bevel) {
    return bevel == pbRaised ? 2 : bevel == pbNone ? 3 : 1;
}

TUpDownHalves UpDownHalves(int width, int height, bool horizontal, int hover, bool pressed, bool enabled) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    TUpDownHalves halves;
    if (horizontal) {
        const int split = width / 2;
        halves.First = TFrameRect{0, 0, split, height};
        halves.Second = TFrameRect{split, 0, width, height};
    } else {
        const int split = height / 2;
        halves.First = TFrameRect{0, 0, width, split};
        halves.Second = TFrameRect{0, split, width, height};
    }
    auto state = [&](int half) { return !enabled ? 3 : hover == half && pressed ? 2 : 1; };
    halves.FirstCell = state(1);
    halves.SecondCell = state(2) + 4;
    return halves;
}

int UpDownHalfAt(int width, int height, bool horizontal, int x, int y) {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    return (horizontal ? x < width / 2 : y < height / 2) ? 1 : 2;
}
