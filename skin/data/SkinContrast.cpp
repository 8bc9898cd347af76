#include "SkinContrast.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

double Linear(std::uint32_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(std::uint32_t colour) {
    const std::uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    return 0.2126 * Linear(r) + 0.7152 * Linear(g) + 0.0722 * Linear(b);
}

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TTextContrast MeasureTextContrast(std::span<const std::uint32_t> pixels) {
    TTextContrast result;
    if (pixels.empty())
        return result;
    struct TGroup {
        std::size_t Count = 0;
        std::uint64_t Sum[3] = {0, 0, 0};
        std::uint32_t Mean() const {
            if (Count == 0)
                return 0;
            const auto channel = [&](int i) {
                return static_cast<std::uint32_t>((Sum[i] + Count / 2) / Count);
            };
            return channel(0) | (channel(1) << 8) | (channel(2) << 16);
        }
        void Add(std::uint32_t colour) {
            ++Count;
            for (int i = 0; i < 3; ++i)
                Sum[i] += (colour >> (8 * i)) & 0xFF;
        }
    };
    const auto key = [](std::uint32_t colour) { return (colour >> 5) & 0x070707; };
    const auto largest = [](const std::map<std::uint32_t, TGroup>& groups) {
        auto best = groups.begin();
        for (auto it = groups.begin(); it != groups.end(); ++it)
            if (it->second.Count > best->second.Count)
                best = it;
        return best;
    };

    std::map<std::uint32_t, TGroup> groups;
    for (std::uint32_t pixel : pixels)
        groups[key(pixel)].Add(pixel & 0xFFFFFF);
    result.Background = largest(groups)->second.Mean();

    double strongest = 0.0;
    for (std::uint32_t pixel : pixels) {
        const double ratio = ContrastRatio(pixel & 0xFFFFFF, result.Background);
        if (ratio > strongest) {
            strongest = ratio;
            result.Text = pixel & 0xFFFFFF;
        }
    }

    // The groups again without the text's own pixels.
    std::map<std::uint32_t, TGroup> background;
    for (std::uint32_t pixel : pixels) {
        if ((pixel & 0xFFFFFF) == result.Text)
            ++result.TextPixels;
        else
            background[key(pixel)].Add(pixel & 0xFFFFFF);
    }
    if (background.empty())
        return result;
    const std::size_t most = largest(background)->second.Count;
    result.Ratio = strongest;
    for (const auto& [k, group] : background)
        if (2 * group.Count >= most)
            result.Ratio = std::min(result.Ratio, ContrastRatio(group.Mean(), result.Text));
    return result;
}
