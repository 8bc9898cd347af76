#include "WinSubClassScrollGeometry.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {
int SaturateInt(long long value) {
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

long long Clamp64(long long value, long long low, long long high) {
    return value < low ? low : value > high ? high : value;
}

// The arrow cells of the Scrollbar strip and its grip cells.
constexpr int LeftArrowCell = 1, RightArrowCell = 5, UpArrowCell = 9, DownArrowCell = 13;
constexpr int HorzGripCell = 17, VertGripCell = 20;
} // namespace

int ScrollHitPart(int c, int arrowSize, int thumbStart, int thumbEnd, int length) {
    if (c < arrowSize)
        return spFirstArrow;
    if (c < thumbStart)
        return spTrackBefore;
    if (c < thumbEnd)
        return spThumb;
    if (static_cast<long long>(c) < static_cast<long long>(length) - arrowSize)
        return spTrackAfter;
    return spSecondArrow;
}

long long MulDivRound64(long long a, long long b, long long c) {
    if (c == 0)
        return 0;
    const bool negative = ((a < 0) != (b < 0)) != (c < 0);
    auto magnitude = [](long long v) {
        return v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    };
    const unsigned long long ua = magnitude(a), ub = magnitude(b), uc = magnitude(c);
    constexpr unsigned long long limit = 1ULL << 62;
    // ua * ub / uc = q * ub + r * ub / uc with q, r the quotient and remainder of ua by uc.
    const unsigned long long q = ua / uc, r = ua % uc;
    if (q != 0 && ub > limit / q)
        return negative ? -static_cast<long long>(limit) : static_cast<long long>(limit);
    unsigned long long whole = q * ub;
    // r * ub / uc (r < uc) by long division over the bits of ub, so nothing overflows.
    unsigned long long quotient = 0, remainder = 0;
    for (int bit = 63; bit >= 0; --bit) {
        quotient <<= 1;
        // remainder < uc <= 2^63: doubling it fits.
        remainder <<= 1;
        if (remainder >= uc) {
            remainder -= uc;
            quotient += 1;
        }
        if ((ub >> bit) & 1ULL) {
            remainder += r;
            if (remainder >= uc) {
                remainder -= uc;
                quotient += 1;
            }
        }
    }
    whole += quotient;
    // Halves round away from zero.
    if (remainder >= uc - remainder)
        whole += 1;
    whole = std::min(whole, limit);
    return negative ? -static_cast<long long>(whole) : static_cast<long long>(whole);
}

int MulDivRound(long long a, long long b, long long c) {
    return SaturateInt(MulDivRound64(a, b, c));
}

long long StandaloneRange(int min, int max) {
    const long long range = static_cast<long long>(max) - min;
    return range > 0 ? range : 9999999;
}

TThumbExtent StandaloneThumb(int min, int max, int page, int pos, int length, int arrowSize) {
    const long long range = StandaloneRange(min, max);
    const long long arrow = std::max(arrowSize, 0);
    const long long track = std::max(0LL, static_cast<long long>(length) - 2 * arrow);
    const long long offset = Clamp64(static_cast<long long>(pos) - min, 0, range);
    long long thumb = 0, start = arrow;
    if (page > 0) {
        thumb = MulDivRound64(track, static_cast<long long>(page) - 1, range);
        // A thumb of a share above 7 pixels moves over the whole track; the least thumb (8)
        // over the track less its length.
        const long long room = thumb > 7 ? track : track - 8;
        if (thumb <= 7)
            thumb = 8;
        thumb = std::min(thumb, track);
        if (offset > 0)
            start = arrow + MulDivRound64(std::max(0LL, room), offset, range);
        // The share of the page may round the thumb past the track's end.
        start = Clamp64(start, arrow, arrow + track - thumb);
    } else {
        thumb = std::min(arrow, track);
        if (offset > 0)
            start = arrow + MulDivRound64(std::max(0LL, track - arrow), offset, range);
        start = Clamp64(start, arrow, arrow + track - thumb);
    }
    return TThumbExtent{SaturateInt(start), SaturateInt(start + thumb)};
}

TThumbExtent DraggedThumb(int dragStart, int delta, int thumbLength, int length, int arrowSize) {
    const long long arrow = std::max(arrowSize, 0);
    const long long thumb = std::max(thumbLength, 0);
    const long long last = static_cast<long long>(length) - arrow - thumb;
    long long start = static_cast<long long>(dragStart) + delta;
    start = last < arrow ? arrow : Clamp64(start, arrow, last);
    return TThumbExtent{SaturateInt(start), SaturateInt(start + thumb)};
}

int ComboDragPosition(int start, int delta, int track, int min, int max, int page) {
    if (track <= 0 || max <= min)
        return min;
    long long offset = std::max(0LL, static_cast<long long>(start) + delta);
    long long position = 0;
    if (page > 0) {
        offset = std::min<long long>(offset, static_cast<long long>(track) + 1);
        position = min + (MulDivRound64(offset, static_cast<long long>(max) - min - page, track));
        position = std::min(position, static_cast<long long>(max) - page + 1);
    } else {
        position = min + static_cast<long long>(MulDivRound64(std::min<long long>(track, offset),
                                                              static_cast<long long>(max) - min, track));
        position = std::min<long long>(position, max);
    }
    return SaturateInt(std::max<long long>(position, min));
}

int ScrollBarThickness(int imageHeight, int arrowSize) {
    return std::abs(static_cast<long long>(imageHeight) - arrowSize) > 2 ? arrowSize : imageHeight;
}

int ScrollArrowCell(int base, bool hot, bool pressed) {
    if (!hot)
        return base;
    return pressed ? base + 1 : base + 3;
}

TThumbCaps ShrinkThumbCaps(int low, int high, int length) {
    low = std::max(low, 0);
    high = std::max(high, 0);
    if (length <= 0 || low + high <= length)
        return {low, high};
    const int shortLow =
        static_cast<int>(static_cast<long long>(length) * low / (static_cast<long long>(low) + high));
    return {shortLow, length - shortLow};
}

TScrollBarLayout LayoutScrollBar(const TScrollBarFacts& facts) {
    TScrollBarLayout layout;
    const int width = std::max(facts.Width, 0), height = std::max(facts.Height, 0);
    const bool vertical = facts.Vertical;
    const int length = vertical ? height : width;
    const int across = vertical ? width : height;
    const int arrowSize = std::max(facts.ArrowSize, 0);
    layout.Length = length;
    layout.Thickness = std::max(0, ScrollBarThickness(facts.ImageHeight, arrowSize));
    // A rectangle from a to b along the axis and from c to d across.
    auto along = [vertical](int a, int b, int c, int d) {
        return vertical ? TFrameRect{c, a, d, b} : TFrameRect{a, c, b, d};
    };

    // Arrows: one arrow size each, half the bar each when it is shorter than two.
    const bool halves = static_cast<long long>(length) < 2LL * arrowSize;
    const int first = halves ? length / 2 : arrowSize;
    const int second = halves ? length - length / 2 : arrowSize;
    layout.FirstArrow = along(0, first, 0, across);
    layout.SecondArrow = along(length - second, length, 0, across);
    layout.FirstArrowCell =
        ScrollArrowCell(vertical ? UpArrowCell : LeftArrowCell, facts.HotPart == spFirstArrow, facts.Pressed);
    layout.SecondArrowCell = ScrollArrowCell(vertical ? DownArrowCell : RightArrowCell,
                                             facts.HotPart == spSecondArrow, facts.Pressed);

    // Track between the arrows; its disabled cell when the bar is unavailable.
    if (!halves && length - 2 * arrowSize > 0)
        layout.Track = along(arrowSize, length - arrowSize, 0, across);
    const int trackCells = std::max(facts.TrackCells, 1);
    layout.TrackCell = std::min(facts.Enabled ? 1 : 3, trackCells);

    if (!facts.Enabled)
        return layout;
    // Thumb: only when both its ends lie on the bar.
    const int start = facts.ThumbStart, end = facts.ThumbEnd;
    if (start >= 0 && end <= length && start < end && layout.Thickness > 0) {
        layout.Thumb = along(start, end, 0, layout.Thickness);
        const bool hotThumb = facts.HotPart == spThumb;
        layout.ThumbCell = std::min(hotThumb ? (facts.Pressed ? 2 : 3) : 1, std::max(facts.ThumbCells, 1));
        // Grip: as long as the image is high, centred on the thumb, when the thumb has room.
        const int gripLength = facts.ImageHeight;
        const int thumbLength = end - start;
        if (gripLength > 0 && thumbLength > gripLength - 2) {
            const int gripStart = start + (thumbLength - gripLength) / 2;
            const int gripEnd = gripStart + gripLength;
            if (gripStart >= 0 && gripEnd <= length) {
                layout.Grip = along(gripStart, gripEnd, 0, layout.Thickness);
                const int base = vertical ? VertGripCell : HorzGripCell;
                layout.GripCell = hotThumb ? base + (facts.Pressed ? 1 : 2) : base;
            }
        }
    }
    return layout;
}
