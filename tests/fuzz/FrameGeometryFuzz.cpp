// Frame widths, margins and cell counts come from skins, window sizes from the system: any of
// them may be zero, negative or absurd. Every frame function gets them here, and what it answers
// is checked against what the frame relies on.

#include "WinSkinFormGeometry.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using Wide = std::int64_t;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Mostly the values that break arithmetic, otherwise small or arbitrary numbers.
int Value(FuzzedDataProvider& data) {
    static constexpr int edges[] = {0,   1,    -1,    2,     3,       7,       8,           255,        256,
                                    257, -256, 32767, 32768, INT_MAX, INT_MIN, INT_MAX - 1, INT_MIN + 1};
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return edges[data.ConsumeIntegralInRange<size_t>(0, std::size(edges) - 1)];
    case 1:
        return data.ConsumeIntegralInRange(-40, 300);
    case 2:
        return data.ConsumeIntegralInRange(0, 5000);
    default:
        return data.ConsumeIntegral<int>();
    }
}

bool Inside(const TFrameRect& inner, Wide left, Wide top, Wide right, Wide bottom) {
    return inner.Left >= left && inner.Top >= top && inner.Right <= right && inner.Bottom <= bottom;
}

bool Ordered(const TFrameRect& rect) {
    return rect.Left <= rect.Right && rect.Top <= rect.Bottom;
}

bool Fits(Wide value) {
    return value >= INT_MIN && value <= INT_MAX;
}

void Frame(FuzzedDataProvider& data) {
    TFramePieceImage pieces[4];
    for (TFramePieceImage& piece : pieces)
        piece = {Value(data), Value(data), Value(data)};
    TFrameWidths widths = FrameWidthsFromImages(pieces[0], pieces[1], pieces[2], pieces[3]);
    Check(widths.Left >= 0 && widths.Caption >= 0 && widths.Right >= 0 && widths.Bottom >= 0 &&
          widths.Menu == 0);
    if (data.ConsumeBool())
        widths.Menu = Value(data);
    if (data.ConsumeBool()) // or widths that never came from images at all
        widths = {Value(data), Value(data), Value(data), Value(data), Value(data)};
    const int width = Value(data), height = Value(data);

    const bool usable = FrameWidthsUsable(widths);
    if (usable) {
        Check(widths.Caption >= MinSkinCaption && widths.Caption <= MaxSkinBorder);
        for (int side : {widths.Left, widths.Right, widths.Bottom, widths.Menu})
            Check(side >= 0 && side <= MaxSkinBorder);
    }
    const bool usableHere = FrameWidthsUsable(widths, width, height);
    Check(!usableHere || usable);

    const TFrameLayout layout = FrameLayout(widths, width, height);
    const TFrameRect pieceRects[] = {layout.LeftBorder, layout.RightBorder,  layout.Caption,
                                     layout.MenuStrip,  layout.BottomBorder, layout.Client};
    for (const TFrameRect& rect : pieceRects)
        Check(Ordered(rect));
    if (usableHere && (width != 0 || height != 0)) {
        // The pieces tile the window exactly.
        Wide area = 0;
        for (size_t i = 0; i < std::size(pieceRects); ++i) {
            const TFrameRect& a = pieceRects[i];
            Check(Inside(a, 0, 0, width, height));
            area += Wide(a.Right - a.Left) * (a.Bottom - a.Top);
            for (size_t j = i + 1; j < std::size(pieceRects); ++j) {
                const TFrameRect& b = pieceRects[j];
                Check(!(a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom));
            }
        }
        Check(area == Wide(width) * height);

        const int x = Value(data), y = Value(data);
        const TFrameRect client = NcCalcClientRect(widths, x, y, width, height);
        if (Fits(Wide(x) + width) && Fits(Wide(y) + height)) {
            Check(Inside(client, x, y, Wide(x) + width, Wide(y) + height));
            Check(client.Right - client.Left == layout.Client.Width());
            Check(client.Bottom - client.Top == layout.Client.Height());
        }
        int windowWidth = 0, windowHeight = 0;
        WindowSizeForClient(widths, layout.Client.Width(), layout.Client.Height(), windowWidth, windowHeight);
        Check(windowWidth == width && windowHeight == height);
    }
    const TFrameRect anywhere = NcCalcClientRect(widths, Value(data), Value(data), width, height);
    Check(Ordered(anywhere));
    int windowWidth = 0, windowHeight = 0;
    const int clientWidth = Value(data), clientHeight = Value(data);
    WindowSizeForClient(widths, clientWidth, clientHeight, windowWidth, windowHeight);
    if (usable && clientWidth >= 0 && clientHeight >= 0 && clientWidth <= INT_MAX - 2 * MaxSkinBorder &&
        clientHeight <= INT_MAX - 3 * MaxSkinBorder) {
        const TFrameRect back = NcCalcClientRect(widths, 0, 0, windowWidth, windowHeight);
        Check(back.Width() == clientWidth && back.Height() == clientHeight);
    }

    const int previous = data.ConsumeIntegralInRange(-2, 25), y = Value(data);
    const int hit = FrameHitTest(previous, Value(data), y, widths);
    if (previous != HitNowhere && previous != HitCaption) {
        Check(hit == previous);
    } else {
        Check(hit == previous || hit == HitCaption || hit == HitMenu);
        if (hit == HitMenu)
            Check(widths.Menu > 0 && y >= widths.Caption && Wide(y) < Wide(widths.Caption) + widths.Menu);
        if (y < 3)
            Check(hit == previous);
    }
}

void Buttons(FuzzedDataProvider& data) {
    TCaptionFacts facts;
    facts.Maximized = data.ConsumeBool();
    facts.Minimized = data.ConsumeBool();
    facts.Active = data.ConsumeBool();
    facts.HasSystemMenu = data.ConsumeBool();
    facts.HasMinimizeBox = data.ConsumeBool();
    facts.HasMaximizeBox = data.ConsumeBool();
    facts.HasHelpButton = data.ConsumeBool();
    facts.IsSystemDialog = data.ConsumeBool();
    facts.BorderKind = static_cast<TBorderKind>(data.ConsumeIntegralInRange(0, 3));
    facts.MdiChildMaximizedWithMenuBar = data.ConsumeBool();

    TCaptionButtonInfo button;
    const bool usual = data.ConsumeBool();
    button.Action = usual ? data.ConsumeIntegralInRange(-1, 63) : Value(data);
    button.Align = usual ? data.ConsumeIntegralInRange(-1, 101) : Value(data);
    button.XCoord = Value(data);
    button.YCoord = Value(data);
    button.Visibility = usual ? data.ConsumeIntegralInRange(-1, 2001) : Value(data);
    button.Visibility1 = usual ? data.ConsumeIntegralInRange(-1, 201) : Value(data);
    button.ImageWidth = Value(data);
    button.ImageHeight = Value(data);
    button.Frames = Value(data);
    const int answer = Value(data);
    bool asked = false;
    const TCaptionButtonState state = EvaluateCaptionButton(button, facts, [&](int code, int action) {
        Check(code >= 1000 && code <= 2000 && action == button.Action && !asked);
        asked = true;
        return answer;
    });
    const int second = button.Visibility1;
    if (second < 0 || second == 5 || (second > 10 && second != 100))
        Check(!state.Visible);
    if (button.Visibility < 0 || button.Visibility == 5)
        Check(!state.Visible);
    if (button.Action == 0 && !facts.HasSystemMenu)
        Check(!state.Visible);
    if ((button.Action == 3 || button.Action == 11 || button.Action == 12) && facts.BorderKind == bkDialog)
        Check(!state.Visible);
    if (button.Action != 1 && button.Action != 2)
        Check(state.Enabled);
    CaptionButtonHint(button.Action);

    TFrameWidths widths{Value(data), Value(data), Value(data), Value(data), Value(data)};
    const TFrameRect title{Value(data), Value(data), Value(data), Value(data)};
    const int windowWidth = Value(data);
    const TFrameRect rect = LayoutCaptionButton(button, windowWidth, title, widths, Value(data));
    Check(Ordered(rect));
    const int cells = std::max(button.Frames, 1);
    const int cellWidth = button.ImageWidth > 0 ? button.ImageWidth / cells : 0;
    if (cellWidth < 1 || button.ImageHeight < 1)
        Check(rect == TFrameRect{});
    else if (rect.Right < INT_MAX && rect.Left > INT_MIN && rect.Bottom < INT_MAX && rect.Top > INT_MIN)
        Check(Wide(rect.Right) - rect.Left == cellWidth &&
              Wide(rect.Bottom) - rect.Top == button.ImageHeight);

    TTitleMetrics metrics{Value(data), Value(data), Value(data), data.ConsumeIntegralInRange(-1, 3),
                          Value(data), Value(data)};
    const bool rightToLeft = data.ConsumeBool(), popup = data.ConsumeBool();
    const TFrameRect titleRect = LayoutTitle(title, Value(data), Value(data), metrics, Value(data),
                                             rightToLeft, popup, facts.BorderKind);
    // An ordinary caption clips its title where the skin says.
    if (!rightToLeft && !popup && Fits(Wide(title.Right) - metrics.TextRightClip))
        Check(titleRect.Right <= title.Right - metrics.TextRightClip);

    // The whole caption at once: one place per button, and only a button that shows with an
    // image has one.
    TCaptionLayoutInput input;
    input.WindowWidth = windowWidth;
    input.Minimized = data.ConsumeBool();
    input.Widths = widths;
    input.TitleWidth = Value(data);
    input.TitleHeight = Value(data);
    input.Title = metrics;
    input.RightToLeft = rightToLeft;
    input.Popup = popup;
    input.BorderKind = facts.BorderKind;
    input.MenuBarLeftWidth = Value(data);
    input.Buttons = {{button, state.Visible}, {button, true}};
    const TCaptionLayout layout = CaptionLayout(input);
    Check(layout.Buttons.size() == 2 && layout.ReservedRight >= 0);
    for (size_t i = 0; i < 2; ++i) {
        const bool shows = input.Buttons[i].Visible && button.ImageWidth > 0 && button.ImageHeight > 0;
        Check(layout.Buttons[i].Placed == shows && Ordered(layout.Buttons[i].Bounds));
    }
}

void Strip(FuzzedDataProvider& data) {
    const bool small = data.ConsumeBool();
    const int cellWidth = small ? data.ConsumeIntegralInRange(-2, 64) : Value(data);
    const int cellHeight = small ? data.ConsumeIntegralInRange(-2, 64) : Value(data);
    const int width = small ? data.ConsumeIntegralInRange(-2, 400) : Value(data);
    const int height = small ? data.ConsumeIntegralInRange(-2, 64) : Value(data);
    const int leftCap = small ? data.ConsumeIntegralInRange(-2, 70) : Value(data);
    const int rightCap = small ? data.ConsumeIntegralInRange(-2, 70) : Value(data);
    const std::vector<TStripPart> parts =
        ThreePartStrip(cellWidth, cellHeight, width, height, leftCap, rightCap);
    if (cellWidth < 1 || cellHeight < 1 || width < 1 || height < 1 || width > MaxStripExtent) {
        Check(parts.empty());
        return;
    }
    Check(parts.size() <= size_t(width) + 2);
    std::vector<bool> covered(size_t(width), false);
    for (const TStripPart& part : parts) {
        Check(Inside(part.Source, 0, 0, cellWidth, cellHeight) && Inside(part.Dest, 0, 0, width, height));
        Check(part.Source.Top == 0 && part.Source.Bottom == cellHeight);
        Check(part.Dest.Top == 0 && part.Dest.Bottom == height);
        Check(part.Source.Width() == part.Dest.Width() && part.Dest.Width() > 0);
        for (int x = part.Dest.Left; x < part.Dest.Right; ++x)
            covered[size_t(x)] = true;
    }
    // With a middle to repeat, nothing of the target is left undrawn.
    const int lc = std::clamp(leftCap, 0, cellWidth), rc = std::clamp(rightCap, 0, cellWidth);
    if (Wide(cellWidth) - lc - rc > 0)
        Check(std::all_of(covered.begin(), covered.end(), [](bool c) { return c; }));
    // The right cap comes last and ends at the target's right edge.
    if (rc > 0) {
        Check(parts.back().Dest.Right == width && parts.back().Source.Right == cellWidth);
    }
}

void Region(FuzzedDataProvider& data) {
    const int width = data.ConsumeIntegralInRange(-1, 24), height = data.ConsumeIntegralInRange(-1, 24);
    const int stride = std::max(width, 0) + data.ConsumeIntegralInRange(-1, 3);
    static constexpr std::uint32_t palette[] = {0xFF00FF, 0xFF01FF, 0xFE00FF,   0xFF00FE,  0xFF02FF,
                                                0x000000, 0xFFFFFF, 0xFF01FF00, 0x12FF00FF};
    const size_t count = size_t(std::max(stride, 0)) * size_t(std::max(height, 0));
    std::vector<std::uint32_t> pixels(count);
    for (std::uint32_t& pixel : pixels)
        pixel = data.ConsumeBool() ? palette[data.ConsumeIntegralInRange<size_t>(0, std::size(palette) - 1)]
                                   : data.ConsumeIntegral<std::uint32_t>();
    const std::uint32_t key = data.ConsumeBool() ? 0xFF00FF : data.ConsumeIntegral<std::uint32_t>();
    const int tolerance = data.ConsumeBool() ? 1 : Value(data);
    const bool farOff = data.ConsumeBool();
    const int dx = farOff ? Value(data) : data.ConsumeIntegralInRange(-500, 500);
    const int dy = farOff ? Value(data) : data.ConsumeIntegralInRange(-500, 500);
    const std::vector<TRegionRun> runs = ScanOpaqueRuns(pixels.empty() ? nullptr : pixels.data(), width,
                                                        height, stride, key, tolerance, dx, dy);
    if (width < 1 || height < 1 || stride < width) {
        Check(runs.empty());
        return;
    }
    for (const TRegionRun& run : runs)
        Check(Ordered(run));
    if (farOff)
        return; // clamped at the ends of the range: only safety counts

    // The reference: a pixel is transparent when every channel lies in [key, key + tolerance].
    auto transparent = [&](std::uint32_t pixel) {
        for (int shift = 0; shift < 24; shift += 8) {
            const Wide k = (key >> shift) & 0xFF, v = (pixel >> shift) & 0xFF;
            if (v < k || v > std::min<Wide>(k + tolerance, 255))
                return false;
        }
        return true;
    };
    std::vector<int> cover(size_t(width) * size_t(height), 0);
    for (const TRegionRun& run : runs) {
        Check(run.Bottom - run.Top == 1 && run.Right > run.Left);
        Check(Inside(run, dx, dy, Wide(dx) + width, Wide(dy) + height));
        const int row = run.Top - dy;
        for (int x = run.Left - dx; x < run.Right - dx; ++x)
            ++cover[size_t(row) * size_t(width) + size_t(x)];
        // Maximal: the pixels just outside are transparent or the image's edge.
        const std::uint32_t* line = pixels.data() + size_t(row) * size_t(stride);
        Check(run.Left - dx == 0 || transparent(line[run.Left - dx - 1]));
        Check(run.Right - dx == width || transparent(line[run.Right - dx]));
    }
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const int expected = transparent(pixels[size_t(row) * size_t(stride) + size_t(x)]) ? 0 : 1;
            Check(cover[size_t(row) * size_t(width) + size_t(x)] == expected);
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
        Frame(data);
        break;
    case 1:
        Buttons(data);
        break;
    case 2:
        Strip(data);
        break;
    default:
        Region(data);
        break;
    }
    return 0;
}
