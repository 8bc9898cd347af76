#include "ItemsPanelGeometry.h"

#include <algorithm>

TItemRect ItemRect(const TItemLayout& layout, int index) {
    if (index < 0 || index >= layout.Count)
        return {};
    // 64-bit products: a huge list times the item extent must not wrap.
    long long start = static_cast<long long>(index) * layout.ItemHeight;
    auto clamp = [](long long v) { return static_cast<int>(v > 0x7FFFFFFF ? 0x7FFFFFFF : v); };
    if (layout.Vertical)
        return {0, clamp(start), layout.Width, clamp(start + layout.ItemHeight)};
    return {clamp(start), 0, clamp(start + layout.ItemHeight), layout.Height};
}

int ItemIndexAt(const TItemLayout& layout, int x, int y) {
    if (layout.Count <= 0 || layout.ItemHeight <= 0)
        return -1;
    long long extent = static_cast<long long>(layout.Count) * layout.ItemHeight;
    int along = layout.Vertical ? y : x;
    int across = layout.Vertical ? x : y;
    int acrossLimit = layout.Vertical ? layout.Width : layout.Height;
    if (along < 0 || along >= extent || across < 0 || across > acrossLimit)
        return -1;
    return along / layout.ItemHeight;
}

int AutoItemHeight(int axisLength, int count) {
    return count > 0 ? axisLength / count : 0;
}

int AutoSizeRemainder(int axisLength, int count) {
    return count > 0 ? axisLength - count * AutoItemHeight(axisLength, count) : 0;
}

std::string_view ItemDisplayText(std::string_view line, bool shortTitles) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return line;
    return shortTitles ? line.substr(eq + 1) : line.substr(0, eq);
}

int ItemAfterStep(int current, int count, TItemStep step) {
    if (count <= 0)
        return -1;
    switch (step) {
    case TItemStep::First:
        return 0;
    case TItemStep::Last:
        return count - 1;
    case TItemStep::Previous:
        if (current >= count)
            return count - 1;
        return current <= 0 ? 0 : current - 1;
    case TItemStep::Next:
        if (current >= count)
            return count - 1;
        return current < 0 ? 0 : std::min(current + 1, count - 1);
    }
    return -1;
}
