#include "SkinContrast.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

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
    std::unordered_map<std::uint32_t, std::size_t> counts;
    for (std::uint32_t pixel : pixels)
        ++counts[pixel & 0xFFFFFF];
    // The dominant colour; equal counts go to the smaller value, so the result does not depend
    // on the map's order.
    std::size_t most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most || (count == most && colour < result.Background)) {
            most = count;
            result.Background = colour;
        }
    double strongest = 0.0;
    for (const auto& [colour, count] : counts) {
        const double ratio = ContrastRatio(colour, result.Background);
        if (ratio > strongest || (ratio == strongest && colour < result.Text)) {
            strongest = ratio;
            result.Text = colour;
        }
    }
    result.TextPixels = counts[result.Text];
    result.Ratio = strongest;
    for (const auto& [colour, count] : counts)
        if (colour != result.Text && 2 * count >= most)
            result.Ratio = std::min(result.Ratio, ContrastRatio(colour, result.Text));
    return result;
}
