// Legibility of the built-in skins, measured on the skin gallery as the engine really draws it:
// for each of the eight skins the gallery is shown, captured from the screen, and the contrast
// of text against its background is measured for the caption, a push button in every cell
// (normal, under the mouse, pressed, default, focused), the popup menu (normal and selected
// item), the tabs and the status bar. Every item must reach 4.5:1 (the WCAG level for normal
// text). Disabled text is not measured: the WCAG exempts the text of inactive controls.
//
// How a measurement is made: the test takes a box around the text, just the text where its
// extent is known (buttons, tabs: the caption's extent centred where the adapter centres it,
// one pixel to spare, which keeps a focus rectangle out), otherwise the item's area inside the
// skin's border margins. MeasureTextContrast then takes the box's dominant colour as the
// background and the pixel standing out most from it as the text colour: the core pixels of the
// strokes have exactly the colour the text was drawn in, while anti-aliased edges lie between
// it and the background, so they cannot make text look stronger or weaker than it is. Where the
// background is a gradient every band of it counts and the weakest decides.
//
// The drop-down button of a combo box held down is measured as well: its arrow is a graphic,
// not text, for which the WCAG asks 3:1. So are the glyphs and check marks of the menus: the
// ticks of a popup menu and of a menu-bar popup and the glyphs of the skinned system menu, on a
// normal and on a selected row (enabled items; the WCAG exempts inactive ones as for text).
#include "SkinActions.h"
#include "UiTestSupport.h"

#include "GalleryForm.h"
#include "Menus.h"
#include "SkinContrast.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinFormMenuBar.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double TextLevel = 4.5;
constexpr double GraphicLevel = 3.0;

std::string Hex(std::uint32_t colour) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The first child (at any depth) of that window class (the toolkit's class name) and, when given, that text.
HWND FindChild(HWND parent, const std::string& className, const std::string& text = {}) {
    struct TSearch {
        std::string Class, Text;
        HWND Found = nullptr;
    } search{className, text};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(param);
            if (lstrcmpiA(ClassOf(window).c_str(), s->Class.c_str()) == 0 &&
                (s->Text.empty() || TextOf(window) == s->Text)) {
                s->Found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
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
            if (process == s->Process && IsWindowVisible(window) && ClassOf(window) == "#32768") {
                s->Found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

RECT Inset(RECT r, int dx, int dy) {
    InflateRect(&r, -dx, -dy);
    return r;
}

// A rectangle of a child's client area in the coordinates of the top-level window's capture.
RECT ToWindow(HWND child, HWND top, RECT r) {
    MapWindowPoints(child, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    RECT outer{};
    GetWindowRect(top, &outer);
    OffsetRect(&r, -outer.left, -outer.top);
    return r;
}

// The extent of one line of text in the window's font, centred in area, one pixel to spare,
// and kept inside area.
RECT CentredTextBox(HWND window, const std::string& text, const RECT& area) {
    HDC dc = GetDC(window);
    const auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    RECT extent{0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    if (old)
        SelectObject(dc, old);
    ReleaseDC(window, dc);
    const int w = extent.right - extent.left, h = extent.bottom - extent.top;
    const int left = area.left + (area.right - area.left - w) / 2;
    const int top = area.top + (area.bottom - area.top - h) / 2;
    RECT box{left - 1, top - 1, left + w + 1, top + h + 1};
    IntersectRect(&box, &box, &area);
    return box;
}

struct TMeasured {
    std::string Skin, Item;
    TTextContrast Contrast;
    double Level = TextLevel;
};

TTextContrast Measure(const TBitmap& shot, const RECT& box) {
    std::vector<std::uint32_t> pixels;
    for (int y = std::max<LONG>(box.top, 0); y < std::min<LONG>(box.bottom, shot.Height()); ++y)
        for (int x = std::max<LONG>(box.left, 0); x < std::min<LONG>(box.right, shot.Width()); ++x)
            pixels.push_back(static_cast<std::uint32_t>(shot.PixelColor(x, y)));
    return MeasureTextContrast(pixels);
}

} // namespace

class GalleryContrastTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        FreeSkinManager();
        EXPECT_TRUE(MovePointerTo(0, 0));
        form_.reset(new TGalleryForm(&TestApplication()));
        form_->StopMoving();
        form_->Show();
        PumpPending();
    }
    void TearDown() override {
        form_.reset();
        FreeSkinManager();
        PumpPending();
        // Every measurement, for a person to read; failures are reported by the tests.
        for (const TMeasured& m : measured_)
            std::printf("%-10s %-26s text %s on %s  %5.2f:1%s\n", m.Skin.c_str(), m.Item.c_str(),
                        Hex(m.Contrast.Text).c_str(), Hex(m.Contrast.Background).c_str(), m.Contrast.Ratio,
                        m.Contrast.Ratio < m.Level ? "  BELOW" : "");
        TUiTest::TearDown();
    }

    // Shows built-in skin index with the gallery active, and waits for the engine to apply it.
    void ShowSkin(int index) {
        form_->ShowSkin(index);
        EXPECT_TRUE(PumpUntil(
            [&] { return SkinActionDone() && Frame() && Frame()->FrameState() == fsRunning; }, 5000));
        SetForegroundWindow(Window());
        SetActiveWindow(Window());
        PumpPending();
        PumpFor(100);
        skinName_ =
            form_->Skin().SkinName().empty() ? "skin " + std::to_string(index) : form_->Skin().SkinName();
    }
    HWND Window() const { return form_->Handle(); }
    TWinSkinForm* Frame() const { return SkinManager() ? SkinManager()->FindFrame(Window()) : nullptr; }

    // Measures the box of the capture and expects the level; the failure names skin, item,
    // colours and ratio.
    void Expect(const TBitmap& shot, const RECT& box, const std::string& item, double level = TextLevel) {
        const TTextContrast c = Measure(shot, box);
        measured_.push_back({skinName_, item, c, level});
        EXPECT_GE(c.TextPixels, 3u) << skinName_ << ", " << item << ": no text found in the box";
        EXPECT_GE(c.Ratio, level) << skinName_ << ", " << item << ": text " << Hex(c.Text) << " on "
                                  << Hex(c.Background) << " is " << c.Ratio << ":1";
    }

    // A push button's caption in the window's capture.
    void ExpectButton(HWND button, const std::string& item) {
        auto shot = CaptureWindow(Window());
        RECT client{};
        GetClientRect(button, &client);
        std::string caption = TextOf(button);
        Expect(*shot, ToWindow(button, Window(), CentredTextBox(button, caption, Inset(client, 2, 2))), item);
    }

    std::unique_ptr<TGalleryForm> form_;
    std::string skinName_;
    std::vector<TMeasured> measured_;
};

TEST_F(GalleryContrastTest, CaptionTabsAndStatusBarAreLegibleInEverySkin) {
    for (int skin = 0; skin < form_->SkinCount(); ++skin) {
        ShowSkin(skin);
        ASSERT_NE(Frame(), nullptr);
        ASSERT_TRUE(Frame()->Active());
        auto shot = CaptureWindow(Window());
        const TFrameRect title = Frame()->TitleRect();
        Expect(*shot, RECT{title.Left, title.Top, title.Right, title.Bottom}, "caption (active)");

        HWND tabs = FindChild(Window(), "TTabControl");
        ASSERT_NE(tabs, nullptr);
        const char* names[] = {"General", "Colours"};
        for (int i = 0; i < 2; ++i) {
            RECT tab{};
            ASSERT_TRUE(
                SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab)));
            Expect(*shot, ToWindow(tabs, Window(), CentredTextBox(tabs, names[i], Inset(tab, 2, 2))),
                   i == 0 ? "tab text (selected)" : "tab text");
        }

        HWND status = FindChild(Window(), "TStatusBar");
        ASSERT_NE(status, nullptr);
        for (int panel = 0; panel < 2; ++panel) {
            RECT part{};
            ASSERT_TRUE(SendMessageA(status, SB_GETRECT, static_cast<WPARAM>(panel),
                                     reinterpret_cast<LPARAM>(&part)));
            Expect(*shot, ToWindow(status, Window(), Inset(part, 4, 3)),
                   "status text " + std::to_string(panel + 1));
        }
    }
}

TEST_F(GalleryContrastTest, PushButtonTextIsLegibleInEveryCell) {
    for (int skin = 0; skin < form_->SkinCount(); ++skin) {
        ShowSkin(skin);
        HWND push = FindChild(Window(), "TButton", "&Push");
        HWND byDefault = FindChild(Window(), "TButton", "Default");
        HWND edit = FindChild(Window(), "TEdit", "Single line");
        ASSERT_TRUE(push && byDefault && edit);
        RECT client{};
        GetClientRect(push, &client);
        const int cx = client.right / 2, cy = client.bottom / 2;

        // Focus in the edit: the push button is in its normal cell, the default one in its own.
        SetFocus(edit);
        PumpPending();
        ExpectButton(push, "button (normal)");
        ExpectButton(byDefault, "button (default)");

        // Under the mouse.
        POINT at{cx, cy};
        ClientToScreen(push, &at);
        EXPECT_TRUE(MovePointerTo(at.x, at.y));
        PostMouse(push, WM_MOUSEMOVE, cx, cy);
        PumpPending();
        ExpectButton(push, "button (hot)");

        // Held down (the press also gives it the focus; the release is its click, which does
        // nothing in the gallery).
        PostMouse(push, WM_LBUTTONDOWN, cx, cy, MK_LBUTTON);
        PumpPending();
        ExpectButton(push, "button (pressed)");
        PostMouse(push, WM_LBUTTONUP, cx, cy);
        PumpPending();

        // Focused, the mouse gone.
        EXPECT_TRUE(MovePointerTo(0, 0));
        PostMouse(push, WM_MOUSELEAVE, 0, 0);
        SetFocus(push);
        PumpPending();
        ExpectButton(push, "button (focused)");
    }
}

namespace {

// An open menu as a test saw it: the window's capture, its items in the capture's coordinates,
// their captions (up to a tab), which are ticked and which is selected.
struct TMenuShot {
    bool Found = false;
    std::unique_ptr<TBitmap> Shot;
    std::vector<RECT> Items;
    std::vector<std::string> Captions;
    std::vector<bool> Checked;
    int Selected = -1;

    int IndexOf(const std::string& caption) const {
        for (size_t i = 0; i < Captions.size(); ++i)
            if (Captions[i] == caption)
                return static_cast<int>(i);
        return -1;
    }
};

// Opens a menu with open() (on this thread), presses Down downs times from a helper thread, takes
// the menu's picture on the user-interface thread inside the menu's loop, and closes it.
TMenuShot ShootMenu(const std::function<void()>& open, int downs) {
    TMenuShot result;
    std::atomic<bool> done{false};
    std::thread helper([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        HWND menu = nullptr;
        while (!(menu = FindPopupMenuWindow()) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (menu) {
            result.Found = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            for (int i = 0; i < downs; ++i)
                PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
            // The keys are handled in the menu's own loop: wait until they have moved the
            // highlight, rather than for a while.
            const auto handle = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
            const auto highlighted = [&] {
                return downs == 0 ||
                       (GetMenuState(handle, static_cast<UINT>(downs - 1), MF_BYPOSITION) & MF_HILITE) != 0;
            };
            while (!highlighted() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            RunOnUiThread([&] {
                RedrawWindow(menu, nullptr, nullptr, RDW_UPDATENOW);
                RECT outer{};
                GetWindowRect(menu, &outer);
                for (int i = 0; i < GetMenuItemCount(handle); ++i) {
                    RECT r{};
                    GetMenuItemRect(nullptr, handle, static_cast<UINT>(i), &r);
                    OffsetRect(&r, -outer.left, -outer.top);
                    result.Items.push_back(r);
                    char text[100] = {};
                    GetMenuStringA(handle, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                    result.Captions.push_back(std::string(text).substr(0, std::string(text).find('\t')));
                    const UINT state = GetMenuState(handle, static_cast<UINT>(i), MF_BYPOSITION);
                    result.Checked.push_back((state & MF_CHECKED) != 0);
                    if (state & MF_HILITE)
                        result.Selected = i;
                }
                result.Shot = CaptureWindow(menu);
            });
            PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            RunOnUiThread([] { EndMenu(); });
        }
        done = true;
    });
    open();
    PumpUntil([&] { return done.load(); }, 12000);
    helper.join();
    PumpUntil([] { return FindPopupMenuWindow() == nullptr; }, 3000);
    PumpPending();
    return result;
}

} // namespace

TEST_F(GalleryContrastTest, PopupMenuTextIsLegibleNormalAndSelected) {
    for (int skin = 0; skin < form_->SkinCount(); ++skin) {
        ShowSkin(skin);
        // The first item selected from the keyboard, the second one normal.
        const TMenuShot menu = ShootMenu(
            [&] {
                RECT client{};
                GetClientRect(Window(), &client);
                // An empty spot of the gallery: its popup menu opens there.
                PostRightClick(Window(), client.right - 15, client.bottom - 60);
            },
            1);
        ASSERT_TRUE(menu.Found) << skinName_ << ": no popup menu opened";
        ASSERT_TRUE(menu.Shot);
        ASSERT_GE(menu.Items.size(), 2u);
        ASSERT_EQ(menu.Selected, 0) << skinName_ << ": the first item is not selected";
        // Inside the item cell's margins, clear of a selection's outline.
        Expect(*menu.Shot, Inset(menu.Items[0], 5, 3), "menu text (selected)");
        Expect(*menu.Shot, Inset(menu.Items[1], 5, 3), "menu text");
    }
}

TEST_F(GalleryContrastTest, HeldComboButtonShowsItsArrow) {
    for (int skin = 0; skin < form_->SkinCount(); ++skin) {
        ShowSkin(skin);
        HWND combo = FindChild(Window(), "TComboBox", "Drop-down list");
        ASSERT_NE(combo, nullptr);
        RECT client{};
        GetClientRect(combo, &client);
        const int button = GetSystemMetrics(SM_CXVSCROLL);
        const int x = client.right - button / 2, y = client.bottom / 2;
        PostMouse(combo, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        PumpPending();
        PumpFor(100);
        auto shot = CaptureWindow(Window());
        const RECT arrow{client.right - button + 2, 3, client.right - 3, client.bottom - 3};
        Expect(*shot, ToWindow(combo, Window(), arrow), "combo arrow (held)", GraphicLevel);
        PostMouse(combo, WM_LBUTTONUP, x, y);
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        PumpPending();
    }
}

TEST_F(GalleryContrastTest, MenuGlyphsAndTicksStandOutNormalAndSelected) {
    // Two ticked items in the popup menu and in the View menu, so that the first (selected) and
    // the second (normal) row both show a tick.
    TMenuItem& popup = form_->PopupMenu()->Items();
    popup.Items(0)->SetChecked(true);
    popup.Items(1)->SetChecked(true);
    TMenuItem& viewItems = *form_->Menu()->Items().Items(1);
    ASSERT_EQ(viewItems.Caption(), "&View");
    viewItems.Items(1)->SetChecked(true);
    for (int skin = 0; skin < form_->SkinCount(); ++skin) {
        ShowSkin(skin);
        ASSERT_NE(Frame(), nullptr);
        const TDataSkinObject* element = form_->Skin().Slot(ssMenuItem);
        const int left = element && !element->Bitmap.Empty() ? element->LeftWidth : 0;
        // The glyph box of a row: 16 pixels square, one in from the item's left edge and the
        // item image's left margin, clear of the row's top and bottom edges.
        auto expectGlyph = [&](const TMenuShot& menu, int index, const std::string& item) {
            ASSERT_GE(index, 0) << skinName_ << ", " << item;
            const RECT r = menu.Items[static_cast<size_t>(index)];
            RECT box{r.left + 1 + left, r.top + 2, r.left + 1 + left + 16,
                     std::min(r.top + 17, r.bottom - 2)};
            const std::string row = index == menu.Selected ? " (selected)" : "";
            Expect(*menu.Shot, box, item + row, GraphicLevel);
        };
        RECT client{};
        GetClientRect(Window(), &client);

        // The popup menu: Down selects the first item.
        const TMenuShot context =
            ShootMenu([&] { PostRightClick(Window(), client.right - 15, client.bottom - 60); }, 1);
        ASSERT_TRUE(context.Found && context.Shot) << skinName_ << ": no popup menu opened";
        ASSERT_EQ(context.Selected, 0);
        expectGlyph(context, 0, "popup tick");
        expectGlyph(context, 1, "popup tick");

        // The View menu of the menu bar: opened from the bar, its first item selected by the bar.
        TWinSkinMenu* bar = Frame()->SkinMenuBar();
        ASSERT_NE(bar, nullptr);
        TMenuBtn* view = nullptr;
        for (const auto& button : bar->Buttons())
            if (button->Caption == L"&View")
                view = button.get();
        ASSERT_NE(view, nullptr);
        RECT outer{};
        GetWindowRect(Window(), &outer);
        const POINT at{outer.left + (view->BoundsRect.Left + view->BoundsRect.Right) / 2,
                       outer.top + (view->BoundsRect.Top + view->BoundsRect.Bottom) / 2};
        const TMenuShot viewMenu =
            ShootMenu([&] { PostMessageA(Window(), SKM_MENUATPOINT, 0, MAKELPARAM(at.x, at.y)); }, 0);
        ASSERT_TRUE(viewMenu.Found && viewMenu.Shot) << skinName_ << ": the View menu did not open";
        ASSERT_EQ(viewMenu.Selected, 0);
        expectGlyph(viewMenu, 0, "menu bar tick");
        expectGlyph(viewMenu, 1, "menu bar tick");

        // The system menu: Minimize selected, Maximize and Close normal.
        const TMenuShot system =
            ShootMenu([&] { PostMessageA(Window(), WM_SYSCOMMAND, SC_KEYMENU, ' '); }, 0);
        ASSERT_TRUE(system.Found && system.Shot) << skinName_ << ": no system menu opened";
        const int minimize = system.IndexOf("Mi&nimize");
        ASSERT_GE(minimize, 0);
        const TMenuShot selected =
            ShootMenu([&] { PostMessageA(Window(), WM_SYSCOMMAND, SC_KEYMENU, ' '); }, minimize + 1);
        ASSERT_TRUE(selected.Found && selected.Shot) << skinName_ << ": no system menu opened";
        ASSERT_EQ(selected.Selected, minimize);
        expectGlyph(selected, minimize, "system menu Minimize");
        expectGlyph(selected, selected.IndexOf("Ma&ximize"), "system menu Maximize");
        expectGlyph(selected, selected.IndexOf("&Close"), "system menu Close");
    }
}
