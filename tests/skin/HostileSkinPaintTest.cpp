// Hostile skins worn by a live window with a menu bar and a popup menu: zero, negative and huge
// margins, sizes and cell counts, images smaller than their margins, 1x1, empty, missing and
// oversized images, caption buttons far outside the window. Each skin is put on the window as a
// loaded one is; the frame, its caption buttons and the menu bar are painted, active and
// inactive, hot and at several window sizes; the menu bar's popup, the popup menu and the system
// menu are opened, painted and closed. The window must go on working (a click on the client
// area, a menu command from the keyboard reach their handlers), nothing may be thrown, and a
// second round through the table must leave the GDI and USER object counts where the first did.
#include "GuiObjects.h"
#include "MapSkinSource.h"
#include "SkinActions.h"
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "Form.h"
#include "Menus.h"
#include "WinSkinForm.h"
#include "WinSkinFormButtons.h"
#include "WinSkinFormMenuBar.h"
#include "WinSkinIni.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {
const char* const Rows[] = {
    // Every image 1x1: a caption too low to wear, the system frame stays; menus skinned from dots.
    "[Personality]\nLeft=dot.bmp\nRight=dot.bmp\nTop=dot.bmp\nBottom=dot.bmp\nmenuBar=dot.bmp\n"
    "TextBack=dot.bmp\n[MenuItem]\nImage=dot.bmp\n[MenuBackground]\nImage=dot.bmp\n"
    "[Button0]\nAction=0\nAlign=1\nXcoord=1\nButtonImage=dot.bmp\n",
    // A frame a window can wear, with margins, shifts and caption-button places at the ends of int.
    "[Personality]\nLeft=side.bmp\nRight=side.bmp\nTop=top.bmp\nBottom=bottom.bmp\nmenuBar=bar.bmp\n"
    "LeftTopHeight=100000\nLeftBotHeight=-100000\nRightTopHeight=2147483647\nRightBotHeight=2147483647\n"
    "TopTopHeight=-2147483648\nTopBotHeight=100000\nBottomTopHeight=100000\nLeftStretch=0\nTopStretch=0\n"
    "TileMenu=0\nTileLeftMenu=100000\nTileRightMenu=-100000\nTextBack=bar.bmp\nTextShift=2147483647\n"
    "TextShiftVert=-2147483648\nTextRightClip=2147483647\nTextAlignment=1\nTXTBackleft=100000\n"
    "TXTBackRight=2147483647\n[MenuItem]\nImage=dot.bmp\nLeftWidth=100000\nRightWidth=2147483647\n"
    "TopHeight=-100000\nTile=1\nTrans=1\n[MenuBackground]\nImage=dot.bmp\nLeftWidth=100000\n"
    "TopHeight=2147483647\nTile=1\n[Button0]\nAction=0\nAlign=1\nXcoord=100000\nYcoord=-100000\n"
    "ButtonImage=button.bmp\n[Button1]\nAction=1\nAlign=0\nXcoord=2147483647\nYcoord=2147483647\n"
    "frame=100000\nButtonImage=button.bmp\n[Button2]\nAction=3\nAlign=2\nXcoord=-2147483648\n"
    "[Button3]\nAction=2\nAlign=100\nXcoord=-100000\nframe=-4\nButtonImage=button.bmp\n"
    "[Button4]\nAction=55\nAlign=3\nXcoord=2147483647\nButtonImage=dot.bmp\n[MDICONTROLS]\nImage=dot.bmp\n",
    // Frame pieces at the widest a skin may have, images smaller than their margins, a tiled
    // centre of no width, cell counts of zero and beyond the image.
    "[Personality]\nLeft=wide.bmp\nRight=wide.bmp\nTop=tall.bmp\nBottom=tall.bmp\nmenuBar=side.bmp\n"
    "LeftFrame=0\nRightFrame=100000\nTopFrame=-3\nBottomFrame=2147483647\nLeftTopHeight=300\n"
    "LeftBotHeight=300\nTopTopHeight=300\nTopBotHeight=300\nLeftStretch=-1\nTopStretch=5\nLeftTrans=1\n"
    "TopTrans=1\nTileLeftMenu=30\nTileRightMenu=30\n[MenuItem]\nImage=side.bmp\nLeftWidth=40\n"
    "RightWidth=40\nTopHeight=40\nBottomHeight=40\n[MenuBackground]\nImage=side.bmp\nLeftWidth=40\n"
    "BottomHeight=400\n[Button0]\nAction=0\nAlign=1\nXcoord=0\nframe=2147483647\nButtonImage=wide.bmp\n",
    // Images that are missing, empty, or beyond the loader's size: no frame, no menu pictures.
    "[Personality]\nLeft=missing.bmp\nRight=empty.bmp\nTop=huge.bmp\nBottom=empty.bmp\nmenuBar=huge.bmp\n"
    "TextBack=missing.bmp\n[MenuItem]\nImage=empty.bmp\nLeftWidth=5\n[MenuBackground]\nImage=huge.bmp\n"
    "[Button0]\nAction=0\nAlign=1\nXcoord=30\nButtonImage=missing.bmp\n",
    // A usable frame of one-pixel pieces stacked far too many cells, negative end caps.
    "[Personality]\nLeft=thin.bmp\nRight=thin.bmp\nTop=top.bmp\nBottom=thin.bmp\nmenuBar=top.bmp\n"
    "LeftFrame=-1\nTopFrame=1\nBottomFrame=100000\nLeftTopHeight=-5\nTopTopHeight=-5\n"
    "TileLeftMenu=-100000\nTileRightMenu=100000\n[MenuItem]\nImage=top.bmp\nLeftWidth=-100000\n"
    "RightWidth=-1\n[MenuBackground]\nImage=top.bmp\nTopHeight=-100000\nBottomHeight=-100000\n"
    "[Button0]\nAction=1\nAlign=100\nVisibility=0\nXcoord=-2147483648\nButtonImage=top.bmp\n",
};

TMapSource Images() {
    TMapSource images;
    images.entries["dot.bmp"] = SolidBmp(1, 1, 0x2040C0);
    images.entries["bar.bmp"] = SolidBmp(1, 4, 0x2040C0); // two cells, no middle between the caps
    images.entries["side.bmp"] = SolidBmp(4, 40, 0x306090);
    images.entries["top.bmp"] = SolidBmp(40, 24, 0x306090);
    images.entries["bottom.bmp"] = SolidBmp(40, 4, 0x306090);
    images.entries["button.bmp"] = SolidBmp(3, 2, 0xFF00FF);
    images.entries["wide.bmp"] = SolidBmp(256, 3, 0x30A030);
    images.entries["tall.bmp"] = SolidBmp(3, 256, 0xA03030);
    images.entries["thin.bmp"] = SolidBmp(1, 4096, 0x606060);
    images.entries["huge.bmp"] = SolidBmp(5000, 2, 0x808080);
    images.entries["empty.bmp"] = SolidBmp(0, 0, 0);
    return images;
}

// What reached the window's handlers and the application's error handler.
struct TLog {
    std::vector<std::string> Items;
    int Presses = 0;
    std::vector<std::string> Errors;
    void Clicked(TObject* sender) { Items.push_back(static_cast<TMenuItem*>(sender)->Caption()); }
    void Pressed(TObject*, TMouseButton button, TShiftState, int, int) { Presses += button == mbLeft; }
    void Failed(TObject*, const std::exception& error) { Errors.push_back(error.what()); }
};

// Plays the user on the next popup menu of the user-interface thread, from a helper thread: Down
// `downs` times, then, once the first item is selected, Enter (or Escape when choose is false, and
// once more to the window when the menu bar took over).
// It never leaves the menu open: when the selection does not come it escapes.
class TPopupKeys {
  public:
    TPopupKeys(HWND window, int downs, bool choose)
        : ui_(GetCurrentThreadId()), thread_([=, this] { Run(window, downs, choose); }) {}
    ~TPopupKeys() {
        if (thread_.joinable())
            thread_.join();
    }
    bool Done() const { return done_; }
    bool Selected() const { return selected_; }

  private:
    HWND Find() const {
        HWND found = nullptr;
        EnumThreadWindows(
            ui_,
            [](HWND window, LPARAM param) -> BOOL {
                char name[16] = {};
                GetClassNameA(window, name, sizeof name);
                if (!IsWindowVisible(window) || std::string(name) != "#32768")
                    return TRUE;
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }
    void Run(HWND window, int downs, bool choose) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(8);
        auto until = [&](auto condition) {
            while (std::chrono::steady_clock::now() < end && !condition())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return condition();
        };
        HWND popup = nullptr;
        if (until([&] { return (popup = Find()) != nullptr; })) {
            DWORD_PTR menu = 0;
            SendMessageTimeoutA(popup, MN_GETHMENU, 0, 0, SMTO_NORMAL, 1000, &menu);
            for (int i = 0; i < downs; ++i)
                PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
            selected_ = !choose || until([&] {
                return (GetMenuState(reinterpret_cast<HMENU>(menu), 0, MF_BYPOSITION) & MF_HILITE) != 0;
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(50)); // let it paint
            PostMessageA(popup, WM_KEYDOWN, choose && selected_ ? VK_RETURN : VK_ESCAPE, 0);
            if (!choose) {
                // A system menu opened from the keyboard goes back to the menu bar on Escape.
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                if (!Find())
                    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
            }
        }
        done_ = true;
    }

    DWORD ui_;
    std::atomic<bool> done_{false}, selected_{false};
    std::thread thread_;
};
} // namespace

class HostileSkinPaintTest : public TSkinnedUiTest {
  protected:
    void TearDown() override {
        TestApplication().OnException = {};
        form_.reset();
        PumpPending();
        TSkinnedUiTest::TearDown();
    }
    TMenuItem* Item(TMenuItem& parent, const std::string& caption) {
        auto* item = new TMenuItem(form_.get());
        item->SetCaption(caption);
        item->OnClick = Bind<&TLog::Clicked>(&log_);
        parent.Add(item);
        return item;
    }
    HWND Window() const { return form_->Handle(); }
    TWinSkinForm* Frame() const { return SkinManager() ? SkinManager()->FindFrame(Window()) : nullptr; }
    // Opens a popup with the posted input and lets the helper answer it.
    void Track(TPopupKeys& keys, const std::string& what) {
        EXPECT_TRUE(PumpUntil([&] { return keys.Done(); }, 12000)) << what << " did not open";
        EXPECT_TRUE(keys.Selected()) << what << ": no item selected";
        PumpPending();
    }
    // A message to the window with a point of the window in screen coordinates.
    void NcMessage(UINT msg, WPARAM hit, int x, int y) {
        RECT r{};
        GetWindowRect(Window(), &r);
        SendMessageA(Window(), msg, hit, MAKELPARAM(r.left + x, r.top + y));
    }
    void Wear(const char* description);

    TOwnedComponent<TForm> form_;
    TLog log_;
};

// Puts the description on the window as a loaded skin and drives everything that paints it.
void HostileSkinPaintTest::Wear(const char* description) {
    TQuickIni ini;
    ini.LoadFromText(description);
    skin_->LoadElements(ini, Images());
    ASSERT_TRUE(skin_->SkinReady());
    skin_->ApplyNewSkin();
    ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
    SetForegroundWindow(Window());
    PumpPending();
    ASSERT_NE(Frame(), nullptr);
    // The frame painted active and inactive, every caption object and menu-bar button hot.
    RedrawWindow(Window(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    SendMessageA(Window(), WM_NCACTIVATE, FALSE, 0);
    SendMessageA(Window(), WM_NCACTIVATE, TRUE, 0);
    std::vector<TFrameRect> hot;
    for (const auto& button : Frame()->CaptionButtons())
        hot.push_back(button->BoundsRect);
    if (Frame()->SkinMenuBar())
        for (const auto& button : Frame()->SkinMenuBar()->Buttons())
            hot.push_back(button->BoundsRect);
    for (const TFrameRect& r : hot)
        NcMessage(WM_NCMOUSEMOVE, HTCAPTION, r.Left / 2 + r.Right / 2, r.Top / 2 + r.Bottom / 2);
    NcMessage(WM_NCMOUSEMOVE, HTCAPTION, 150, 1);
    // Resized: squeezed to nothing, stretched, minimized (the caption alone) and back.
    RECT before{};
    GetWindowRect(Window(), &before);
    for (SIZE size :
         {SIZE{1, 1}, SIZE{1600, 1200}, SIZE{before.right - before.left, before.bottom - before.top}}) {
        SetWindowPos(Window(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpPending();
    }
    ShowWindow(Window(), SW_MINIMIZE);
    PumpPending();
    ShowWindow(Window(), SW_RESTORE);
    SetForegroundWindow(Window());
    PumpPending();
    // The menu bar's popup from the keyboard runs its first item; the popup menu's first item
    // chosen; the system menu opened and closed; a click on the client area.
    {
        TPopupKeys keys(Window(), 0, true);
        PostKey(Window(), 'F', true);
        Track(keys, "the File popup");
    }
    {
        TPopupKeys keys(Window(), 1, true);
        PostRightClick(Window(), 40, 40);
        Track(keys, "the popup menu");
    }
    {
        TPopupKeys keys(Window(), 0, false);
        PostKey(Window(), VK_SPACE, true);
        Track(keys, "the system menu");
    }
    PostLeftClick(Window(), 60, 60);
    PumpPending();
}

TEST_F(HostileSkinPaintTest, AWindowWearingAHostileSkinPaintsItsFrameAndMenusAndKeepsWorking) {
    TestApplication().OnException = Bind<&TLog::Failed>(&log_);
    form_.reset(new TForm(&TestApplication()));
    form_->SetCaption("Hostile skin");
    form_->SetBounds(160, 140, 420, 260);
    form_->OnMouseDown = Bind<&TLog::Pressed>(&log_);
    auto* menu = new TMainMenu(form_.get());
    Item(*Item(menu->Items(), "&File"), "&Open");
    form_->SetMenu(menu);
    auto* popup = new TPopupMenu(form_.get());
    Item(popup->Items(), "&Alpha");
    Item(popup->Items(), "&Beta");
    form_->SetPopupMenu(popup);
    form_->Show();
    SetForegroundWindow(Window());
    ASSERT_TRUE(PumpUntil([&] { return Frame() && Frame()->FrameState() == fsRunning; }, 3000));
    PumpPending();

    DWORD gdi = 0, user = 0;
    for (int round = 0; round < 2; ++round) {
        for (const char* description : Rows) {
            SCOPED_TRACE(description);
            log_.Items.clear();
            log_.Presses = 0;
            Wear(description);
            if (HasFatalFailure())
                return;
            // (The top item's own click comes first where the skinned bar opened the popup.)
            std::erase(log_.Items, "&File");
            EXPECT_EQ(log_.Items, (std::vector<std::string>{"&Open", "&Alpha"}));
            EXPECT_EQ(log_.Presses, 1);
            EXPECT_EQ(log_.Errors, std::vector<std::string>{});
            EXPECT_EQ(Frame()->FrameState(), fsRunning);
        }
        if (round == 0) {
            gdi = GdiObjectCount();
            user = UserObjectCount();
        }
    }
    EXPECT_LE(GdiObjectCount(), gdi + 5);
    EXPECT_LE(UserObjectCount(), user + 3);
}
