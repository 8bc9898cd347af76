// Skinned popup menus on real windows: the main window's menu opened by a right click is drawn
// from the skin (MenuBackground around and behind the items, MenuItem cells for the items and
// the selected one, the tick, disabled items), its commands still run from the keyboard and the
// mouse, Ctrl+S gives the system's menu back and takes it again, the system menu of the caption
// is skinned and acts, and a thousand menus leave no objects behind.
#include "GuiObjects.h"
#include "UiTestSupport.h"

#include "Form.h"
#include "Handles.h"
#include "Main.h"
#include "Menus.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinMenu.h"
#include "WinSkinMenuPaint.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {
const char* const IniName = "perchpoints.ini";

[[maybe_unused]] std::string Hex(TColor c) {
    std::ostringstream out;
    out << std::hex << "0x" << static_cast<unsigned>(c);
    return out.str();
}

bool ActionRan() {
    TSkinManage* manager = SkinManager();
    return manager && !manager->TimerEnabled() && manager->PendingSkinData() == nullptr;
}

// The visible popup menu window of this process, or null.
HWND FindPopupMenuWindow() {
    struct TSearch {
        DWORD Process;
        HWND Found;
    } search{GetCurrentProcessId(), nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(param);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            char name[32] = {};
            GetClassNameA(window, name, sizeof name);
            if (process == s->Process && IsWindowVisible(window) && std::string(name) == "#32768") {
                s->Found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// What a test saw of an open popup menu.
struct TMenuView {
    HWND Window = nullptr;
    HMENU Menu = nullptr;
    RECT Outer{};
    std::unique_ptr<TBitmap> Shot;
    std::vector<RECT> Items; // window coordinates
    std::vector<std::string> Captions;
    bool Skinned = false; // answers SKM_ISSKINNED
};

// Waits on a helper thread for the next popup menu window, lets the test look at it on the
// user-interface thread (inside the menu's own loop), then acts on it (keys, clicks) from the
// helper thread. The test thread meanwhile opens the menu and pumps until Done().
class TMenuSession {
  public:
    using TLook = std::function<void(TMenuView&)>;
    using TAct = std::function<void(TMenuView&)>;
    TMenuSession(TLook look, TAct act) : thread_([this, look, act] { Run(look, act); }) {}
    ~TMenuSession() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    bool Done() const { return done_; }
    bool Found() const { return found_; }
    TMenuView& View() { return view_; }

  private:
    void Run(const TLook& look, const TAct& act) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        HWND window = nullptr;
        while (!stop_ && !(window = FindPopupMenuWindow()) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (window) {
            found_ = true;
            // Let the menu paint.
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            view_.Window = window;
            RunOnUiThread([&] {
                view_.Menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
                view_.Skinned = SendMessageA(window, SKM_ISSKINNED, 0, 0) == 1;
                GetWindowRect(window, &view_.Outer);
                const int count = view_.Menu ? GetMenuItemCount(view_.Menu) : 0;
                for (int i = 0; i < count; ++i) {
                    RECT r{};
                    GetMenuItemRect(nullptr, view_.Menu, static_cast<UINT>(i), &r);
                    OffsetRect(&r, -view_.Outer.left, -view_.Outer.top);
                    view_.Items.push_back(r);
                    char text[100] = {};
                    GetMenuStringA(view_.Menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                    view_.Captions.push_back(text);
                }
                if (look)
                    look(view_);
            });
            if (act)
                act(view_);
        }
        done_ = true;
    }

    TMenuView view_;
    std::atomic<bool> stop_{false}, done_{false}, found_{false};
    std::thread thread_;
};

void PressKey(HWND window, WORD key) {
    PostMessageA(window, WM_KEYDOWN, key, 0);
}

} // namespace

class SkinMenuTest : public TUiTest {
  protected:
    void TearDown() override {
        form_.reset();
        PumpPending();
        TUiTest::TearDown();
    }
    void Start(int skin) {
        folder_.Write(IniName, "[Settings]\r\nLeft=100\r\nTop=100\r\nRight=300\r\nBottom=260\r\nSkin=" +
                                   std::to_string(skin) + "\r\n");
        form_.reset(new TForm1(&TestApplication(), folder_.Path("perchpoints.exe")));
        form_->Show();
        PumpPending();
        PumpUntil([&] { return ActionRan() && Frame() && Frame()->FrameState() == fsRunning; }, 3000);
        SetForegroundWindow(Window());
        SetActiveWindow(Window());
        PumpPending();
    }
    HWND Window() const { return form_->Handle(); }
    HWND Panel() const { return form_->panels1->Handle(); }
    TWinSkinForm* Frame() const {
        return SkinManager() ? SkinManager()->FindFrame(form_->Handle()) : nullptr;
    }
    TSkinData& Skin() const { return *form_->SkinData1; }

    // Opens the popup menu with a right click on the panel and runs the session on it.
    void OpenMenu(TMenuSession& session) {
        PostRightClick(Panel(), 10, 10);
        EXPECT_TRUE(PumpUntil([&] { return session.Done(); }, 12000));
        PumpUntil([] { return FindPopupMenuWindow() == nullptr; }, 3000);
        PumpPending();
        EXPECT_TRUE(session.Found()) << "no popup menu opened";
    }

    TTempFolder folder_;
    std::unique_ptr<TForm1> form_;
};

TEST_F(SkinMenuTest, RightClickOpensTheMenuSkinnedWithOwnerDrawnItems) {
    Start(1);
    TMenuSession session(nullptr, [](TMenuView& view) { PressKey(view.Window, VK_ESCAPE); });
    OpenMenu(session);
    EXPECT_TRUE(session.View().Skinned);
    ASSERT_EQ(session.View().Captions.size(), 12u);
    EXPECT_EQ(session.View().Captions[0], "Create new perchpoint");
    EXPECT_TRUE(form_->PopupMenu1->OwnerDraw());
}
