// The skinned scroll bars on real windows: a skinned form with a list box, a memo with both
// bars, stand-alone scroll bars and a list view; bare list boxes of a plain window. The overlays
// must lie exactly on the native bars, show the skin's cells, hand presses to the native bar
// (which scrolls and repeats) and follow the control.
//
// Expected pixels come from the skin's images. Arrows and stretched tracks are scaled from their
// cell to the system's sizes, so such a pixel must be one of the cell's pixels around the one it
// is taken from (whatever rounding the stretch uses); tiled tracks and the thumb's edge are
// copied 1:1 and must match exactly.
#include "GuiObjects.h"
#include "MapSkinSource.h"
#include "SkinActions.h"
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "BmpCodec.h"
#include "Handles.h"

#include "ComCtrls.h"
#include "Edit.h"
#include "Form.h"
#include "ImageList.h"
#include "ListControls.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinIni.h"
#include "WinSkinStore.h"
#include "WinSubClass.h"
#include "WinSubClassGeometry.h"
#include "WinSubClassScroll.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr TColor Magenta = 0xFF00FF;

std::string Hex(TColor c) {
    std::ostringstream out;
    out << std::hex << "0x" << static_cast<unsigned>(c);
    return out.str();
}

TColor Face(const TSkinData& skin) {
    return static_cast<TColor>(ColorToRGB(skin.Colour(scButtonFace)));
}

// The pixels of one cell of an image of `cells` cells side by side.
struct TCellView {
    const TBitmap* Image = nullptr;
    int Left = 0, Width = 0, Height = 0;
    TColor At(int x, int y) const { return Image->PixelColor(Left + x, y); }
};

TCellView CellOf(const TBitmap& image, int cells, int cell) {
    const TFrameRect r = StripCellRect(image.Width(), image.Height(), cells, cell);
    return TCellView{&image, r.Left, r.Width(), r.Height()};
}

// Empty when the area (x, y, w, h) of the shot shows the cell stretched over it; else the first
// difference. `behind` replaces magenta. Counts the pixels checked into checked.
std::string StretchedCellDifference(const TBitmap& shot, int x0, int y0, int w, int h, const TCellView& cell,
                                    TColor behind, int* checked = nullptr) {
    int count = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // The source pixel of the centre of the target pixel; a stretch may round to a
            // neighbour of it, so any of the 3 x 3 around it will do.
            const int sx = (2 * x + 1) * cell.Width / (2 * w), sy = (2 * y + 1) * cell.Height / (2 * h);
            const TColor got = shot.PixelColor(x0 + x, y0 + y);
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const int cx = sx + dx, cy = sy + dy;
                    if (cx < 0 || cy < 0 || cx >= cell.Width || cy >= cell.Height)
                        continue;
                    TColor want = cell.At(cx, cy);
                    if (want == Magenta)
                        want = behind;
                    found = got == want;
                }
            ++count;
            if (!found) {
                TColor want = cell.At(sx, sy);
                return "at (" + std::to_string(x) + ", " + std::to_string(y) + "): " + Hex(got) +
                       " instead of " + Hex(want == Magenta ? behind : want);
            }
        }
    if (checked)
        *checked = count;
    return std::string();
}

RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string RectText(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
           ", " + std::to_string(r.bottom) + ")";
}

// The first window lies above the second among their siblings.
bool Above(HWND upper, HWND lower) {
    for (HWND next = GetWindow(upper, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT))
        if (next == lower)
            return true;
    return false;
}

RECT NativeBar(HWND window, LONG object) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    GetScrollBarInfo(window, object, &info);
    return info.rcScrollBar;
}

// Runs the steps one after another from a thread timer, while a tracking loop of the system
// (which dispatches timers) holds the thread. Each step runs `interval` ms after the previous.
class TTimedSteps {
  public:
    TTimedSteps(unsigned interval, std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, interval, &TTimedSteps::Tick);
    }
    ~TTimedSteps() {
        if (timer_)
            KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Done() const { return next_ >= steps_.size(); }

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TTimedSteps* self = current_;
        if (!self || self->Done())
            return;
        self->steps_[self->next_++]();
    }
    static inline TTimedSteps* current_ = nullptr;
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
};

// Client coordinates of a screen point of a window, as an lParam.
LPARAM ClientParam(HWND window, POINT screen) {
    ScreenToClient(window, &screen);
    return MAKELPARAM(screen.x, screen.y);
}

// What the screen shows of a rectangle given in screen coordinates.
std::unique_ptr<TBitmap> ScreenArea(const RECT& r) {
    auto bitmap = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top, pf24bit);
    TWindowDC screen(nullptr);
    BitBlt(bitmap->MemoryDC(), 0, 0, r.right - r.left, r.bottom - r.top, screen.Get(), r.left, r.top,
           SRCCOPY);
    GdiFlush();
    return bitmap;
}

int TopIndexOf(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
}

LRESULT CALLBACK PlainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, msg, wParam, lParam);
}

HWND MakePlainWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = "PPScrollPlain";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "PPScrollPlain", "Plain", WS_POPUP | WS_CAPTION | WS_VISIBLE, 560, 120, 260,
                           260, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND MakeBareList(HWND parent, int items) {
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, 10, 10, 160, 150, parent,
                                reinterpret_cast<HMENU>(100), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    for (int i = 0; i < items; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("Line " + std::to_string(i)).c_str()));
    return list;
}

} // namespace

class SkinScrollTest : public TSkinnedUiTest {
  protected:
    void SetUp() override {
        SetUpSkin(0);
        if (HasFatalFailure())
            return;
        KeepDiscoveryAway("PPScrollPlain");
        arrow_ = GetSystemMetrics(SM_CXHSCROLL);
    }
    void TearDown() override {
        forms_.clear();
        TSkinnedUiTest::TearDown();
    }

    // A skinned form: a list box of 300 lines, a memo with both bars, a horizontal and a vertical
    // stand-alone scroll bar.
    TForm& MakeForm() {
        forms_.emplace_back(new TForm(&TestApplication()));
        TForm& form = *forms_.back();
        form.SetBounds(60, 60, 460, 330);
        list_ = new TListBox(&form);
        list_->SetParent(&form);
        list_->SetBounds(10, 10, 150, 160);
        for (int i = 0; i < 300; ++i)
            list_->Items().Add("Line " + std::to_string(i));
        memo_ = new TMemo(&form);
        memo_->SetParent(&form);
        memo_->SetBounds(170, 10, 200, 160);
        memo_->SetWordWrap(false);
        memo_->SetScrollBars(ssBoth);
        std::vector<std::string> lines;
        for (int i = 0; i < 80; ++i)
            lines.push_back("Memo line " + std::to_string(i) + std::string(60, 'x'));
        memo_->SetLines(lines);
        hbar_ = new TScrollBar(&form);
        hbar_->SetParent(&form);
        hbar_->SetBounds(10, 190, 220, GetSystemMetrics(SM_CYHSCROLL));
        hbar_->SetParams(0, 0, 100, 10);
        hbar_->SetLargeChange(10);
        vbar_ = new TScrollBar(&form);
        vbar_->SetParent(&form);
        vbar_->SetKind(sbVertical);
        vbar_->SetBounds(390, 10, GetSystemMetrics(SM_CXVSCROLL), 160);
        vbar_->SetParams(0, 5, 5);
        form.Show();
        SetForegroundWindow(form.Handle());
        EXPECT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form.Handle()) != nullptr; }));
        frame_ = SkinManager()->FindFrame(form.Handle());
        PumpPending();
        return form;
    }

    template <class T> T* SkinBars(TWinControl* control) {
        auto* adapter = new T(control);
        adapter->AttachScrollbar(control, skin_.get(), frame_, nullptr);
        PumpPending();
        return adapter;
    }
    TSkinScControl* SkinControl(TScrollBar* bar) {
        auto* adapter = new TSkinScControl(bar);
        adapter->AttachScControl(bar, skin_.get(), frame_, nullptr);
        PumpPending();
        return adapter;
    }
    void UseSkin(int index) {
        skin_->LoadFromStore(*store_, index);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    HWND Plain() {
        plain_.push_back(MakePlainWindow());
        return plain_.back();
    }
    const TDataSkinObject& Element(TSkinSlot slot) const {
        const TDataSkinObject* element = skin_->Slot(slot);
        EXPECT_NE(element, nullptr) << SkinSlotName(slot);
        return *element;
    }
    // The overlay as it is on the screen, after a repaint of it.
    std::unique_ptr<TBitmap> Shot(TWScrollbar* bar) {
        bar->Refresh();
        return CaptureClient(bar->Handle());
    }
    // Where a vertical overlay's arrow cells (first at the top, second at the bottom) must show.
    std::string ArrowDifference(const TBitmap& shot, bool vertical, int firstCell, int secondCell) {
        const TDataSkinObject& strip = Element(ssScrollbar);
        const int width = shot.Width(), height = shot.Height();
        const int length = vertical ? height : width;
        const int across = vertical ? width : height;
        const int arrow = length < 2 * arrow_ ? length / 2 : arrow_;
        int checked = 0;
        std::string first =
            vertical ? StretchedCellDifference(shot, 0, 0, across, arrow, CellOf(strip.Bitmap, 23, firstCell),
                                               Face(*skin_), &checked)
                     : StretchedCellDifference(shot, 0, 0, arrow, across, CellOf(strip.Bitmap, 23, firstCell),
                                               Face(*skin_), &checked);
        if (!first.empty())
            return "first arrow, cell " + std::to_string(firstCell) + " " + first;
        if (checked < 20)
            return "first arrow: only " + std::to_string(checked) + " pixels checked";
        std::string second =
            vertical ? StretchedCellDifference(shot, 0, length - arrow, across, arrow,
                                               CellOf(strip.Bitmap, 23, secondCell), Face(*skin_), &checked)
                     : StretchedCellDifference(shot, length - arrow, 0, arrow, across,
                                               CellOf(strip.Bitmap, 23, secondCell), Face(*skin_), &checked);
        if (!second.empty())
            return "second arrow, cell " + std::to_string(secondCell) + " " + second;
        return std::string();
    }
    // The track between the arrows shows cell `cell` of HorzScroll/VertScroll where the thumb is
    // not (checked along the first and last rows of the track, away from the thumb).
    std::string TrackDifference(const TBitmap& shot, bool vertical, int cell, int thumbStart, int thumbEnd) {
        const TDataSkinObject& track = Element(vertical ? ssVertScroll : ssHorzScroll);
        const TCellView view = CellOf(track.Bitmap, 4, cell);
        const int length = vertical ? shot.Height() : shot.Width();
        const int across = vertical ? shot.Width() : shot.Height();
        const int trackLength = length - 2 * arrow_;
        const bool tile = Element(ssHorzScroll).Tile == 1;
        for (int a = 0; a < trackLength; ++a) {
            const int along = arrow_ + a;
            if (along >= thumbStart - 1 && along <= thumbEnd)
                continue;
            for (int c = 0; c < across; ++c) {
                int sx = 0, sy = 0;
                const int x = vertical ? c : a, y = vertical ? a : c;
                const int w = vertical ? across : trackLength, h = vertical ? trackLength : across;
                if (tile) {
                    sx = x % view.Width;
                    sy = y % view.Height;
                } else {
                    sx = (2 * x + 1) * view.Width / (2 * w);
                    sy = (2 * y + 1) * view.Height / (2 * h);
                }
                const TColor got = vertical ? shot.PixelColor(c, along) : shot.PixelColor(along, c);
                bool found = false;
                const int reach = tile ? 0 : 1;
                for (int dy = -reach; dy <= reach && !found; ++dy)
                    for (int dx = -reach; dx <= reach && !found; ++dx) {
                        const int cx = sx + dx, cy = sy + dy;
                        if (cx < 0 || cy < 0 || cx >= view.Width || cy >= view.Height)
                            continue;
                        TColor candidate = view.At(cx, cy);
                        if (track.Trans == 1 && candidate == Magenta)
                            candidate = Face(*skin_);
                        found = got == candidate;
                    }
                const TColor want = view.At(sx, sy);
                if (!found)
                    return "track cell " + std::to_string(cell) + " at " + std::to_string(along) + "/" +
                           std::to_string(c) + ": " + Hex(got) + " instead of " + Hex(want);
            }
        }
        return std::string();
    }
    // The thumb's leading edge (its first margin rows, or columns) is the thumb cell's, copied
    // 1:1 across a thumb as thick as the cell, where the cell is not magenta.
    std::string ThumbCornerDifference(const TBitmap& shot, bool vertical, int cell, int thumbStart,
                                      int thumbEnd) {
        const TDataSkinObject& horz = Element(ssHorzScrollThumb);
        const TDataSkinObject& thumb = Element(vertical ? ssVertScrollThumb : ssHorzScrollThumb);
        const int cells = horz.Frame < 1 ? 1 : horz.Frame;
        const TCellView view = CellOf(thumb.Bitmap, cells, cell);
        const int margin = std::min(vertical ? thumb.TopHeight : thumb.LeftWidth, 3);
        const int thickness = Element(ssScrollbar).Bitmap.Height();
        const int acrossCell = vertical ? view.Width : view.Height;
        const int across =
            std::min(acrossCell == thickness ? acrossCell : std::min(thumb.LeftWidth, thumb.TopHeight),
                     vertical ? shot.Width() : shot.Height());
        const int lead = vertical ? thumb.TopHeight : thumb.LeftWidth;
        const int trail = vertical ? thumb.BottomHeight : thumb.RightWidth;
        if (thumbEnd - thumbStart < lead + trail)
            return "the thumb is shorter than its margins";
        int checked = 0;
        for (int a = 0; a < margin; ++a)
            for (int c = 0; c < across; ++c) {
                const int x = vertical ? c : a, y = vertical ? a : c;
                const TColor want = view.At(x, y);
                if (want == Magenta)
                    continue;
                const TColor got =
                    vertical ? shot.PixelColor(x, thumbStart + y) : shot.PixelColor(thumbStart + x, y);
                ++checked;
                if (got != want)
                    return "thumb cell " + std::to_string(cell) + " corner (" + std::to_string(x) + ", " +
                           std::to_string(y) + "): " + Hex(got) + " instead of " + Hex(want);
            }
        if (checked == 0)
            return "no thumb corner pixel to check";
        return std::string();
    }
    std::vector<TOwnedComponent<TForm>> forms_;
    TWinSkinForm* frame_ = nullptr;
    TListBox* list_ = nullptr;
    TMemo* memo_ = nullptr;
    TScrollBar* hbar_ = nullptr;
    TScrollBar* vbar_ = nullptr;
    int arrow_ = 16;
};

TEST_F(SkinScrollTest, OverlaysLieExactlyOnTheNativeBarsAndAboveTheirControl) {
    MakeForm();
    auto* listSkin = SkinBars<TSkinScrollbar>(list_);
    auto* memoSkin = SkinBars<TSkinScrollbar>(memo_);
    ASSERT_NE(listSkin->VerticalBar(), nullptr);
    ASSERT_NE(memoSkin->HorizontalBar(), nullptr);
    EXPECT_EQ(frame_->Adapters().size(), 2u);
    EXPECT_EQ(SendMessageA(list_->Handle(), SKM_ISSKINNED, 0, 0), 1);

    // The list box has only a vertical bar; the memo both.
    EXPECT_TRUE(listSkin->VerticalBar()->Shown());
    EXPECT_FALSE(listSkin->HorizontalBar()->Shown());
    EXPECT_FALSE(IsWindowVisible(listSkin->HorizontalBar()->Handle()));
    for (TWScrollbar* bar : {listSkin->VerticalBar(), memoSkin->VerticalBar(), memoSkin->HorizontalBar()}) {
        SCOPED_TRACE(bar->Vertical() ? "vertical" : "horizontal");
        ASSERT_TRUE(bar->Shown());
        EXPECT_TRUE(IsWindowVisible(bar->Handle()));
        const RECT native = NativeBar(bar->TargetWindow(), bar->Vertical() ? OBJID_VSCROLL : OBJID_HSCROLL);
        EXPECT_TRUE(SameRect(WindowRectOf(bar->Handle()), native))
            << RectText(WindowRectOf(bar->Handle())) << " over " << RectText(native);
        // Above its control, a tool window that takes no tab stop.
        EXPECT_TRUE(Above(bar->Handle(), bar->TargetWindow()));
        EXPECT_EQ(GetParent(bar->Handle()), GetParent(bar->TargetWindow()));
        EXPECT_TRUE(GetWindowLongA(bar->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        EXPECT_FALSE(GetWindowLongA(bar->Handle(), GWL_STYLE) & WS_TABSTOP);
        EXPECT_EQ(bar->Length(), bar->Vertical() ? native.bottom - native.top : native.right - native.left);
        EXPECT_EQ(bar->ArrowSize(), arrow_);
    }
    // The memo's corner between its bars shows ButtonFace; its border is the skin's flat one.
    auto window = CaptureWindow(memo_->Handle());
    const RECT vertical = WindowRectOf(memoSkin->VerticalBar()->Handle());
    const RECT horizontal = WindowRectOf(memoSkin->HorizontalBar()->Handle());
    const RECT outer = WindowRectOf(memo_->Handle());
    const int cornerX = (vertical.left + vertical.right) / 2 - outer.left;
    const int cornerY = (horizontal.top + horizontal.bottom) / 2 - outer.top;
    EXPECT_EQ(window->PixelColor(cornerX, cornerY), Face(*skin_));
    EXPECT_TRUE(memoSkin->HasBorder());
    EXPECT_EQ(window->PixelColor(0, 40), static_cast<TColor>(ColorToRGB(skin_->Colour(scButtonShadow))));
    EXPECT_EQ(window->PixelColor(1, 40), Face(*skin_));
    // The frame's paint request gets the same border.
    EXPECT_EQ(SendMessageA(memo_->Handle(), SKM_PAINTFRAME, 0, SKIN_MAGIC), SKIN_MAGIC);
}

TEST_F(SkinScrollTest, ArrowsTrackAndThumbComeFromTheSkinInThreeSkins) {
    MakeForm();
    auto* listSkin = SkinBars<TSkinScrollbar>(list_);
    auto* memoSkin = SkinBars<TSkinScrollbar>(memo_);
    // Few enough lines for a thumb longer than its margins: its edge is then copied 1:1.
    list_->Items().Clear();
    for (int i = 0; i < 30; ++i)
        list_->Items().Add("Line " + std::to_string(i));
    list_->SetTopIndex(10);
    PumpPending();
    for (int index : {0, 3, 5}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        for (TWScrollbar* bar : {listSkin->VerticalBar(), memoSkin->HorizontalBar()}) {
            SCOPED_TRACE(bar->Vertical() ? "vertical" : "horizontal");
            auto shot = Shot(bar);
            const bool v = bar->Vertical();
            EXPECT_EQ(ArrowDifference(*shot, v, v ? 9 : 1, v ? 13 : 5), "");
            EXPECT_GT(bar->ThumbEnd(), bar->ThumbStart());
            EXPECT_EQ(TrackDifference(*shot, v, 1, bar->ThumbStart(), bar->ThumbEnd()), "");
            EXPECT_EQ(ThumbCornerDifference(*shot, v, 1, bar->ThumbStart(), bar->ThumbEnd()), "");
        }
    }
}

// A skin change repaints the form once: each overlay paints once, not once for its own adapter
// and again for the form.
TEST_F(SkinScrollTest, ASkinChangePaintsEachOverlayOnce) {
    MakeForm();
    auto* listSkin = SkinBars<TSkinScrollbar>(list_);
    auto* memoSkin = SkinBars<TSkinScrollbar>(memo_);
    PumpPending();
    const std::vector<TWScrollbar*> bars{listSkin->VerticalBar(), memoSkin->VerticalBar(),
                                         memoSkin->HorizontalBar()};
    std::vector<unsigned> before;
    for (TWScrollbar* bar : bars)
        before.push_back(bar->PaintCount());
    UseSkin(3);
    for (size_t i = 0; i < bars.size(); ++i)
        EXPECT_EQ(bars[i]->PaintCount(), before[i] + 1) << "bar " << i;
}

// A thumb shorter than its two end caps shows both ends of its outline (shortened), not the
// whole cell squeezed: the rows at its two ends are the cell's first and last rows.
TEST_F(SkinScrollTest, AThumbShorterThanItsEndsShowsBothEnds) {
    MakeForm();
    std::vector<std::string> lines(3000, "line");
    memo_->SetLines(lines);
    auto* memoSkin = SkinBars<TSkinScrollbar>(memo_);
    UseSkin(3);
    TWScrollbar* bar = memoSkin->VerticalBar();
    ASSERT_TRUE(bar && bar->Shown());
    const TDataSkinObject& thumb = Element(ssVertScrollThumb);
    const int length = bar->ThumbEnd() - bar->ThumbStart();
    ASSERT_LT(length, thumb.TopHeight + thumb.BottomHeight) << "the thumb is not short enough to check";
    const TDataSkinObject& horz = Element(ssHorzScrollThumb);
    const TCellView view = CellOf(thumb.Bitmap, horz.Frame < 1 ? 1 : horz.Frame, 1);
    auto shot = Shot(bar);
    int checked = 0;
    // Across the bar the cell lies 1:1 when it is as wide as the bar, else only its left edge.
    const int columns = view.Width == shot->Width() ? view.Width : std::min(thumb.LeftWidth, shot->Width());
    // At least this many rows of each end stand 1:1 at the thumb's two ends.
    const int rows =
        length * std::min(thumb.TopHeight, thumb.BottomHeight) / (thumb.TopHeight + thumb.BottomHeight);
    ASSERT_GT(rows, 0);
    for (int x = 0; x < columns; ++x)
        for (int r = 0; r < rows; ++r)
            for (const auto& [from, to] : {std::pair{r, bar->ThumbStart() + r},
                                           std::pair{view.Height - 1 - r, bar->ThumbEnd() - 1 - r}}) {
                const TColor want = view.At(x, from);
                if (want == Magenta)
                    continue;
                ++checked;
                EXPECT_EQ(Hex(shot->PixelColor(x, to)), Hex(want)) << "column " << x << ", cell row " << from;
            }
    EXPECT_GT(checked, 0) << "cell " << view.Width << " wide, bar " << shot->Width();
}

TEST_F(SkinScrollTest, HotPartsShowTheirCellsAndLeavingClearsThem) {
    MakeForm();
    auto* listSkin = SkinBars<TSkinScrollbar>(list_);
    TWScrollbar* bar = listSkin->VerticalBar();
    HWND overlay = bar->Handle();
    PostMouse(overlay, WM_MOUSEMOVE, 5, 3);
    PumpPending();
    EXPECT_EQ(bar->HotPart(), spFirstArrow);
    EXPECT_EQ(ArrowDifference(*Shot(bar), true, 12, 13), "");
    PostMouse(overlay, WM_MOUSEMOVE, 5, bar->Length() - 3);
    PumpPending();
    EXPECT_EQ(bar->HotPart(), spSecondArrow);
    EXPECT_EQ(ArrowDifference(*Shot(bar), true, 9, 16), "");
    PostMouse(overlay, WM_MOUSEMOVE, 5, (bar->ThumbStart() + bar->ThumbEnd()) / 2);
    PumpPending();
    EXPECT_EQ(bar->HotPart(), spThumb);
    EXPECT_EQ(ThumbCornerDifference(*Shot(bar), true, 3, bar->ThumbStart(), bar->ThumbEnd()), "");
    PostMessageA(overlay, WM_MOUSELEAVE, 0, 0);
    PumpPending();
    EXPECT_EQ(bar->HotPart(), spNone);
    EXPECT_EQ(ArrowDifference(*Shot(bar), true, 9, 13), "");
}

TEST_F(SkinScrollTest, AHeldArrowRepeatsAndStaysPressedAClickScrollsOneLine) {
    MakeForm();
    auto* listSkin = SkinBars<TSkinScrollbar>(list_);
    TWScrollbar* bar = listSkin->VerticalBar();
    HWND list = list_->Handle();
    ASSERT_EQ(TopIndexOf(list), 0);

    // A click: the release is already waiting when the native bar starts tracking.
    PostMouse(bar->Handle(), WM_LBUTTONDOWN, 5, bar->Length() - 4, MK_LBUTTON);
    PostMessageA(list, WM_LBUTTONUP, 0, 0);
    PumpPending();
    EXPECT_EQ(TopIndexOf(list), 1);
    EXPECT_FALSE(bar->Pressed());

    // Held for a while: the native bar repeats; meanwhile the arrow shows its pressed cell.
    int heldPart = -2;
    bool heldPressed = false;
    std::string heldCells = "not seen";
    int topWhileHeld = -1;
    TTimedSteps steps(150, {[] {}, [] {}, [] {}, [] {},
                            [&] {
                                heldPart = bar->HotPart();
                                heldPressed = bar->Pressed();
                                heldCells = ArrowDifference(*Shot(bar), true, 9, 14);
                                topWhileHeld = TopIndexOf(list);
                            },
                            [&] { PostMessageA(list, WM_LBUTTONUP, 0, 0); }});
    PostMouse(bar->Handle(), WM_LBUTTONDOWN, 5, bar->Length() - 4, MK_LBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return steps.Done() && !bar->Pressed(); }, 5000));
    PumpPending();
    EXPECT_EQ(heldPart, spSecondArrow);
    EXPECT_TRUE(heldPressed);
    EXPECT_EQ(heldCells, "");
    EXPECT_GE(topWhileHeld, 4) << "the native bar repeats while the arrow is held";
    EXPECT_GE(TopIndexOf(list), topWhileHeld);
    // Released: the end of the scroll lights nothing.
    EXPECT_FALSE(bar->Pressed());
    EXPECT_EQ(ArrowDifference(*Shot(bar), true, 9, 13), "");

    // A page press below the thumb scrolls a page.
    const int before = TopIndexOf(list);
    PostMouse(bar->Handle(), WM_LBUTTONDOWN, 5, bar->ThumbEnd() + 3, MK_LBUTTON);
    PostMessageA(list, WM_LBUTTONUP, 0, 0);
    PumpPending();
    EXPECT_GT(TopIndexOf(list), before + 3);
}

TEST_F(SkinScrollTest, DraggingTheThumbScrollsTheListAndTheThumbFollowsTheMouse) {
    MakeForm();
    auto* listSkin = SkinBars<TSkinScrollbar>(list_);
    TWScrollbar* bar = listSkin->VerticalBar();
    HWND list = list_->Handle();
    const int thumbStart = bar->ThumbStart();
    const int grab = (bar->ThumbStart() + bar->ThumbEnd()) / 2;
    const RECT barRect = WindowRectOf(bar->Handle());
    const POINT press{barRect.left + 5, barRect.top + grab};
    EXPECT_TRUE(MovePointerTo(press.x, press.y));
    PumpPending();

    int dragThumb = -1, dragTop = -1, dragHot = -2;
    const int moveBy = 40;
    TTimedSteps steps(120, {[&] {
                                const POINT to{press.x, press.y + moveBy};
                                EXPECT_TRUE(MovePointerTo(to.x, to.y));
                                PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(list, to));
                            },
                            [&] {
                                bar->Refresh();
                                dragThumb = bar->ThumbStart();
                                dragTop = TopIndexOf(list);
                                dragHot = bar->HotPart();
                            },
                            [&] {
                                const POINT to{press.x, press.y + moveBy};
                                PostMessageA(list, WM_LBUTTONUP, 0, ClientParam(list, to));
                            }});
    PostMouse(bar->Handle(), WM_LBUTTONDOWN, 5, grab, MK_LBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return steps.Done() && !bar->Pressed(); }, 5000));
    PumpPending();
    EXPECT_EQ(dragHot, spThumb);
    EXPECT_EQ(bar->DragThumbStart(), thumbStart);
    EXPECT_EQ(dragThumb, thumbStart + moveBy) << "the thumb follows the mouse";
    EXPECT_GT(dragTop, 20) << "the list follows the thumb";
    // After the release the thumb is where the native bar has it, close to where it was dropped.
    bar->Refresh();
    EXPECT_NEAR(bar->ThumbStart(), thumbStart + moveBy, 3);
    EXPECT_GE(TopIndexOf(list), dragTop - 1);
}

TEST_F(SkinScrollTest, OverlaysFollowTheControlHiddenShownMovedAndScrolled) {
    MakeForm();
    auto* listSkin = SkinBars<TSkinScrollbar>(list_);
    TWScrollbar* bar = listSkin->VerticalBar();
    list_->SetVisible(false);
    PumpPending();
    EXPECT_FALSE(bar->Shown());
    EXPECT_FALSE(IsWindowVisible(bar->Handle()));
    list_->SetVisible(true);
    PumpPending();
    EXPECT_TRUE(bar->Shown());
    EXPECT_TRUE(IsWindowVisible(bar->Handle()));

    list_->SetBounds(30, 40, 180, 120);
    PumpPending();
    EXPECT_TRUE(SameRect(WindowRectOf(bar->Handle()), NativeBar(list_->Handle(), OBJID_VSCROLL)))
        << RectText(WindowRectOf(bar->Handle())) << " over "
        << RectText(NativeBar(list_->Handle(), OBJID_VSCROLL));

    // Scrolled by the keyboard or the program: the thumb moves with the list.
    const int thumb = bar->ThumbStart();
    list_->SetTopIndex(200);
    PumpPending();
    EXPECT_GT(bar->ThumbStart(), thumb + 20);
    // A repaint of the list alone leaves an unchanged overlay as it is.
    const unsigned paints = bar->PaintCount();
    RedrawWindow(list_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpPending();
    EXPECT_EQ(bar->PaintCount(), paints);

    // Too few lines for a bar: the system hides it, and so the overlay.
    list_->Items().Clear();
    list_->Items().Add("one");
    PumpPending();
    RedrawWindow(list_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    PumpPending();
    EXPECT_FALSE(bar->Shown());
}

TEST_F(SkinScrollTest, ADisabledControlShowsTheDisabledTrackAndNoThumb) {
    MakeForm();
    auto* listSkin = SkinBars<TSkinScrollbar>(list_);
    TWScrollbar* bar = listSkin->VerticalBar();
    list_->SetTopIndex(50);
    PumpPending();
    for (int index : {0, 4, 6}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        list_->SetEnabled(false);
        PumpPending();
        auto shot = Shot(bar);
        // No thumb anywhere: the whole track is cell 3.
        EXPECT_EQ(TrackDifference(*shot, true, 3, -10, -10), "");
        EXPECT_EQ(ArrowDifference(*shot, true, 9, 13), "");
        list_->SetEnabled(true);
        PumpPending();
        shot = Shot(bar);
        EXPECT_EQ(TrackDifference(*shot, true, 1, bar->ThumbStart(), bar->ThumbEnd()), "");
    }
}

TEST_F(SkinScrollTest, StandAloneScrollBarsAreCoveredWhole) {
    MakeForm();
    auto* hSkin = SkinControl(hbar_);
    auto* vSkin = SkinControl(vbar_);
    TWScrollbar* h = hSkin->Bar();
    TWScrollbar* v = vSkin->Bar();
    ASSERT_NE(h, nullptr);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(h->Kind(), wkControl);
    EXPECT_FALSE(h->Vertical());
    EXPECT_TRUE(v->Vertical());
    EXPECT_TRUE(SameRect(WindowRectOf(h->Handle()), WindowRectOf(hbar_->Handle())));
    EXPECT_TRUE(SameRect(WindowRectOf(v->Handle()), WindowRectOf(vbar_->Handle())));

    // The thumb where the stand-alone geometry puts it; min = max puts it at the first arrow.
    auto shot = Shot(h);
    const TThumbExtent thumb = StandaloneThumb(0, 100, 10, 0, hbar_->Width(), arrow_);
    EXPECT_EQ(h->ThumbStart(), thumb.Start);
    EXPECT_EQ(h->ThumbEnd(), thumb.End);
    EXPECT_EQ(ArrowDifference(*shot, false, 1, 5), "");
    EXPECT_EQ(ThumbCornerDifference(*shot, false, 1, thumb.Start, thumb.End), "");
    shot = Shot(v);
    EXPECT_EQ(v->ThumbStart(), arrow_);
    EXPECT_EQ(ArrowDifference(*shot, true, 9, 13), "");

    // A press on the second arrow is the control's own: it moves by its small change.
    PostMouse(h->Handle(), WM_LBUTTONDOWN, hbar_->Width() - 4, 4, MK_LBUTTON);
    PostMessageA(hbar_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(hbar_->Width() - 4, 4));
    PumpPending();
    EXPECT_EQ(hbar_->Position(), 1);
    // Set from the program: the overlay follows.
    hbar_->SetPosition(50);
    PumpPending();
    EXPECT_EQ(h->ThumbStart(), StandaloneThumb(0, 100, 10, 50, hbar_->Width(), arrow_).Start);

    // Hidden with the control, moved with it.
    hbar_->SetVisible(false);
    PumpPending();
    EXPECT_FALSE(IsWindowVisible(h->Handle()));
    hbar_->SetVisible(true);
    hbar_->SetBounds(20, 200, 180, hbar_->Height());
    PumpPending();
    EXPECT_TRUE(IsWindowVisible(h->Handle()));
    EXPECT_TRUE(SameRect(WindowRectOf(h->Handle()), WindowRectOf(hbar_->Handle())));
}

TEST_F(SkinScrollTest, AStandAloneBarMadeAnewTheOtherWayIsCoveredTheNewWay) {
    MakeForm();
    hbar_->SetBounds(10, 190, 100, hbar_->Height());
    auto* skin = SkinControl(hbar_);
    const HWND before = hbar_->Handle();
    hbar_->SetKind(sbVertical);
    PumpPending();
    ASSERT_NE(hbar_->Handle(), before);
    TWScrollbar* bar = skin->Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->TargetWindow(), hbar_->Handle());
    EXPECT_TRUE(bar->Vertical());
    EXPECT_TRUE(SameRect(WindowRectOf(bar->Handle()), WindowRectOf(hbar_->Handle())));
    EXPECT_EQ(ArrowDifference(*Shot(bar), true, 9, 13), "");
}

TEST_F(SkinScrollTest, RestoreRemovesTheOverlaysAndTheNativeBarsShowAgain) {
    MakeForm();
    auto* listSkin = SkinBars<TSkinScrollbar>(list_);
    auto* hSkin = SkinControl(hbar_);
    HWND overlay = listSkin->VerticalBar()->Handle();
    HWND controlOverlay = hSkin->Bar()->Handle();
    ASSERT_TRUE(IsWindow(overlay));
    listSkin->Restore();
    hSkin->Restore();
    PumpPending();
    EXPECT_FALSE(IsWindow(overlay));
    EXPECT_FALSE(IsWindow(controlOverlay));
    EXPECT_EQ(listSkin->VerticalBar(), nullptr);
    EXPECT_EQ(hSkin->Bar(), nullptr);
    // The adapter stays hooked but passes everything on; freeing it gives the hook back.
    list_->SetTopIndex(10);
    PumpPending();
    TComponent::Free(listSkin);
    TComponent::Free(hSkin);
    EXPECT_TRUE(frame_->Adapters().empty());
    EXPECT_EQ(SendMessageA(list_->Handle(), SKM_ISSKINNED, 0, 0), 0);
}

TEST_F(SkinScrollTest, ControlsDestroyedWithTheirAdaptersAndOverlays) {
    MakeForm();
    SkinBars<TSkinScrollbar>(list_);
    SkinControl(hbar_);
    HWND list = list_->Handle();
    TComponent::Free(list_);
    TComponent::Free(hbar_);
    PumpPending();
    EXPECT_FALSE(IsWindow(list));
    EXPECT_TRUE(frame_->Adapters().empty());
    // Whatever stays of the form repaints without them.
    RedrawWindow(frame_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPending();
}

TEST_F(SkinScrollTest, ARecreatedWindowGetsAFreshAdapterFromTheFrame) {
    MakeForm();
    SkinBars<TSkinScrollbar>(list_);
    HWND before = list_->Handle();
    list_->RecreateWnd();
    HWND after = list_->Handle();
    ASSERT_NE(before, after);
    PumpPending();
    ASSERT_EQ(frame_->Adapters().size(), 1u);
    auto* fresh = dynamic_cast<TSkinScrollbar*>(frame_->Adapters().front());
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Handle(), after);
    ASSERT_NE(fresh->VerticalBar(), nullptr);
    EXPECT_EQ(fresh->VerticalBar()->TargetWindow(), after);
    EXPECT_TRUE(SameRect(WindowRectOf(fresh->VerticalBar()->Handle()), NativeBar(after, OBJID_VSCROLL)));
}

TEST_F(SkinScrollTest, AListViewGetsItsBarsAndASkinnedHeader) {
    MakeForm();
    auto* view = new TListView(forms_.back().get());
    view->SetParent(forms_.back().get());
    view->SetBounds(10, 220, 260, 90);
    view->AddColumn("Name", 120);
    view->AddColumn("Size", 80);
    for (int i = 0; i < 40; ++i)
        view->AddItem("Item " + std::to_string(i), {std::to_string(i * 10)});
    PumpPending();
    auto* skin = SkinBars<TSkinListView>(view);
    ASSERT_NE(skin->Header(), nullptr);
    EXPECT_EQ(skin->Header()->Handle(), view->HeaderHandle());
    ASSERT_NE(skin->VerticalBar(), nullptr);
    EXPECT_TRUE(skin->VerticalBar()->Shown());
    // The header's first section starts with the Headerbar's first cell (its margins are copied).
    const TDataSkinObject& headerbar = Element(ssHeaderbar);
    auto shot = CaptureClient(view->HeaderHandle());
    const TCellView cell = CellOf(headerbar.Bitmap, headerbar.Frame, 1);
    for (int y = 0; y < headerbar.TopHeight; ++y)
        for (int x = 0; x < headerbar.LeftWidth; ++x)
            EXPECT_EQ(shot->PixelColor(x, y), cell.At(x, y)) << x << ", " << y;
    // A section with a picture of the header's image list shows all of it.
    constexpr TColor Mark = 0x02FE01;
    auto* images = new TImageList(forms_.back().get(), 10, 10);
    TBitmap picture(10, 10);
    {
        TOwnedBrush brush(CreateSolidBrush(Mark));
        RECT all{0, 0, 10, 10};
        FillRect(picture.MemoryDC(), &all, brush.Get());
    }
    images->AddMasked(picture, Magenta);
    SendMessageA(view->HeaderHandle(), HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images->Handle()));
    HDITEMA section{};
    section.mask = HDI_FORMAT | HDI_IMAGE;
    SendMessageA(view->HeaderHandle(), HDM_GETITEMA, 1, reinterpret_cast<LPARAM>(&section));
    section.fmt |= HDF_IMAGE;
    section.iImage = 0;
    SendMessageA(view->HeaderHandle(), HDM_SETITEMA, 1, reinterpret_cast<LPARAM>(&section));
    RedrawWindow(view->HeaderHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    shot = CaptureClient(view->HeaderHandle());
    int marked = 0;
    for (int y = 0; y < shot->Height(); ++y)
        for (int x = 0; x < shot->Width(); ++x)
            marked += shot->PixelColor(x, y) == Mark;
    EXPECT_EQ(marked, 10 * 10);
    TComponent::Free(skin);
    EXPECT_TRUE(frame_->Adapters().empty());
}

TEST_F(SkinScrollTest, BareWindowsGetOverlaysToo) {
    HWND plain = Plain();
    HWND list = MakeBareList(plain, 200);
    PumpPending();
    auto* adapter = new TSkinScrollbarH(nullptr);
    adapter->AttachWindow(list, skin_.get(), nullptr, nullptr);
    PumpPending();
    TWScrollbar* bar = adapter->VerticalBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->Shown());
    EXPECT_EQ(bar->TargetControl(), nullptr);
    EXPECT_TRUE(SameRect(WindowRectOf(bar->Handle()), NativeBar(list, OBJID_VSCROLL)));
    EXPECT_EQ(ArrowDifference(*Shot(bar), true, 9, 13), "");
    PostMouse(bar->Handle(), WM_LBUTTONDOWN, 5, bar->Length() - 4, MK_LBUTTON);
    PostMessageA(list, WM_LBUTTONUP, 0, 0);
    PumpPending();
    EXPECT_EQ(TopIndexOf(list), 1);
    ShowWindow(list, SW_HIDE);
    PumpPending();
    EXPECT_FALSE(bar->Shown());
    ShowWindow(list, SW_SHOW);
    PumpPending();
    EXPECT_TRUE(bar->Shown());
    HWND overlay = bar->Handle();
    TComponent::Free(adapter);
    EXPECT_FALSE(IsWindow(overlay));
    // A bare window destroyed under its adapter takes the overlays' use with it.
    adapter = new TSkinScrollbarH(nullptr);
    adapter->AttachWindow(list, skin_.get(), nullptr, nullptr);
    DestroyWindow(list);
    PumpPending();
    EXPECT_EQ(adapter->State(), asDestroyed);
    TComponent::Free(adapter);
}

TEST_F(SkinScrollTest, AComboListsBarsArePaintedDirectlyAndItsThumbDragged) {
    HWND plain = Plain();
    HWND list = MakeBareList(plain, 200);
    PumpPending();
    auto* adapter = new TComboxScrollBar(nullptr);
    adapter->AttachWindow(list, skin_.get(), nullptr, nullptr);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    PumpPending();
    // The bar's arrows in the list's own frame.
    const RECT bar = NativeBar(list, OBJID_VSCROLL);
    const RECT outer = WindowRectOf(list);
    auto window = CaptureWindow(list);
    const TDataSkinObject& strip = Element(ssScrollbar);
    const int width = bar.right - bar.left;
    EXPECT_EQ(StretchedCellDifference(*window, bar.left - outer.left, bar.top - outer.top, width, arrow_,
                                      CellOf(strip.Bitmap, 23, 9), Face(*skin_)),
              "");
    EXPECT_EQ(StretchedCellDifference(*window, bar.left - outer.left, bar.bottom - outer.top - arrow_, width,
                                      arrow_, CellOf(strip.Bitmap, 23, 13), Face(*skin_)),
              "");

    // A press on the thumb, a move of 50 pixels and the release: the list goes where the thumb
    // was dragged to, through its own scroll messages.
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    GetScrollBarInfo(list, OBJID_VSCROLL, &info);
    const POINT press{bar.left + 4, bar.top + (info.xyThumbTop + info.xyThumbBottom) / 2};
    const POINT to{press.x, press.y + 50};
    PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(list, to));
    PostMessageA(list, WM_LBUTTONUP, 0, ClientParam(list, to));
    SendMessageA(list, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(press.x, press.y));
    PumpPending();
    EXPECT_FALSE(adapter->Dragging());
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_ALL;
    GetScrollInfo(list, SB_VERT, &scroll);
    const int track = (bar.bottom - bar.top) - 2 * arrow_ - (info.xyThumbBottom - info.xyThumbTop);
    const int want = ComboDragPosition(info.xyThumbTop - arrow_, 50, track, scroll.nMin, scroll.nMax,
                                       static_cast<int>(scroll.nPage));
    EXPECT_GT(want, 0);
    EXPECT_EQ(adapter->LastDragPosition(), want);
    EXPECT_EQ(TopIndexOf(list), want);
    // Non-client moves over the bar do not reach the native bar.
    EXPECT_EQ(SendMessageA(list, WM_NCMOUSEMOVE, HTVSCROLL, MAKELPARAM(press.x, press.y)), 0);
    TComponent::Free(adapter);
}

TEST_F(SkinScrollTest, HostileSkinValuesDrawSomethingSensible) {
    // Scroll elements of one or two pixels with huge margins and cell counts of 0, -3 and 99.
    TMapSource images;
    images.entries["s.bmp"] = SolidBmp(1, 1, 0x3366CC);
    images.entries["t.bmp"] = SolidBmp(2, 1, 0x22AA44);
    TQuickIni ini;
    ini.LoadFromText("[Scrollbar]\nImage=s.bmp\nFrame=23\nLeftWidth=40\nTopHeight=40\nRightWidth=40\n"
                     "BottomHeight=40\n[HorzScroll]\nImage=t.bmp\nFrame=0\nLeftWidth=9\nTile=1\n"
                     "[VertScroll]\nImage=t.bmp\nFrame=-3\nTopHeight=30\nBottomHeight=30\n"
                     "[HorzScrollThumb]\nImage=s.bmp\nFrame=0\nTopHeight=50\nTrans=1\n"
                     "[VertScrollThumb]\nImage=t.bmp\nFrame=99\nLeftWidth=7\n");
    TOwnedComponent<TSkinData> hostile(new TSkinData(nullptr));
    hostile->LoadElements(ini, images);
    ASSERT_NE(hostile->Slot(ssScrollbar), nullptr);
    const TColor face = static_cast<TColor>(ColorToRGB(hostile->Colour(scButtonFace)));

    // Every kind of bar, short and long, thumbs in and out of it, hot and pressed.
    TBitmap target(80, 80, pf24bit);
    TScrollBarFacts facts;
    for (bool vertical : {false, true})
        for (int length : {0, 1, 5, 31, 33, 80})
            for (int thumb : {-20, 0, 10, 60, 200}) {
                facts.Vertical = vertical;
                facts.Width = vertical ? 16 : length;
                facts.Height = vertical ? length : 16;
                facts.ArrowSize = arrow_;
                facts.ThumbStart = thumb;
                facts.ThumbEnd = thumb + 40;
                facts.HotPart = thumb > 0 ? spThumb : spFirstArrow;
                facts.Pressed = thumb > 10;
                facts.Enabled = thumb != 60;
                PaintSkinScrollBar(target.MemoryDC(), 0, 0, *hostile, facts);
            }
    // The skin's own images are far too small for 23 cells: the arrows and the grip are left
    // out, the bar shows its face colour and the parts whose images can be cut.
    facts.Vertical = true;
    facts.Width = 16;
    facts.Height = 80;
    facts.ThumbStart = 30;
    facts.ThumbEnd = 50;
    facts.HotPart = spNone;
    facts.Enabled = true;
    PaintSkinScrollBar(target.MemoryDC(), 0, 0, *hostile, facts);
    GdiFlush();
    EXPECT_EQ(target.PixelColor(8, 2), face) << "no arrow cell in a 1-pixel image";
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 16; ++x) {
            const TColor c = target.PixelColor(x, y);
            ASSERT_TRUE(c == face || c == 0x3366CC || c == 0x22AA44) << x << ", " << y << ": " << Hex(c);
        }

    // The same skin on a real list box: the overlays paint and follow without fault.
    MakeForm();
    auto* adapter = new TSkinScrollbar(list_);
    adapter->AttachScrollbar(list_, hostile.get(), frame_, nullptr);
    PumpPending();
    ASSERT_NE(adapter->VerticalBar(), nullptr);
    list_->SetTopIndex(150);
    PumpPending();
    auto shot = Shot(adapter->VerticalBar());
    EXPECT_EQ(shot->PixelColor(shot->Width() / 2, 2), face);
    TComponent::Free(adapter);
}

TEST_F(SkinScrollTest, ASkinWithoutScrollBarImagesLeavesTheNativeBarsToBeSeen) {
    // Track and thumb images, but no Scrollbar element, an image that does not load, one that
    // does, and none again: the overlays come and go with the skin.
    TMapSource images;
    images.entries["s.bmp"] = SolidBmp(23 * 16, 16, 0x3366CC);
    images.entries["t.bmp"] = SolidBmp(16, 16, 0x22AA44);
    const std::string parts = "[HorzScroll]\nImage=t.bmp\n[VertScroll]\nImage=t.bmp\n"
                              "[HorzScrollThumb]\nImage=t.bmp\n[VertScrollThumb]\nImage=t.bmp\n";
    TOwnedComponent<TSkinData> skin(new TSkinData(nullptr));
    const auto load = [&](const std::string& scrollbar) {
        TQuickIni ini;
        ini.LoadFromText(scrollbar + parts);
        skin->LoadElements(ini, images);
    };
    MakeForm();
    EXPECT_TRUE(MovePointerTo(0, 0));
    PumpFor(50);
    const RECT places[] = {NativeBar(list_->Handle(), OBJID_VSCROLL),
                           NativeBar(memo_->Handle(), OBJID_VSCROLL),
                           NativeBar(memo_->Handle(), OBJID_HSCROLL), WindowRectOf(hbar_->Handle())};
    std::vector<std::unique_ptr<TBitmap>> native;
    for (const RECT& place : places)
        native.push_back(ScreenArea(place));

    load("");
    auto* listSkin = new TSkinScrollbar(list_);
    listSkin->AttachScrollbar(list_, skin.get(), frame_, nullptr);
    auto* memoSkin = new TSkinScrollbar(memo_);
    memoSkin->AttachScrollbar(memo_, skin.get(), frame_, nullptr);
    auto* hSkin = new TSkinScControl(hbar_);
    hSkin->AttachScControl(hbar_, skin.get(), frame_, nullptr);
    TSkinControl* adapters[] = {listSkin, memoSkin, hSkin};
    const auto overlays = [&] {
        return std::vector<TWScrollbar*>{listSkin->VerticalBar(), memoSkin->VerticalBar(),
                                         memoSkin->HorizontalBar(), hSkin->Bar()};
    };
    const auto change = [&](const std::string& scrollbar) {
        load(scrollbar);
        for (TSkinControl* adapter : adapters)
            adapter->SkinChanged();
        PumpPending();
        PumpFor(50);
    };
    const auto expectNative = [&] {
        PumpPending();
        PumpFor(50);
        for (size_t i = 0; i < native.size(); ++i) {
            SCOPED_TRACE("bar " + std::to_string(i) + " at " + RectText(places[i]));
            TWScrollbar* bar = overlays()[i];
            ASSERT_NE(bar, nullptr);
            EXPECT_FALSE(bar->Shown());
            EXPECT_FALSE(IsWindowVisible(bar->WindowHandle()));
            EXPECT_EQ(DifferingPixels(*native[i], *ScreenArea(places[i])), 0);
        }
    };
    {
        SCOPED_TRACE("no Scrollbar element");
        expectNative();
    }
    {
        SCOPED_TRACE("a Scrollbar image that does not load");
        change("[Scrollbar]\nImage=missing.bmp\n");
        expectNative();
    }
    change("[Scrollbar]\nImage=s.bmp\n");
    for (TWScrollbar* bar : overlays()) {
        EXPECT_TRUE(bar->CoversNativeBar());
        EXPECT_EQ(Shot(bar)->PixelColor(2, 2), 0x3366CC);
    }
    {
        SCOPED_TRACE("the Scrollbar element gone again");
        change("");
        expectNative();
    }
    for (TSkinControl* adapter : adapters)
        TComponent::Free(adapter);
}

TEST_F(SkinScrollTest, AttachingAndRestoringRoundsLeakNothing) {
    MakeForm();
    // Attached and restored straight away, as a skin switched on and off makes it.
    auto round = [&] {
        auto* listSkin = new TSkinScrollbar(list_);
        listSkin->AttachScrollbar(list_, skin_.get(), frame_, nullptr);
        auto* memoSkin = new TSkinScrollbar(memo_);
        memoSkin->AttachScrollbar(memo_, skin_.get(), frame_, nullptr);
        auto* hSkin = new TSkinScControl(hbar_);
        hSkin->AttachScControl(hbar_, skin_.get(), frame_, nullptr);
        listSkin->VerticalBar()->Refresh();
        memoSkin->HorizontalBar()->Refresh();
        hSkin->Bar()->Refresh();
        listSkin->Restore();
        memoSkin->Restore();
        hSkin->Restore();
        TComponent::Free(listSkin);
        TComponent::Free(memoSkin);
        TComponent::Free(hSkin);
    };
    round();
    PumpPending();
    const int rounds = LeakRounds();
    const DWORD gdi = GdiObjectCount(), user = UserObjectCount();
    for (int i = 0; i < rounds; ++i) {
        round();
        if (i % 100 == 0)
            PumpPending();
    }
    PumpPending();
    const DWORD gdiAfter = GdiObjectCount(), userAfter = UserObjectCount();
    std::printf("scroll adapter rounds: GDI %lu -> %lu, USER %lu -> %lu\n", static_cast<unsigned long>(gdi),
                static_cast<unsigned long>(gdiAfter), static_cast<unsigned long>(user),
                static_cast<unsigned long>(userAfter));
    EXPECT_LE(gdiAfter, gdi + 5);
    EXPECT_LE(userAfter, user + 5);
    EXPECT_TRUE(frame_->Adapters().empty());
    EXPECT_EQ(list_->WindowProc(), list_->DefaultWindowProc());
}
