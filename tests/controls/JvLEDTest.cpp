// The LED: the on and off pictures pixel by pixel, placement in a larger control, colour
// changes while on, and blinking.
#include "JvLED.h"

#include "Form.h"
#include "Panel.h"
#include "UiTestSupport.h"

#include <string>

namespace {

// The lamp as it must look: '.' background, 'g' grey rim, 'W' white highlight, 'L' lamp colour.
const char* const Lamp[17] = {
    ".................", ".................", "......ggggg......", "....ggLLLLLgg....", "...gLLLLLLLLLg...",
    "...gLLWWWLLLLg...", "..gLLWWWLLLLLLg..", "..gLLWWLLLLLLLg..", "..gLLWLLLLLLLLg..", "..gLLLLLLLLLLLg..",
    "..gLLLLLLLLLLLg..", "...gLLLLLLLLLg...", "...gLLLLLLLLLg...", "....ggLLLLLgg....", "......gggggg.....",
    ".................", ".................",
};

constexpr TColor Background = 0x30A0C0;

class LedTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        form.reset(new TForm(&TestApplication()));
        form->SetBounds(40, 40, 200, 120);
        panel = new TPanel(form.get());
        panel->SetParent(form.get());
        panel->SetBevelOuter(bvNone);
        panel->SetBounds(0, 0, 60, 60);
        panel->SetColor(Background);
        led = new TJvLED(form.get());
        led->SetParent(panel);
        led->SetBounds(10, 10, 17, 17);
        form->Show();
    }

    // The panel as it paints itself, with the LED on it.
    TBitmap& Capture() {
        capture = RenderControl(*panel);
        return *capture;
    }

    // Mismatches against the lamp drawn at (x, y) in the given colour; empty when none.
    std::string CompareLamp(const TBitmap& picture, int x, int y, TColor lamp) {
        std::string errors;
        for (int row = 0; row < 17; ++row) {
            for (int col = 0; col < 17; ++col) {
                TColor expected = Background;
                switch (Lamp[row][col]) {
                case 'g':
                    expected = 0x808080;
                    break;
                case 'W':
                    expected = clWhite;
                    break;
                case 'L':
                    expected = lamp;
                    break;
                default:
                    break;
                }
                TColor actual = picture.PixelColor(x + col, y + row);
                if (actual != expected && errors.size() < 400)
                    errors += "(" + std::to_string(col) + "," + std::to_string(row) + ") ";
            }
        }
        return errors;
    }

    TOwnedComponent<TForm> form;
    std::unique_ptr<TBitmap> capture;
    TPanel* panel = nullptr;
    TJvLED* led = nullptr;
};

TEST_F(LedTest, DrawsTheGreenLampWhenOnAndTheRedOneWhenOff) {
    EXPECT_TRUE(led->Status());
    EXPECT_EQ(led->Color(), clLime);
    EXPECT_EQ(CompareLamp(Capture(), 10, 10, clLime), "");

    led->SetStatus(false);
    EXPECT_EQ(led->Color(), clRed);
    EXPECT_EQ(CompareLamp(Capture(), 10, 10, clRed), "");
    // The pixels around the control stay the panel's.
    EXPECT_EQ(Capture().PixelColor(9, 9), Background);
}

TEST_F(LedTest, CentresTheLampInALargerControl) {
    led->SetBounds(10, 10, 20, 20);
    EXPECT_EQ(CompareLamp(Capture(), 11, 11, clLime), "");

    led->SetAutoSize(true);
    EXPECT_EQ(led->Width(), 17);
    EXPECT_EQ(led->Height(), 17);
}

TEST_F(LedTest, AnOffColourChangedWhileOnShowsOnlyWhenTheLampGoesOff) {
    int changes = 0;
    struct TCounter {
        int* Count;
        void Changed(TObject*) { ++*Count; }
    } counter{&changes};
    led->OnChange = Bind<&TCounter::Changed>(&counter);

    led->SetColorOff(clBlue);
    EXPECT_EQ(led->Color(), clLime);
    EXPECT_EQ(CompareLamp(Capture(), 10, 10, clLime), "");
    EXPECT_EQ(changes, 0);

    led->SetStatus(false);
    EXPECT_EQ(CompareLamp(Capture(), 10, 10, clBlue), "");
    EXPECT_EQ(changes, 1);

    // A changed on colour shows at once while on.
    led->SetStatus(true);
    led->SetColorOn(clYellow);
    EXPECT_EQ(CompareLamp(Capture(), 10, 10, clYellow), "");
}

TEST_F(LedTest, BlinksWhileActiveExceptWhileTheApplicationIsMinimized) {
    // The application must not keep the form as its main form once the fixture frees it, even
    // when an assertion ends the test early.
    struct TMainFormGuard {
        explicit TMainFormGuard(TForm* form) { TestApplication().SetMainForm(form); }
        TMainFormGuard(const TMainFormGuard&) = delete;
        TMainFormGuard& operator=(const TMainFormGuard&) = delete;
        ~TMainFormGuard() { TestApplication().SetMainForm(nullptr); }
    } mainForm(form.get());
    int flips = 0;
    struct TCounter {
        int* Count;
        void Changed(TObject*) { ++*Count; }
    } counter{&flips};
    led->OnChange = Bind<&TCounter::Changed>(&counter);
    led->SetInterval(40);
    led->SetActive(true);
    PumpFor(300);
    EXPECT_GE(flips, 3);

    ShowWindow(form->Handle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(form->Handle()));
    PumpFor(50);
    flips = 0;
    PumpFor(250);
    EXPECT_EQ(flips, 0);

    ShowWindow(form->Handle(), SW_RESTORE);
    PumpFor(250);
    EXPECT_GE(flips, 2);
    led->SetActive(false);
}

} // namespace
