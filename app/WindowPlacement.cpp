#include "WindowPlacement.h"

#include <algorithm>
#include <cstdint>

namespace {
bool Overlaps(const TScreenRect& a, const TScreenRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// Squared distance between two rectangles (0 when they touch or overlap).
std::int64_t Distance(const TScreenRect& a, const TScreenRect& b) {
    std::int64_t dx =
        std::max<std::int64_t>({0, std::int64_t(b.Left) - a.Right, std::int64_t(a.Left) - b.Right});
    std::int64_t dy =
        std::max<std::int64_t>({0, std::int64_t(b.Top) - a.Bottom, std::int64_t(a.Top) - b.Bottom});
    return dx * dx + dy * dy;
}
} // namespace

TScreenRect KeepOnScreen(const TScreenRect& window, const std::vector<TMonitorArea>& monitors) {
    if (monitors.empty())
        return window;
    // An empty window still has a place: treat it as one pixel.
    TScreenRect probe = window;
    probe.Right = std::max(probe.Right, probe.Left + 1);
    probe.Bottom = std::max(probe.Bottom, probe.Top + 1);
    for (const TMonitorArea& monitor : monitors)
        if (Overlaps(probe, monitor.Bounds))
            return window;
    const TMonitorArea* nearest = &monitors.front();
    for (const TMonitorArea& monitor : monitors)
        if (Distance(probe, monitor.Bounds) < Distance(probe, nearest->Bounds))
            nearest = &monitor;
    const TScreenRect& work = nearest->WorkArea;
    std::int64_t width = std::int64_t(window.Right) - window.Left;
    std::int64_t height = std::int64_t(window.Bottom) - window.Top;
    std::int64_t left = std::clamp<std::int64_t>(window.Left, work.Left,
                                                 std::max<std::int64_t>(work.Left, work.Right - width));
    std::int64_t top = std::clamp<std::int64_t>(window.Top, work.Top,
                                                std::max<std::int64_t>(work.Top, work.Bottom - height));
    return TScreenRect{int(left), int(top), int(left + width), int(top + height)};
}
