// What the main window shows, pixel by pixel: every target button is a raised one-pixel frame
// (highlight on the top row and left column, shadow on the right column and bottom row, the
// top-right and bottom-left corners shadow) around its text in the window's maroon.
#include "Main.h"

#include "UiTestSupport.h"

#include "TextLines.h"

#include <gtest/gtest.h>

#include <string>

namespace {
TColor Sys(int index) {
    return static_cast<TColor>(GetSysColor(index));
}

// Set PP_TEST_CAPTURES to a folder to keep the pictures for a look.
void Keep(const TBitmap& picture, const std::string& name) {
    char folder[MAX_PATH] = {};
    if (GetEnvironmentVariableA("PP_TEST_CAPTURES", folder, sizeof folder))
        SaveCapture(picture, std::string(folder) + "\\" + name + ".bmp");
}
} // namespace

class MainWindowRender : public TUiTest {
  protected:
    void TearDown() override {
        form_.reset();
        TUiTest::TearDown();
    }

    TTempFolder folder_;
    TOwnedComponent<TForm1> form_;
};

TEST_F(MainWindowRender, ButtonsAreRaisedFramesAroundMaroonText) {
    folder_.Write("perchpoints.dat",
                  JoinLines({"C:\\Music=Tunes", "C:\\Tools & Toys",
                             "C:\\A folder with a name far too long to fit on any button of this window"}));
    form_.reset(new TForm1(&TestApplication(), folder_.Path("perchpoints.exe")));
    form_->Show();
    PumpPending();
    TItemsPanel& panel = *form_->panels1;
    std::unique_ptr<TBitmap> screen = CaptureClient(form_->Handle());
    Keep(*screen, "main-window");
    ASSERT_EQ(screen->Width(), 272);
    ASSERT_EQ(screen->Height(), 156);
    ASSERT_EQ(panel.Left(), 0);
    ASSERT_EQ(panel.Top(), 0);

    const TColor highlight = Sys(COLOR_BTNHIGHLIGHT);
    const TColor shadow = Sys(COLOR_BTNSHADOW);
    const TColor maroon = 0x000080;
    // 132 pixels for three buttons: 44 each, nothing left over.
    ASSERT_EQ(panel.ItemHeight(), 44);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("button " + std::to_string(i));
        RECT r = panel.ItemRect(i);
        const int right = r.right - 1, bottom = r.bottom - 1;
        for (int x = r.left; x < right; ++x)
            ASSERT_EQ(screen->PixelColor(x, r.top), highlight) << "top row at " << x;
        for (int y = r.top; y < bottom; ++y)
            ASSERT_EQ(screen->PixelColor(r.left, y), highlight) << "left column at " << y;
        for (int y = r.top; y <= bottom; ++y)
            ASSERT_EQ(screen->PixelColor(right, y), shadow) << "right column at " << y;
        for (int x = r.left; x <= right; ++x)
            ASSERT_EQ(screen->PixelColor(x, bottom), shadow) << "bottom row at " << x;

        // The text, drawn here the way a button must draw it, matches pixel for pixel inside
        // the frame: centred, short title, "&" as itself, an ellipsis when too long.
        TBitmap expected(r.right - r.left, r.bottom - r.top);
        TCanvas& canvas = expected.Canvas();
        canvas.Brush().SetColor(panel.Color());
        canvas.FillRect(RECT{0, 0, expected.Width(), expected.Height()});
        canvas.Font().Assign(panel.Font());
        RECT text{canvas.TextWidth(" "), 0, expected.Width() - canvas.TextWidth("  "), expected.Height()};
        std::string shown = i == 0 ? "Tunes" : panel.Items()[i];
        canvas.DrawText(shown.c_str(), static_cast<int>(shown.size()), text, 0xA824 | DT_CENTER);
        int maroonPixels = 0;
        for (int y = 1; y < expected.Height() - 1; ++y)
            for (int x = 1; x < expected.Width() - 1; ++x) {
                TColor seen = screen->PixelColor(r.left + x, r.top + y);
                ASSERT_EQ(seen, expected.PixelColor(x, y)) << "at " << r.left + x << "," << r.top + y;
                maroonPixels += seen == maroon;
            }
        EXPECT_GT(maroonPixels, 20);
    }

    // The bottom strip is a raised panel of its own.
    RECT strip = form_->Panel1->BoundsRect();
    EXPECT_EQ(screen->PixelColor(strip.left, strip.top), highlight);
    EXPECT_EQ(screen->PixelColor(strip.right - 1, strip.top), shadow);
    EXPECT_EQ(screen->PixelColor(strip.left, strip.bottom - 1), shadow);

    // The toolkit paints the panel the same way off the screen.
    std::unique_ptr<TBitmap> painted = RenderControl(panel);
    Keep(*painted, "panel-painted");
    int differences = 0;
    for (int y = 0; y < painted->Height(); ++y)
        for (int x = 0; x < painted->Width(); ++x)
            differences += painted->PixelColor(x, y) != screen->PixelColor(x, y);
    EXPECT_EQ(differences, 0);
}
