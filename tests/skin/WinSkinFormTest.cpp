// The skinned frame on real windows: the main window starts skinned, its frame is drawn from
// the skin's images, the outline follows their transparent corners, the caption buttons work,
// skins change and skinning switches off and on with the client area kept.
#include "UiTestSupport.h"

#include "Main.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class SkinFrameTest : public TUiTest {
protected:
    void TearDown() override
    {
        form_.reset();
        TUiTest::TearDown();
    }
    void Start(const std::string& settings = std::string())
    {
        if (!settings.empty())
            folder_.Write("perchpoints.ini", settings);
        form_.reset(new TForm1(&TestApplication(), folder_.Path("perchpoints.exe")));
        form_->Show();
        PumpPending();
    }
    TWinSkinForm* Frame() const { return SkinManager() ? SkinManager()->FindFrame(form_->Handle()) : nullptr; }

    TTempFolder folder_;
    TOwnedComponent<TForm1> form_;
};

TEST_F(SkinFrameTest, TheMainWindowStartsSkinned)
{
    Start();
    ASSERT_NE(SkinManager(), nullptr);
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->FrameState(), fsRunning);
    EXPECT_TRUE(frame->SkinFrame());
    RECT client {};
    GetClientRect(form_->Handle(), &client);
    EXPECT_EQ(client.right, 272);
    EXPECT_EQ(client.bottom, 156);
}
