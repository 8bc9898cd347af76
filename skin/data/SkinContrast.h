#pragma once
// Legibility arithmetic: the relative luminance of sRGB colours and the contrast ratio of two
// colours as the WCAG defines them, and the measurement of text on its background from the
// pixels of a box around the text. Plain functions without windows.h.

#include <cstddef>
#include <cstdint>
#include <span>

// Colours are 0x00BBGGRR values; the top byte is ignored.

// The relative luminance of an sRGB colour, 0 (black) to 1 (white).
double RelativeLuminance(std::uint32_t colour);

// (L1 + 0.05) / (L2 + 0.05) with L1 the lighter colour: 1 for equal colours, 21 for black on
// white; the order of the arguments does not matter.
double ContrastRatio(std::uint32_t a, std::uint32_t b);

// Text and background as the pixels of a box around a line of text show them. Pixels are
// grouped by colour into coarse groups (32 steps a channel), so that a gradient falls into one
// or a few groups instead of a hundred single colours.
//   Background: the mean colour of the largest group.
//   Text: the pixel of the box that stands out most from the background. Text is drawn in one
//     colour; the core pixels of its strokes have exactly that colour and the anti-aliased edge
//     pixels lie between it and the background, so the extreme pixel is the text colour.
//   Ratio: the contrast of the text colour against the worst background group: every group that,
//     leaving out the pixels of the text colour itself, holds at least half as many pixels as
//     the largest one, each taken at its mean colour. On a flat background that is the
//     background colour; on a gradient the weakest part of it decides.
// An empty box gives Ratio 1 and no text pixels.
struct TTextContrast {
    std::uint32_t Background = 0;
    std::uint32_t Text = 0;
    double Ratio = 1.0;
    std::size_t TextPixels = 0; // pixels of exactly the text colour
};
TTextContrast MeasureTextContrast(std::span<const std::uint32_t> pixels);
