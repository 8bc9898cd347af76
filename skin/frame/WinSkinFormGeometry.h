#pragma once
// The arithmetic of a skinned window frame: border widths from the skin's images, the client
// area inside them, the hit test, which caption buttons show and where, where the title goes,
// the pieces of a three-part strip, and the opaque runs of a border image from which the
// window region is built. Plain functions without windows.h, so that they can be checked (and
// fuzzed with hostile skins) natively.

#include <climits>
#include <cstdint>
#include <functional>
#include <vector>

struct TFrameRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    // Extents saturate at the ends of the int range instead of wrapping around.
    int Width() const { return Saturate(static_cast<long long>(Right) - Left); }
    int Height() const { return Saturate(static_cast<long long>(Bottom) - Top); }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool operator==(const TFrameRect&) const = default;

  private:
    static int Saturate(long long value) {
        return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
    }
};

// The window's size state as the frame tracks it.
enum class TWindowState { wsNormal = 0, wsMaximized = 1, wsMinimized = 2 };
using enum TWindowState;

// How a window's frame is drawn, from its styles.
enum TBorderKind { bkSizeable = 0, bkSingle = 1, bkNone = 2, bkDialog = 3 };

// Style bits that decide the border kind (values of the window styles).
TBorderKind BorderKindFromStyles(std::uint32_t style, std::uint32_t exStyle, bool isSystemDialog);

// Size and cell count of one frame piece's image.
struct TFramePieceImage {
    int Width = 0;
    int Height = 0;
    int Frames = 1; // state cells: stacked for the top and bottom pieces, side by side for the sides
};

struct TFrameWidths {
    int Left = 0;
    int Caption = 0; // the whole top piece: top border and caption together
    int Right = 0;
    int Bottom = 0;
    int Menu = 0; // menu bar strip below the caption, 0 without one
    bool operator==(const TFrameWidths&) const = default;
};

// The skin's widths: caption = top image height / its cells, sides = width / cells, bottom =
// height / cells. A cell count below 1 counts as 1, an image size below 1 gives 0 (which the
// usability check below rejects for the caption).
TFrameWidths FrameWidthsFromImages(const TFramePieceImage& left, const TFramePieceImage& top,
                                   const TFramePieceImage& right, const TFramePieceImage& bottom);

// Whether a skin's frame leaves a usable window: a caption at least MinCaption high (the
// caption is where the window is moved and closed from), no negative width, and borders plus
// caption that leave room for the client area of a window of the given size (when the window
// size is not yet known pass 0 for both and only the widths are checked). A frame that fails
// is not applied: the window keeps the system frame. Every border and the menu strip must lie
// within 0..MaxSkinBorder, the caption within MinSkinCaption..MaxSkinBorder; with a window size
// the borders may fill the window but not exceed it. (A window of border kind bkNone has no
// frame at all and is not checked.)
constexpr int MinSkinCaption = 8;
constexpr int MaxSkinBorder = 256;
bool FrameWidthsUsable(const TFrameWidths& widths, int windowWidth = 0, int windowHeight = 0);

// The frame's pieces in window coordinates for a W x H window. A piece that would be inverted
// (borders wider than the window) is collapsed to zero size at its top-left corner.
struct TFrameLayout {
    TFrameRect LeftBorder, RightBorder, Caption, BottomBorder, MenuStrip, Client;
};
TFrameLayout FrameLayout(const TFrameWidths& widths, int windowWidth, int windowHeight);

// The client rectangle (screen or parent coordinates) the frame answers to WM_NCCALCSIZE for a
// window proposed at (x, y, cx, cy). A rectangle that would be inverted is collapsed to zero
// size at its top-left corner.
TFrameRect NcCalcClientRect(const TFrameWidths& widths, int x, int y, int cx, int cy);

// The window size that gives a client area of clientWidth x clientHeight under the frame.
void WindowSizeForClient(const TFrameWidths& widths, int clientWidth, int clientHeight, int& windowWidth,
                         int& windowHeight);

// Hit-test codes used by the frame.
constexpr int HitNowhere = 0;
constexpr int HitCaption = 2;
constexpr int HitMenu = 5;
// The frame's answer after the previous window procedure answered previousCode for a point at
// (x, y) in window coordinates: nowhere or caption become caption below the top three rows
// (y >= 3), and menu inside the menu strip (Caption <= y < Caption + Menu, when Menu > 0);
// every other answer stays.
int FrameHitTest(int previousCode, int x, int y, const TFrameWidths& widths);

// ---- Caption buttons

// What the visibility rules ask of a window.
struct TCaptionFacts {
    bool Maximized = false;
    bool Minimized = false;
    bool Active = true;
    bool HasSystemMenu = false;
    bool HasMinimizeBox = false;
    bool HasMaximizeBox = false;
    bool HasHelpButton = false;
    bool IsSystemDialog = false;
    TBorderKind BorderKind = bkSizeable;
    // An MDI frame whose active child is maximized and which has a skinned menu bar.
    bool MdiChildMaximizedWithMenuBar = false;
};

struct TCaptionButtonInfo {
    int Action = 0;
    int Align = 0;
    int XCoord = 0;
    int YCoord = 0;
    int Visibility = 0;
    int Visibility1 = 0;
    int ImageWidth = 0;
    int ImageHeight = 0;
    int Frames = 1; // cells side by side
};

struct TCaptionButtonState {
    bool Visible = false;
    bool Enabled = true;
};

// The application's answer to the visibility question for codes 1000..2000 (code, action).
using TButtonVisibleQuery = std::function<int(int code, int action)>;

// Evaluates Visibility and Visibility1, combines them, and adjusts by the action (close needs
// a system menu; maximize and minimize are disabled without their box; icon buttons hide on
// dialog frames). Visibility -1 hides.
TCaptionButtonState EvaluateCaptionButton(const TCaptionButtonInfo& button, const TCaptionFacts& facts,
                                          const TButtonVisibleQuery& query = {});

// Where a visible button with an image goes, by its Align, for a W-wide window whose title was
// last drawn in titleRect. menuBarLeftWidth: the MenuBar element's left margin, or 0.
// A button whose image is empty or has a cell width below 1 gets an empty rectangle.
TFrameRect LayoutCaptionButton(const TCaptionButtonInfo& button, int windowWidth, const TFrameRect& titleRect,
                               const TFrameWidths& widths, int menuBarLeftWidth);

// Hint text by action ("Close", "Maximize", "Minimize", "Restore"), or null for none.
const char* CaptionButtonHint(int action);

// ---- Title

struct TTitleMetrics {
    int TextShift = 0;
    int TextShiftVert = 0;
    int TextRightClip = 0;
    int TextAlignment = 0;
    int TextBackLeft = 0;
    int TextBackRight = 0;
};

// Where the title text goes inside the caption piece rectangle captionRect, given the measured
// text width and height (textWidth already includes nothing of the back image's caps).
// reservedRight: the largest XCoord of visible right-anchored buttons. The result is the
// title rectangle including the back image's caps (TitleRect); the text itself is drawn inside
// it less TextBackLeft and TextBackRight.
TFrameRect LayoutTitle(const TFrameRect& captionRect, int textWidth, int textHeight,
                       const TTitleMetrics& metrics, int reservedRight, bool rightToLeft, bool popup,
                       TBorderKind borderKind);

// How a system dialog is widened so that its whole title shows: the title needs TextShift +
// its text width + TextRightClip; a narrower dialog grows to that width (at most MaxDialogWidth:
// no window is wider) and its controls move right by half the growth. Computed wide, so that
// no skin value overflows; a dialog wide enough keeps its width and shift 0.
constexpr int MaxDialogWidth = 32767;
struct TDialogTitleFit {
    int Width = 0;
    int Shift = 0;
    bool operator==(const TDialogTitleFit&) const = default;
};
TDialogTitleFit FitDialogToTitle(int width, int textShift, int textWidth, int textRightClip);

// ---- The caption's layout

// The caption piece of a W-wide window, at least one pixel wide: between the side borders, or
// across the whole window when it is minimized (it then shows its caption only).
TFrameRect CaptionPieceRect(int windowWidth, bool minimized, const TFrameWidths& widths);

// One caption button as the layout sees it: its description and whether it shows now.
struct TCaptionButtonSlot {
    TCaptionButtonInfo Info;
    bool Visible = false;
};

// Everything the caption's layout depends on.
struct TCaptionLayoutInput {
    int WindowWidth = 0;
    bool Minimized = false;
    TFrameWidths Widths;
    // The title text, prefix and suffix included, as measured in the caption font.
    int TitleWidth = 0;
    int TitleHeight = 0;
    TTitleMetrics Title;
    bool RightToLeft = false;
    bool Popup = false;
    TBorderKind BorderKind = bkSizeable;
    int MenuBarLeftWidth = 0; // the MenuBar element's left margin, or 0
    std::vector<TCaptionButtonSlot> Buttons;
};

// A button has a place when it shows and has an image; one without keeps the one it had.
struct TCaptionButtonPlace {
    bool Placed = false;
    TFrameRect Bounds;
    bool operator==(const TCaptionButtonPlace&) const = default;
};

// Where everything of the caption goes, in window coordinates. Painting draws it there and the
// mouse handling finds the buttons there, so neither depends on the other having run.
struct TCaptionLayout {
    TFrameRect Caption;
    // The largest XCoord of the right-anchored buttons that show (the title stays clear of it).
    int ReservedRight = 0;
    TFrameRect Title;
    std::vector<TCaptionButtonPlace> Buttons; // one per input button, in its order
};

// The title is placed first; buttons anchored to the title follow it.
TCaptionLayout CaptionLayout(const TCaptionLayoutInput& input);

// ---- Three-part strip

// One stretched copy from the image cell (source, relative to the cell's top-left) to the
// target bitmap (destination).
struct TStripPart {
    TFrameRect Source;
    TFrameRect Dest;
    bool operator==(const TStripPart&) const = default;
};

// The copies that draw a cellWidth x cellHeight cell into a width x height target with end
// caps leftCap and rightCap wide: the left cap, then middle copies while x < width - rightCap,
// then the right cap last. No middle copies when the cell is not wider than both caps. Caps
// wider than the cell are clamped to it; nothing for an empty target or cell. Copies are 1:1
// across (source and destination equally wide) and stretched only vertically; what would fall
// outside the target is clipped off (source and destination alike), so every part lies inside
// both the cell and the target. A target wider than MaxStripExtent gets nothing (no window is
// that wide; it would only ask for an endless list of middle copies).
constexpr int MaxStripExtent = 32767;
std::vector<TStripPart> ThreePartStrip(int cellWidth, int cellHeight, int width, int height, int leftCap,
                                       int rightCap);

// ---- Region scan

// One opaque run: a rectangle one pixel high.
using TRegionRun = TFrameRect;

// The maximal runs of non-transparent pixels, row by row, of a 32-bit top-down image
// (0x00RRGGBB per pixel, stride in pixels), moved by (dx, dy). A pixel is transparent when each
// of its red, green and blue values lies between the key's and that value plus the tolerance
// (capped at 255); a negative tolerance makes every pixel opaque. key is 0x00RRGGBB; the top
// byte of pixels and key is ignored. Nothing for a null image, an empty size or a stride below
// the width.
std::vector<TRegionRun> ScanOpaqueRuns(const std::uint32_t* pixels, int width, int height, int stride,
                                       std::uint32_t key, int tolerance, int dx, int dy);

// Runs are handed to the system in blocks of at most this many rectangles.
constexpr int RegionBlockSize = 2000;

// ---- Tool-bar buttons

// The custom-draw state bits of a tool-bar button (the system's CDIS_ values).
constexpr unsigned cdsSelected = 0x1, cdsGrayed = 0x2, cdsDisabled = 0x4, cdsChecked = 0x8, cdsFocus = 0x10,
                   cdsDefault = 0x20, cdsHot = 0x40;

// The cell of the skin's Buttons image a tool-bar button in that state is painted with: 2
// pressed, 4 hot or focused, 1 for the default button unless it is disabled; 0: nothing painted.
int ToolbarButtonCell(unsigned state);
