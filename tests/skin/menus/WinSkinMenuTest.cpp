// Skinned popup menus on real windows: the main window's menu opened by a right click is drawn
// from the skin (MenuBackground around and behind the items, MenuItem cells for the items and
// the selected one, the tick, disabled items), its commands still run from the keyboard and the
// mouse, Ctrl+S gives the system's menu back and takes it again, the system menu of the caption
// is skinned and acts.
#include "GuiObjects.h"
#include "SkinActions.h"
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
#include "WinSkinMenuSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
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
    std::unique_ptr<TBitmap> Background; // the popup skin's picture, when it has one
    std::vector<RECT> Items;             // window coordinates
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
                    // Items are drawn inside the border of the skin's picture.
                    const int border = TWinSkinPopMenu::BorderWidth;
                    r.left = std::max<LONG>(r.left, border);
                    r.top = std::max<LONG>(r.top, border);
                    r.right = std::min<LONG>(r.right, view_.Outer.right - view_.Outer.left - border);
                    r.bottom = std::min<LONG>(r.bottom, view_.Outer.bottom - view_.Outer.top - border);
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
    void SetUp() override {
        TUiTest::SetUp();
        // The mouse stays out of the way: a menu opening under it would select what it points at.
        EXPECT_TRUE(MovePointerTo(0, 0));
    }
    void Start(int skin) {
        folder_.Write(IniName, "[Settings]\r\nLeft=100\r\nTop=100\r\nRight=300\r\nBottom=260\r\nSkin=" +
                                   std::to_string(skin) + "\r\n");
        form_.reset(new TForm1(&TestApplication(), folder_.Path("perchpoints.exe")));
        form_->Show();
        PumpPending();
        PumpUntil([&] { return SkinActionDone() && Frame() && Frame()->FrameState() == fsRunning; }, 3000);
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

    // Ctrl+S, then the manager's deferred action.
    void CtrlS() {
        WORD key = 'S';
        form_->FormKeyDown(form_.get(), key, ssCtrl);
        EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    // "Change skin", then the manager's deferred refresh.
    void ChangeSkin() {
        form_->Changeskin1Click(nullptr);
        EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    // The menu opened by a right click, its first item selected from the keyboard, captured,
    // and closed again.
    std::unique_ptr<TMenuSession> Capture(int selectDown = 1) {
        auto session = std::make_unique<TMenuSession>(nullptr, [selectDown](TMenuView& view) {
            for (int i = 0; i < selectDown; ++i)
                PressKey(view.Window, VK_DOWN);
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            RunOnUiThread([&] { Look(view); });
            PressKey(view.Window, VK_ESCAPE);
        });
        OpenMenu(*session);
        return session;
    }
    // On the user-interface thread: the menu as the screen shows it, and the picture its skin
    // draws the items on.
    static void Look(TMenuView& view) {
        view.Shot = CaptureWindow(view.Window);
        if (const TBitmap* picture = SkinManager() ? SkinManager()->FindMenuBitmap(view.Menu) : nullptr) {
            view.Background = std::make_unique<TBitmap>(picture->Width(), picture->Height(), pf24bit);
            BitBlt(view.Background->MemoryDC(), 0, 0, picture->Width(), picture->Height(),
                   picture->MemoryDC(), 0, 0, SRCCOPY);
            GdiFlush();
        }
    }
    // The item of the popup menu with that caption, by position.
    static int IndexOf(const TMenuView& view, const std::string& caption) {
        for (size_t i = 0; i < view.Captions.size(); ++i)
            if (view.Captions[i] == caption)
                return static_cast<int>(i);
        return -1;
    }
    // Chooses an item from the keyboard: Down to it (the first Down selects the first item),
    // then Enter.
    static void ChooseByKeyboard(TMenuView& view, const std::string& caption) {
        const int index = IndexOf(view, caption);
        ASSERT_GE(index, 0) << caption;
        for (int i = 0; i <= index; ++i)
            if (view.Captions[static_cast<size_t>(i)] != "" && view.Captions[static_cast<size_t>(i)] != "-")
                PressKey(view.Window, VK_DOWN);
        PressKey(view.Window, VK_RETURN);
    }

    TTempFolder folder_;
    std::unique_ptr<TForm1> form_;
};

namespace {

// The skin's image pixel that a nine-slice drawing of cell (from 1) of element into a width x
// height area shows at the area's corner pixel (dx, dy) (corners are copied 1:1); corners only.
TColor CornerPixel(const TDataSkinObject& element, int cell, int width, int height, int dx, int dy) {
    const RECT source = CellRect(element, cell);
    const int sx = dx < element.LeftWidth ? source.left + dx : source.right - (width - dx);
    const int sy = dy < element.TopHeight ? source.top + dy : source.bottom - (height - dy);
    return element.Bitmap.PixelColor(sx, sy);
}

bool IsMagenta(TColor c) {
    return (c & 0xFFFFFF) == 0xFF00FF;
}

// Compares the corner regions of the element's cell drawn over rect of the shot with the skin's
// image (magenta pixels of a transparent image show what lies below and are skipped). Returns
// the number of pixels compared; failures name the label.
int CompareCorners(const TBitmap& shot, const RECT& rect, const TDataSkinObject& element, int cell,
                   const std::string& label) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int compared = 0, mismatches = 0;
    for (int dy = 0; dy < height; ++dy)
        for (int dx = 0; dx < width; ++dx) {
            const bool cornerX = dx < element.LeftWidth || dx >= width - element.RightWidth;
            const bool cornerY = dy < element.TopHeight || dy >= height - element.BottomHeight;
            if (!cornerX || !cornerY)
                continue;
            const TColor expected = CornerPixel(element, cell, width, height, dx, dy);
            if (element.Trans == 1 && IsMagenta(expected))
                continue;
            ++compared;
            const TColor shown = shot.PixelColor(rect.left + dx, rect.top + dy);
            if (shown != expected && ++mismatches <= 3)
                ADD_FAILURE() << label << ": pixel (" << rect.left + dx << ", " << rect.top + dy << ") shows "
                              << Hex(shown) << ", the skin has " << Hex(expected);
        }
    return compared;
}

// The corners of an item drawn with the element's cell over the picture: where the cell is
// opaque the cell shows, elsewhere the picture. Gives the mismatches.
int CompareItemOnPicture(const TBitmap& shot, const TBitmap& picture, const RECT& rect,
                         const TDataSkinObject& element, int cell, const std::string& label) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int mismatches = 0;
    for (int dy = 0; dy < height; ++dy)
        for (int dx = 0; dx < width; ++dx) {
            const bool cornerX = dx < element.LeftWidth || dx >= width - element.RightWidth;
            const bool cornerY = dy < element.TopHeight || dy >= height - element.BottomHeight;
            if (!cornerX || !cornerY)
                continue;
            const int x = rect.left + dx, y = rect.top + dy;
            TColor expected = CornerPixel(element, cell, width, height, dx, dy);
            if (element.Trans == 1 && IsMagenta(expected))
                expected = picture.PixelColor(x, y);
            const TColor shown = shot.PixelColor(x, y);
            if (shown != expected && ++mismatches <= 3)
                ADD_FAILURE() << label << ": pixel (" << x << ", " << y << ") shows " << Hex(shown)
                              << ", expected " << Hex(expected);
        }
    return mismatches;
}

// Pixels of exactly that colour inside rect.
int CountColour(const TBitmap& shot, const RECT& rect, TColor colour) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (shot.PixelColor(x, y) == (colour & 0xFFFFFF))
                ++count;
    return count;
}

// Whether the items of the menu are drawn by the program.
bool OwnerDrawn(HMENU menu) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    return menu && GetMenuItemInfoA(menu, 0, TRUE, &info) && (info.fType & MFT_OWNERDRAW);
}

} // namespace

TEST_F(SkinMenuTest, RightClickOpensTheMenuSkinnedWithOwnerDrawnItems) {
    Start(1);
    TMenuSession session(nullptr, [](TMenuView& view) { PressKey(view.Window, VK_ESCAPE); });
    OpenMenu(session);
    EXPECT_TRUE(session.View().Skinned);
    EXPECT_TRUE(OwnerDrawn(session.View().Menu));
    ASSERT_EQ(session.View().Captions.size(), 12u);
    EXPECT_EQ(session.View().Captions[0], "Create new perchpoint");
    EXPECT_EQ(session.View().Captions[11], "About");
}

// The border and background come from MenuBackground, items from MenuItem's first cell, the
// selected item from its fourth, in three skins; separators are thin.
TEST_F(SkinMenuTest, MenuIsDrawnFromTheSkinsPictures) {
    for (int skinIndex : {0, 2, 5}) {
        SCOPED_TRACE("skin " + std::to_string(skinIndex));
        Start(skinIndex);
        auto session = Capture();
        const TMenuView& view = session->View();
        ASSERT_TRUE(view.Shot);
        ASSERT_EQ(view.Items.size(), 12u);
        const TDataSkinObject* background = Skin().Slot(ssMenuBackground);
        const TDataSkinObject* item = Skin().Slot(ssMenuItem);
        ASSERT_TRUE(background && item);
        const RECT whole{0, 0, view.Shot->Width(), view.Shot->Height()};
        EXPECT_GT(CompareCorners(*view.Shot, whole, *background, 1, "border"), 20);
        EXPECT_GT(CompareCorners(*view.Shot, view.Items[0], *item, 4, "selected item"), 8);
        // A normal item: its cell over the popup's picture (where the cell is transparent the
        // picture shows), and the picture is MenuBackground's.
        ASSERT_TRUE(view.Background);
        EXPECT_GT(CompareCorners(*view.Background, whole, *background, 1, "picture"), 20);
        EXPECT_EQ(CompareItemOnPicture(*view.Shot, *view.Background, view.Items[2], *item, 1, "normal item"),
                  0);
        // The separator ("-" after the third item) is a thin strip, not a full item.
        const RECT separator = view.Items[3];
        EXPECT_EQ(separator.bottom - separator.top, MenuSeparatorHeight);
        EXPECT_GT(view.Items[2].bottom - view.Items[2].top, MenuSeparatorHeight);
        // The selected item's caption is in the skin's selected text colour.
        EXPECT_GT(CountColour(*view.Shot, view.Items[0], Skin().Colour(scHilightText)), 10);
        EXPECT_GT(CountColour(*view.Shot, view.Items[2], Skin().Colour(scMenuText)), 10);
        if (HasFailure())
            SaveCapture(*view.Shot, folder_.Path("menu.bmp"));
        form_.reset();
        PumpPending();
    }
}

TEST_F(SkinMenuTest, TickOfUseShortTitlesFollowsTheSetting) {
    Start(0);
    // The tick is drawn in the item's text colour.
    const TColor tick = ColorToRGB(Skin().Colour(scMenuText));
    // The glyph box of an item: where the tick goes.
    auto glyphBox = [](const TMenuView& view, int index) {
        const RECT r = view.Items[static_cast<size_t>(index)];
        return RECT{r.left, r.top, r.left + 24, r.bottom};
    };
    ASSERT_TRUE(form_->Shorten->Checked());
    auto ticked = Capture(0);
    const int shorten = IndexOf(ticked->View(), "Use short titles");
    const int reload = IndexOf(ticked->View(), "Reload targets");
    ASSERT_GE(shorten, 0);
    const int tickPixels = CountColour(*ticked->View().Shot, glyphBox(ticked->View(), shorten), tick);
    const int plainPixels = CountColour(*ticked->View().Shot, glyphBox(ticked->View(), reload), tick);
    EXPECT_GT(tickPixels, plainPixels + 5);

    // Chosen from the menu, the setting goes off and the tick with it.
    TMenuSession choose(nullptr, [](TMenuView& view) { ChooseByKeyboard(view, "Use short titles"); });
    OpenMenu(choose);
    EXPECT_FALSE(form_->Shorten->Checked());
    auto plain = Capture(0);
    EXPECT_EQ(CountColour(*plain->View().Shot, glyphBox(plain->View(), shorten), tick),
              CountColour(*plain->View().Shot, glyphBox(plain->View(), reload), tick));
}

TEST_F(SkinMenuTest, DisabledItemIsDrawnInTheShadowColour) {
    Start(0);
    form_->Delete1->SetEnabled(false);
    auto session = Capture(0);
    const TMenuView& view = session->View();
    const int index = IndexOf(view, "Delete current perchpoint");
    ASSERT_GE(index, 0);
    const TColor shadow = Skin().Colour(scButtonShadow) == Skin().Colour(scMenuText)
                              ? static_cast<TColor>(GetSysColor(COLOR_BTNSHADOW))
                              : Skin().Colour(scButtonShadow);
    const RECT disabled = view.Items[static_cast<size_t>(index)];
    EXPECT_GT(CountColour(*view.Shot, disabled, ColorToRGB(shadow)), 10);
    EXPECT_EQ(CountColour(*view.Shot, disabled, ColorToRGB(Skin().Colour(scMenuText))), 0);
}

TEST_F(SkinMenuTest, ItemsChosenByKeyboardAndMouseRunTheirCommands) {
    Start(3);
    // Keyboard: the answerer goes down to the item and presses Enter.
    const bool before = form_->Shorten->Checked();
    TDialogAnswerer answer(TAnswer::ChooseMenu("Use short titles"));
    PostRightClick(Panel(), 10, 10);
    EXPECT_TRUE(PumpUntil([&] { return answer.Done(); }, 12000));
    PumpPending();
    EXPECT_TRUE(answer.Wait().Answered);
    EXPECT_NE(form_->Shorten->Checked(), before);

    // Mouse: a click in the middle of the item.
    TMenuSession click(nullptr, [](TMenuView& view) {
        const int index = IndexOf(view, "Use short titles");
        if (index < 0)
            return;
        const RECT r = view.Items[static_cast<size_t>(index)];
        POINT screen{view.Outer.left + (r.left + r.right) / 2, view.Outer.top + (r.top + r.bottom) / 2};
        // While a menu is tracked the mouse arrives in screen coordinates.
        EXPECT_TRUE(MovePointerTo(screen.x, screen.y));
        const LPARAM at = MAKELPARAM(screen.x, screen.y);
        PostMessageA(view.Window, WM_MOUSEMOVE, 0, at);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        PostMessageA(view.Window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(view.Window, WM_LBUTTONUP, 0, at);
    });
    OpenMenu(click);
    EXPECT_EQ(form_->Shorten->Checked(), before);
}

TEST_F(SkinMenuTest, CtrlSGivesTheSystemMenuBackAndSkinsItAgain) {
    Start(2);
    CtrlS();
    EXPECT_FALSE(form_->PopupMenu1->OwnerDraw());
    for (int i = 0; i < form_->PopupMenu1->Items().Count(); ++i) {
        EXPECT_FALSE(form_->PopupMenu1->Items().Items(i)->OnDrawItem);
        EXPECT_FALSE(form_->PopupMenu1->Items().Items(i)->OnMeasureItem);
    }
    {
        TMenuSession native(nullptr, [](TMenuView& view) { ChooseByKeyboard(view, "Font size+"); });
        OpenMenu(native);
        EXPECT_FALSE(native.View().Skinned);
        EXPECT_FALSE(OwnerDrawn(native.View().Menu));
        EXPECT_EQ(native.View().Captions.size(), 12u);
    }
    CtrlS();
    EXPECT_TRUE(form_->PopupMenu1->OwnerDraw());
    auto skinned = Capture();
    EXPECT_TRUE(skinned->View().Skinned);
    EXPECT_TRUE(OwnerDrawn(skinned->View().Menu));
    const RECT whole{0, 0, skinned->View().Shot->Width(), skinned->View().Shot->Height()};
    EXPECT_GT(CompareCorners(*skinned->View().Shot, whole, *Skin().Slot(ssMenuBackground), 1, "border"), 20);
}

TEST_F(SkinMenuTest, PopupMenuWithTheDisableTagKeepsTheSystemLook) {
    Start(0);
    form_->PopupMenu1->SetTagInt(99);
    CtrlS();
    CtrlS();
    EXPECT_FALSE(form_->PopupMenu1->OwnerDraw());
    TMenuSession session([](TMenuView& view) { view.Shot = CaptureWindow(view.Window); },
                         [](TMenuView& view) { PressKey(view.Window, VK_ESCAPE); });
    OpenMenu(session);
    EXPECT_FALSE(OwnerDrawn(session.View().Menu));
    ASSERT_TRUE(session.View().Shot);
    // The system draws the border: the skin's picture is not there.
    const TDataSkinObject& background = *Skin().Slot(ssMenuBackground);
    const int w = session.View().Shot->Width(), h = session.View().Shot->Height();
    int same = 0, compared = 0;
    for (int dy = 0; dy < background.TopHeight; ++dy)
        for (int dx = 0; dx < background.LeftWidth; ++dx) {
            ++compared;
            same += session.View().Shot->PixelColor(dx, dy) == CornerPixel(background, 1, w, h, dx, dy);
        }
    EXPECT_LT(same, compared);
}

// An unchanged menu is shown as it was built; a new skin builds it again, so that its items are
// measured for that skin (the system keeps the sizes it measured with a menu).
TEST_F(SkinMenuTest, ChangeSkinDrawsTheMenuInTheNewSkin) {
    Start(0);
    HMENU first = nullptr, second = nullptr;
    { first = Capture()->View().Menu; }
    { second = Capture()->View().Menu; }
    EXPECT_EQ(first, second);
    const std::string oldSkin = Skin().SkinName();
    ChangeSkin();
    EXPECT_NE(Skin().SkinName(), oldSkin);
    auto session = Capture();
    const TMenuView& view = session->View();
    ASSERT_TRUE(view.Shot);
    const RECT whole{0, 0, view.Shot->Width(), view.Shot->Height()};
    EXPECT_GT(CompareCorners(*view.Shot, whole, *Skin().Slot(ssMenuBackground), 1, "border after the change"),
              20);
    EXPECT_GT(CompareCorners(*view.Shot, view.Items[0], *Skin().Slot(ssMenuItem), 4, "selected item"), 8);
    EXPECT_NE(view.Menu, first) << "the menu kept the old skin's item sizes";
}

// The popup's skin is found through a window property; when the property cannot be set (here:
// the atom table its name needs is full) the menu keeps its own procedure and the system's look.
TEST_F(SkinMenuTest, APopupMenuWhoseSkinCannotBeFoundStaysNative) {
    Start(1);
    // What the first menu makes once (the toolkit's window for menu messages) is made first.
    TMenuSession first(nullptr, [](TMenuView& view) { PressKey(view.Window, VK_ESCAPE); });
    OpenMenu(first);
    std::vector<ATOM> filler;
    for (int i = 0; i < 0x10000; ++i) {
        const ATOM atom = GlobalAddAtomA(("PPFill" + std::to_string(i)).c_str());
        if (!atom)
            break;
        filler.push_back(atom);
    }
    const bool full = !SetPropA(Window(), "PPAtomProbe", reinterpret_cast<HANDLE>(1));
    TMenuSession session(nullptr, [](TMenuView& view) { PressKey(view.Window, VK_ESCAPE); });
    if (full)
        OpenMenu(session);
    for (ATOM atom : filler)
        GlobalDeleteAtom(atom);
    RemovePropA(Window(), "PPAtomProbe");
    if (!full)
        GTEST_SKIP() << "the atom table did not fill";
    EXPECT_FALSE(session.View().Skinned);
    EXPECT_NE(session.View().Menu, nullptr) << "the menu's own procedure does not answer";
    EXPECT_EQ(session.View().Captions.size(), 12u);
    EXPECT_TRUE(SkinManager()->PopupMenus().empty());
    // Nothing of it stays: the next menu is skinned again.
    TMenuSession again(nullptr, [](TMenuView& view) { PressKey(view.Window, VK_ESCAPE); });
    OpenMenu(again);
    EXPECT_TRUE(again.View().Skinned);
}

// A window whose frame the skin leaves to the system has its popup menus measured again for a
// new skin all the same.
TEST_F(SkinMenuTest, ChangeSkinMeasuresTheMenuAgainUnderTheSystemFrame) {
    Start(0);
    Skin().SetSkinControls(Skin().SkinControls() & ~SkinControlBit(xcMainMenu));
    CtrlS();
    CtrlS();
    ASSERT_TRUE(Frame());
    ASSERT_FALSE(Frame()->SkinFrame());
    HMENU first = Capture()->View().Menu;
    ChangeSkin();
    auto session = Capture();
    EXPECT_TRUE(session->View().Skinned);
    EXPECT_TRUE(OwnerDrawn(session->View().Menu));
    EXPECT_NE(session->View().Menu, first) << "the menu kept the old skin's item sizes";
}

// ---- the system menu

TEST_F(SkinMenuTest, AltSpaceOpensTheSkinnedSystemMenuAndItsItemsAct) {
    Start(4);
    TMenuSession session([](TMenuView& view) { view.Shot = CaptureWindow(view.Window); },
                         [](TMenuView& view) { ChooseByKeyboard(view, "Mi&nimize"); });
    PostMessageA(Window(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    EXPECT_TRUE(PumpUntil([&] { return session.Done(); }, 12000));
    PumpUntil([] { return FindPopupMenuWindow() == nullptr; }, 3000);
    EXPECT_TRUE(session.Found());
    const TMenuView& view = session.View();
    EXPECT_TRUE(view.Skinned);
    EXPECT_TRUE(OwnerDrawn(view.Menu));
    ASSERT_TRUE(Frame() && Frame()->SystemMenuPopup());
    EXPECT_EQ(Frame()->SystemMenuPopup()->TagInt(), SystemMenuPopupTag);
    EXPECT_GE(IndexOf(view, "Mi&nimize"), 0) << "the system menu's entries";
    EXPECT_GE(view.Captions.size(), 5u);
    ASSERT_TRUE(view.Shot);
    const RECT whole{0, 0, view.Shot->Width(), view.Shot->Height()};
    EXPECT_GT(CompareCorners(*view.Shot, whole, *Skin().Slot(ssMenuBackground), 1, "system menu border"), 20);
    // Minimize was chosen: the window goes down.
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(Window()) != FALSE; }, 3000));
    ShowWindow(Window(), SW_RESTORE);
    PumpPending();
}

TEST_F(SkinMenuTest, SystemMenuEntriesFollowTheWindowsState) {
    Start(0);
    // Entries of the program's own, greyed by MF_GRAYED alone and by MF_DISABLED alone.
    HMENU system = GetSystemMenu(Window(), FALSE);
    AppendMenuA(system, MF_STRING | MF_GRAYED, 0x7F10, "Greyed");
    AppendMenuA(system, MF_STRING | MF_DISABLED, 0x7F20, "Disabled");
    TMenuSession session(nullptr, [](TMenuView& view) { PressKey(view.Window, VK_ESCAPE); });
    PostMessageA(Window(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    EXPECT_TRUE(PumpUntil([&] { return session.Done(); }, 12000));
    PumpUntil([] { return FindPopupMenuWindow() == nullptr; }, 3000);
    ASSERT_TRUE(Frame() && Frame()->SystemMenuPopup());
    TMenuItem& items = Frame()->SystemMenuPopup()->Items();
    for (int i = 0; i < items.Count(); ++i) {
        TMenuItem& item = *items.Items(i);
        switch (item.TagInt() & 0xFFF0) {
        case SC_RESTORE:
            EXPECT_FALSE(item.Enabled()) << "a normal window is not restored";
            EXPECT_EQ(item.ImageIndex(), mgRestore);
            break;
        case SC_MAXIMIZE:
            EXPECT_FALSE(item.Enabled()) << "the main window has no maximize box";
            break;
        case SC_MINIMIZE:
            EXPECT_TRUE(item.Enabled());
            EXPECT_EQ(item.ImageIndex(), mgMinimize);
            break;
        case SC_CLOSE:
            EXPECT_TRUE(item.Enabled());
            EXPECT_EQ(item.ImageIndex(), mgClose);
            break;
        case 0x7F10:
        case 0x7F20:
            EXPECT_FALSE(item.Enabled()) << item.Caption();
            break;
        default:
            break;
        }
    }
    EXPECT_EQ(Skin().MenuGlyphs()->Count(), 4);
}

// ---- skin changes while a menu is open

// "Change skin" and the menu opened again at once: the deferred refresh falls due while the menu
// is open. The menu shows whole in the new skin, and the next one is measured for it.
TEST_F(SkinMenuTest, MenuOpenedAgainRightAfterChangeSkinIsWholeInTheNewSkin) {
    Start(0);
    HMENU before = Capture()->View().Menu;
    form_->Changeskin1Click(nullptr);
    bool menuAlive = false;
    auto session = std::make_unique<TMenuSession>(nullptr, [&](TMenuView& view) {
        // Past the refresh's 250 ms, inside the menu's loop.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        PressKey(view.Window, VK_DOWN);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        RunOnUiThread([&] {
            menuAlive = IsMenu(view.Menu) && GetMenuItemCount(view.Menu) == 12;
            Look(view);
        });
        PressKey(view.Window, VK_ESCAPE);
    });
    OpenMenu(*session);
    EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
    const TMenuView& view = session->View();
    EXPECT_TRUE(view.Skinned);
    EXPECT_TRUE(menuAlive) << "the open menu was taken away under the system's feet";
    ASSERT_TRUE(view.Shot);
    const RECT whole{0, 0, view.Shot->Width(), view.Shot->Height()};
    EXPECT_GT(CompareCorners(*view.Shot, whole, *Skin().Slot(ssMenuBackground), 1, "border"), 20);
    EXPECT_GT(CompareCorners(*view.Shot, view.Items[0], *Skin().Slot(ssMenuItem), 4, "selected item"), 8);
    if (HasFailure())
        SaveCapture(*view.Shot, folder_.Path("menu.bmp"));
    auto next = Capture();
    EXPECT_NE(next->View().Menu, before) << "the menu kept the old skin's item sizes";
    EXPECT_TRUE(SkinManager()->PopupMenus().empty());
}

// Ctrl+S while the skinned system menu is open: the menu stays whole and skinned until it
// closes, then the window gets its own frame back; Ctrl+S in the system's own menu skins it
// again once that closes. Round after round nothing leaks.
TEST_F(SkinMenuTest, CtrlSWhileTheSystemMenuIsOpenActsWhenItCloses) {
    Start(2);
    auto openSystemMenu = [&](TMenuView& seen) {
        TMenuSession session(nullptr, [&](TMenuView& view) {
            RunOnUiThread([&] {
                WORD key = 'S';
                form_->FormKeyDown(form_.get(), key, ssCtrl);
            });
            // Past the manager's 250 ms, inside the menu's loop.
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            PressKey(view.Window, VK_DOWN);
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            RunOnUiThread([&] { Look(view); });
            PressKey(view.Window, VK_ESCAPE);
            // The system's own menu goes back to the caption on Escape: that is left as well.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            RunOnUiThread([] { EndMenu(); });
        });
        PostMessageA(Window(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
        EXPECT_TRUE(PumpUntil([&] { return session.Done(); }, 12000));
        PumpUntil([] { return FindPopupMenuWindow() == nullptr; }, 3000);
        EXPECT_TRUE(session.Found());
        EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
        seen.Skinned = session.View().Skinned;
        seen.Shot = std::move(session.View().Shot);
    };
    DWORD gdi = 0, user = 0;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        TMenuView off;
        openSystemMenu(off);
        EXPECT_TRUE(off.Skinned) << "the open menu lost its skin";
        ASSERT_TRUE(off.Shot);
        const RECT whole{0, 0, off.Shot->Width(), off.Shot->Height()};
        EXPECT_GT(CompareCorners(*off.Shot, whole, *Skin().Slot(ssMenuBackground), 1, "border"), 20);
        EXPECT_EQ(Frame(), nullptr) << "skinning did not go off when the menu closed";
        TMenuView native;
        openSystemMenu(native);
        EXPECT_FALSE(native.Skinned);
        ASSERT_NE(Frame(), nullptr) << "skinning did not come back when the menu closed";
        EXPECT_TRUE(SkinManager()->PopupMenus().empty());
        // The first round makes what is made once (caches of the painters).
        if (round == 0) {
            gdi = GdiObjectCount();
            user = UserObjectCount();
        }
    }
    EXPECT_LE(GdiObjectCount(), gdi + 3) << "GDI objects before: " << gdi;
    EXPECT_LE(UserObjectCount(), user + 3) << "USER objects before: " << user;
}
