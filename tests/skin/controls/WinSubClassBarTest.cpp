// Progress bars, status bars, up-down controls and track bars skinned on a real form: what the
// window shows comes from the skin's cells at the places the arithmetic gives. Expected pixels
// are read straight from the skin images at spots that are drawn 1:1 or that stretching maps
// exactly (the first and last pixel of a cell).
#include "GuiObjects.h"
#include "MapSkinSource.h"
#include "SkinActions.h"
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "BmpCodec.h"
#include "ComCtrls.h"
#include "Form.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "Label.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinIni.h"
#include "WinSkinStore.h"
#include "WinSubClass.h"
#include "WinSubClassBarGeometry.h"
#include "WinSubClassGeometry.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
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

// Pixel (x, y) of cell `cell` of `cells` side by side; magenta shows `behind`.
TColor CellPixel(const TBitmap& image, int cells, int cell, int x, int y, TColor behind) {
    const int width = StripCellWidth(image.Width(), cells);
    const TColor c = image.PixelColor(width * (cell - 1) + x, y);
    return c == Magenta ? behind : c;
}

// Fills every panel it is asked to draw with one colour.
struct TPanelPainter {
    std::vector<int> Panels;
    void Draw(TStatusBar*, int panel, HDC dc, const RECT& rect) {
        Panels.push_back(panel);
        TOwnedBrush brush(CreateSolidBrush(0x3080C0));
        FillRect(dc, &rect, brush.Get());
    }
};

} // namespace

class SkinBarTest : public TSkinnedUiTest {
  protected:
    void TearDown() override {
        form_.reset();
        TSkinnedUiTest::TearDown();
    }
    void MakeForm() {
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(100, 100, 420, 300);
        progress_ = Place<TProgressBar>(10, 10, 200, 20);
        progress_->SetRange(0, 100);
        vertical_ = Place<TProgressBar>(220, 10, 20, 120);
        vertical_->SetOrientation(pbVertical);
        vertical_->SetRange(0, 100);
        upDown_ = Place<TUpDown>(260, 10, 17, 40);
        upDown_->SetRange(0, 10);
        track_ = Place<TTrackBar>(10, 60, 200, 40);
        status_ = new TStatusBar(form_.get());
        status_->SetParent(form_.get());
        status_->AddPanel("Ready", 120);
        status_->AddPanel("", 100);
        form_->Show();
        SetForegroundWindow(form_->Handle());
        ASSERT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form_->Handle()) != nullptr; }));
        frame_ = SkinManager()->FindFrame(form_->Handle());
        PumpPending();
    }
    template <class T> T* Place(int left, int top, int width, int height) {
        auto* control = new T(form_.get());
        control->SetParent(form_.get());
        control->SetBounds(left, top, width, height);
        return control;
    }
    template <class T> T* Skin(TControl* control) {
        auto* adapter = new T(control);
        adapter->AttachControl(frame_, skin_.get(), false, nullptr);
        return adapter;
    }
    // Discovery gives every control of the form its adapter when the frame starts.
    void SkinAll() {
        ASSERT_TRUE(PumpUntil([&] { return frame_->Adapters().size() >= 5; }));
        for (TWinControl* control :
             std::initializer_list<TWinControl*>{progress_, vertical_, upDown_, track_, status_})
            ASSERT_EQ(SendMessageA(control->Handle(), SKM_ISSKINNED, 0, 0), 1) << control->ClassName();
        PumpPending();
    }
    void UseSkin(int index) {
        skin_->LoadFromStore(*store_, index);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    TColor Face() const { return static_cast<TColor>(ColorToRGB(skin_->Colour(scButtonFace))); }
    std::unique_ptr<TBitmap> Shot(TWinControl* control) {
        RedrawWindow(control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return CaptureClient(control->Handle());
    }
    TOwnedComponent<TForm> form_;
    TWinSkinForm* frame_ = nullptr;
    TProgressBar* progress_ = nullptr;
    TProgressBar* vertical_ = nullptr;
    TUpDown* upDown_ = nullptr;
    TTrackBar* track_ = nullptr;
    TStatusBar* status_ = nullptr;
};

TEST_F(SkinBarTest, ProgressBarsShowTheEmptyAndFilledCellsAndVerticalOnesFillFromTheBottom) {
    MakeForm();
    SkinAll();
    int checked = 0;
    for (int index : {0, 3, 6}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        const TDataSkinObject* element = skin_->Slot(ssProgress);
        if (!element || element->Bitmap.Empty() || element->Style != 0)
            continue;
        const TBitmap& image = element->Bitmap;
        const int cellW = StripCellWidth(image.Width(), 2);
        const int h = image.Height();
        progress_->SetPosition(0);
        auto empty = Shot(progress_);
        EXPECT_EQ(empty->PixelColor(0, 0), CellPixel(image, 2, 1, 0, 0, Face()));
        EXPECT_EQ(empty->PixelColor(199, 19), CellPixel(image, 2, 1, cellW - 1, h - 1, Face()));
        progress_->SetPosition(100);
        auto full = Shot(progress_);
        EXPECT_EQ(full->PixelColor(0, 0), CellPixel(image, 2, 2, 0, 0, Face()));
        EXPECT_EQ(full->PixelColor(199, 19), CellPixel(image, 2, 2, cellW - 1, h - 1, Face()));

        // Half full, turned: the bar's start is at the bottom, its end at the top.
        vertical_->SetPosition(50);
        auto turned = Shot(vertical_);
        EXPECT_EQ(turned->PixelColor(0, 119), CellPixel(image, 2, 2, 0, 0, Face()))
            << Hex(turned->PixelColor(0, 119));
        EXPECT_EQ(turned->PixelColor(0, 0), CellPixel(image, 2, 1, cellW - 1, 0, Face()));
        ++checked;
    }
    EXPECT_GE(checked, 2) << "too few skins with a two-cell progress image";
}

TEST_F(SkinBarTest, ProgressBarsWithoutAUsableImagePaintThemselves) {
    // No Progress element, an image that does not load or is too narrow for its two cells, a
    // chunked bar without its chunk image or with one that does not load: the bars look as they
    // do unskinned.
    KeepDiscoveryAway();
    TMapSource images;
    images.entries["p.bmp"] = SolidBmp(20, 10, 0x3366CC);
    images.entries["one.bmp"] = SolidBmp(1, 10, 0x3366CC);
    MakeForm();
    TProgressBar* bars[] = {progress_, vertical_};
    for (TProgressBar* bar : bars)
        bar->SetPosition(60);
    std::vector<std::unique_ptr<TBitmap>> native;
    for (TProgressBar* bar : bars)
        native.push_back(Shot(bar));
    TOwnedComponent<TSkinData> skin(new TSkinData(nullptr));
    for (const char* description :
         {"", "[Progress]\nBitmap=missing.bmp\n", "[Progress]\nBitmap=one.bmp\n",
          "[Progress]\nBitmap=p.bmp\nStyle=1\n",
          "[Progress]\nBitmap=p.bmp\nStyle=1\n[Progress.Chunk]\nImage=missing.bmp\n"}) {
        SCOPED_TRACE(description);
        TQuickIni ini;
        ini.LoadFromText(description);
        skin->LoadElements(ini, images);
        for (size_t i = 0; i < 2; ++i) {
            bars[i]->SetPosition(10);
            Shot(bars[i]);
            auto* adapter = new TSkinProgress(bars[i]);
            adapter->AttachControl(frame_, skin.get(), false, nullptr);
            bars[i]->SetPosition(60);
            EXPECT_EQ(DifferingPixels(*native[i], *Shot(bars[i])), 0) << "bar " << i;
        }
        frame_->ReleaseAdapters();
    }
}

TEST_F(SkinBarTest, StatusBarDrawsEdgesTextAndTheSizeGripFromTheSkin) {
    MakeForm();
    SkinAll();
    int grips = 0;
    for (int index : {0, 3, 6}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        auto shot = Shot(status_);
        const int w = shot->Width(), h = shot->Height();
        const TDataSkinObject* extra = skin_->Slot(ssExtraImages);
        if (extra && !extra->Bitmap.Empty() && extra->Frame >= 5) {
            // Cell 5 of the extra images, at its own size, 1 pixel inside the corner.
            const int cellW = StripCellWidth(extra->Bitmap.Width(), extra->Frame);
            const int gh = extra->Bitmap.Height();
            std::string difference;
            for (int y = 0; y < gh && difference.empty(); ++y)
                for (int x = 0; x < cellW && difference.empty(); ++x) {
                    const TColor want = extra->Bitmap.PixelColor(cellW * 4 + x, y);
                    if (want == Magenta)
                        continue;
                    const TColor got = shot->PixelColor(w - 1 - cellW + x, h - 1 - gh + y);
                    if (got != want)
                        difference = "(" + std::to_string(x) + ", " + std::to_string(y) + "): " + Hex(got) +
                                     " instead of " + Hex(want);
                }
            EXPECT_EQ(difference, "");
            ++grips;
        }
        RECT first{};
        SendMessageA(status_->Handle(), SB_GETRECT, 0, reinterpret_cast<LPARAM>(&first));
        const TDataSkinObject* edges = skin_->Slot(ssStatusBarEdges);
        if (edges && !edges->Bitmap.Empty()) {
            // The first panel's lowered edge: cell 1, from 2 pixels right of the panel's left.
            EXPECT_EQ(shot->PixelColor(first.left + 2, first.top),
                      CellPixel(edges->Bitmap, 3, 1, 0, 0, Face()));
        }
        // "Ready" is drawn: some pixel of the first panel's middle differs from the rest.
        bool text = false;
        const TColor ground = shot->PixelColor(first.left + 4, (first.top + first.bottom) / 2);
        for (int x = first.left + 4; x < first.left + 40 && !text; ++x)
            text = shot->PixelColor(x, (first.top + first.bottom) / 2) != ground;
        EXPECT_TRUE(text);
    }
    EXPECT_GE(grips, 1);
}

TEST_F(SkinBarTest, StatusBarShowsItsOwnerDrawnPanelsItsLabelsAndPlainText) {
    // The handler fills what it is given; a label of one colour lies on the first panel.
    TPanelPainter painter;
    MakeForm();
    status_->OnDrawPanel = Bind<&TPanelPainter::Draw>(&painter);
    status_->SetPanelStyle(1, psOwnerDraw);
    auto* label = new TLabel(form_.get());
    label->SetParent(status_);
    label->SetBounds(60, 3, 30, 10);
    label->SetColor(0x20A040);
    label->SetCaption("");
    SkinAll();
    painter.Panels.clear();
    auto shot = Shot(status_);
    RECT second{};
    SendMessageA(status_->Handle(), SB_GETRECT, 1, reinterpret_cast<LPARAM>(&second));
    // Drawn by the handler, 2 pixels inside the panel as the bar shows it (from 2 right of it).
    ASSERT_FALSE(painter.Panels.empty());
    EXPECT_EQ(std::count(painter.Panels.begin(), painter.Panels.end(), 1), std::ssize(painter.Panels));
    EXPECT_EQ(shot->PixelColor(second.left + 4, (second.top + second.bottom) / 2), 0x3080C0);
    EXPECT_NE(shot->PixelColor(second.left + 3, (second.top + second.bottom) / 2), 0x3080C0);
    EXPECT_EQ(shot->PixelColor(75, 8), 0x20A040);
    // The text is drawn in the bar's font without its style (set on a window made anew, which
    // gets the font when it is made).
    status_->Font().SetSize(14);
    status_->RecreateWnd();
    auto regular = Shot(status_);
    status_->Font().SetStyle(fsBold);
    status_->RecreateWnd();
    EXPECT_TRUE(SameBitmaps(*regular, *Shot(status_)));
}

TEST_F(SkinBarTest, UpDownShowsThePressedHalfUntilReleaseAndTheDisabledCells) {
    MakeForm();
    SkinAll();
    int checked = 0;
    for (int index : {0, 3, 6}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        const TDataSkinObject* element = skin_->Slot(ssUpDownVert);
        if (!element || element->Bitmap.Empty())
            continue;
        const TBitmap& image = element->Bitmap;
        RECT r{};
        GetWindowRect(upDown_->Handle(), &r);
        // Press the lower half where the mouse is.
        EXPECT_TRUE(MovePointerTo(r.left + 8, r.top + 30));
        PostMouse(upDown_->Handle(), WM_LBUTTONDOWN, 8, 30);
        PumpPending();
        auto pressed = CaptureClient(upDown_->Handle());
        EXPECT_EQ(pressed->PixelColor(0, 20), CellPixel(image, 8, 6, 0, 0, Face())) << "lower half pressed";
        EXPECT_EQ(pressed->PixelColor(0, 0), CellPixel(image, 8, 1, 0, 0, Face())) << "upper half normal";
        PostMouse(upDown_->Handle(), WM_LBUTTONUP, 8, 30);
        PumpPending();
        auto released = CaptureClient(upDown_->Handle());
        EXPECT_EQ(released->PixelColor(0, 20), CellPixel(image, 8, 5, 0, 0, Face()));
        EXPECT_GE(upDown_->Position(), 0);

        upDown_->SetEnabled(false);
        auto off = Shot(upDown_);
        EXPECT_EQ(off->PixelColor(0, 0), CellPixel(image, 8, 3, 0, 0, Face()));
        EXPECT_EQ(off->PixelColor(0, 20), CellPixel(image, 8, 7, 0, 0, Face()));
        upDown_->SetEnabled(true);
        ++checked;
    }
    EXPECT_GE(checked, 2);
}

TEST_F(SkinBarTest, TrackBarDrawsThumbAndChannelFromTheSkinAndKeepsWorking) {
    MakeForm();
    SkinAll();
    // Skinning of the one control switched off and on again.
    SendMessageA(track_->Handle(), SKM_SKINONOFF, 0, 0);
    auto before = Shot(track_);
    SendMessageA(track_->Handle(), SKM_SKINONOFF, 1, 0);
    auto after = Shot(track_);
    RECT thumb{};
    SendMessageA(track_->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const TDataSkinObject* element = skin_->Slot(ssTrackThumbHorz);
    ASSERT_TRUE(element && !element->Bitmap.Empty());
    // The thumb shows cell 2 of the image, stretched to the thumb, where the cell is not magenta.
    // The expected picture is the system's own stretch of that cell.
    const int cellWidth = StripCellWidth(element->Bitmap.Width(), 5), cellHeight = element->Bitmap.Height();
    const int thumbWidth = thumb.right - thumb.left, thumbHeight = thumb.bottom - thumb.top;
    ASSERT_GT(thumbWidth, 1);
    ASSERT_GT(thumbHeight, 1);
    TBitmap expected(thumbWidth, thumbHeight);
    SetStretchBltMode(expected.MemoryDC(), COLORONCOLOR);
    StretchBlt(expected.MemoryDC(), 0, 0, thumbWidth, thumbHeight, element->Bitmap.MemoryDC(), cellWidth, 0,
               cellWidth, cellHeight, SRCCOPY);
    GdiFlush();
    int compared = 0, mismatches = 0;
    for (int y = 0; y < thumbHeight; ++y)
        for (int x = 0; x < thumbWidth; ++x) {
            const TColor want = expected.PixelColor(x, y);
            if (want == Magenta)
                continue;
            ++compared;
            const TColor got = after->PixelColor(thumb.left + x, thumb.top + y);
            if (got != want && ++mismatches <= 3)
                ADD_FAILURE() << "thumb pixel " << x << ", " << y << ": " << Hex(got)
                              << " instead of the skin's " << Hex(want);
        }
    EXPECT_GT(compared, thumbWidth * thumbHeight / 4) << "too few pixels of the thumb's cell compared";
    EXPECT_EQ(mismatches, 0);
    bool differs = false;
    for (int x = thumb.left; x < thumb.right && !differs; ++x)
        for (int y = thumb.top; y < thumb.bottom && !differs; ++y)
            differs = after->PixelColor(x, y) != before->PixelColor(x, y);
    EXPECT_TRUE(differs) << "the thumb is the skin's, not the system's";
    // The control still moves.
    SetForegroundWindow(form_->Handle());
    track_->SetFocus();
    PostKey(track_->Handle(), VK_RIGHT);
    EXPECT_TRUE(PumpUntil([&] { return track_->Position() == 1; }));
}

TEST_F(SkinBarTest, AttachingAndRestoringManyTimesLeavesNoObjectsBehind) {
    MakeForm();
    SkinAll();
    frame_->ReleaseAdapters();
    auto cycle = [&] {
        TSkinControl* adapters[] = {Skin<TSkinProgress>(progress_), Skin<TSkinStatusBar>(status_),
                                    Skin<TSkinUpDown>(upDown_), Skin<TSkinTrackBar>(track_)};
        for (TSkinControl* adapter : adapters)
            adapter->PaintFrame(nullptr);
        for (TSkinControl* adapter : adapters) {
            adapter->Restore();
            TComponent::Free(adapter);
        }
    };
    for (int i = 0; i < 20; ++i)
        cycle();
    PumpPending();
    const int rounds = LeakRounds();
    const DWORD gdi = GdiObjectCount(), user = CountThreadWindows();
    for (int i = 0; i < rounds; ++i)
        cycle();
    PumpPending();
    EXPECT_LE(GdiObjectCount(), gdi + 4);
    EXPECT_EQ(CountThreadWindows(), user);
    EXPECT_TRUE(frame_->Adapters().empty());
}
