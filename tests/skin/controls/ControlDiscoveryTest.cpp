// Control discovery on real windows: the main window's panels and Move switch, the buttons of the
// program's message dialogs, its input box and folder chooser, and of the system's message box
// get the skin's adapters when their frame starts; tags, the Skin3rd list and the application's
// own handler keep controls native or supply their adapters; skinning switched off gives every
// control its own look back.
//
// Expected pixels come from the skin component's own images: a button's outer ring is the
// nine-slice cell of the skin's Buttons image, a check box's mark is the check image's cell.
#include "GuiObjects.h"
#include "SkinActions.h"
#include "UiTestSupport.h"

#include "Buttons.h"
#include "Dialogs.h"
#include "Form.h"
#include "Handles.h"
#include "JvSelectDirectory.h"
#include "Main.h"
#include "Panel.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSubClass.h"
#include "WinSubClassGeometry.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

TWinSkinForm* FrameOf(HWND window) {
    return SkinManager() ? SkinManager()->FindFrame(window) : nullptr;
}

// The adapter the window's frame keeps for a control or a bare window; null when there is none.
TSkinControl* AdapterOf(HWND frameWindow, const TControl* control, HWND window = nullptr) {
    TWinSkinForm* frame = FrameOf(frameWindow);
    if (!frame)
        return nullptr;
    for (TSkinControl* adapter : frame->Adapters())
        if ((control && adapter->Control() == control) || (window && adapter->Handle() == window))
            return adapter;
    return nullptr;
}

std::string ClassOf(const TSkinControl* adapter) {
    return adapter ? adapter->ClassName() : "(none)";
}

std::string Hex(COLORREF c) {
    std::ostringstream out;
    out << std::hex << "0x" << c;
    return out.str();
}

bool IsMagenta(TColor c) {
    return (c & 0xFFFFFF) == 0xFF00FF;
}

// The check image's cell for an enabled box: cell 1 or 2 of a four-cell image, the matching cells
// of a twelve-cell one.
int CheckCell(const TSkinData& skin, bool checked) {
    TCheckFacts facts;
    facts.NativeChecked = checked;
    facts.ImageCells = skin.Buttons().CheckFrame;
    return CheckBoxCell(facts);
}

// The Buttons cell of a push button at rest, as the test leaves it: not pressed, the mouse away,
// marked when it has the focus or is its dialog's default button; the disabled cell when disabled.
int RestingButtonCell(HWND button) {
    bool isDefault = (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    if (auto* control = dynamic_cast<TButton*>(FindControl(button)))
        isDefault = control->Default();
    return ButtonCell(false, false, GetFocus() == button || isDefault, IsWindowEnabled(button) != FALSE);
}

// Pixels of the push button's outer two-pixel ring that differ from the skin's Buttons cell.
int ButtonRingMismatches(HWND button, const TSkinData& skin, int cell) {
    RECT r{};
    GetClientRect(button, &r);
    const int w = r.right, h = r.bottom;
    auto shot = CaptureClient(button);
    TBitmap expected(w, h);
    {
        TOwnedBrush face(CreateSolidBrush(ColorToRGB(skin.Colour(scButtonFace))));
        const RECT all{0, 0, w, h};
        FillRect(expected.MemoryDC(), &all, face.Get());
        DrawElementCell(expected.MemoryDC(), all, skin.Buttons(), cell);
        GdiFlush();
    }
    int mismatches = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x < 2 || y < 2 || x >= w - 2 || y >= h - 2) &&
                shot->PixelColor(x, y) != expected.PixelColor(x, y))
                ++mismatches;
    return mismatches;
}

// Pixels of the check box's (radio button's) mark that differ from cell `cell` of the skin's image.
int MarkMismatches(HWND box, const TSkinData& skin, int cell, bool radio = false) {
    const TBitmap& image = radio ? skin.Buttons().RadioBitmap : skin.Buttons().CheckBitmap;
    const int cells = radio ? skin.Buttons().RadioFrame : skin.Buttons().CheckFrame;
    RECT r{};
    GetClientRect(box, &r);
    const bool leftText = (GetWindowLongA(box, GWL_STYLE) & BS_LEFTTEXT) != 0;
    const TCheckLayout layout = CheckLayoutFor(r.right, r.bottom, StripCellWidth(image.Width(), cells),
                                               image.Height(), leftText, radio);
    const TFrameRect source = StripCellRect(image.Width(), image.Height(), cells, cell);
    auto shot = CaptureClient(box);
    int mismatches = 0, compared = 0;
    for (int y = 0; y < source.Bottom - source.Top; ++y)
        for (int x = 0; x < source.Right - source.Left; ++x) {
            const TColor want = image.PixelColor(source.Left + x, source.Top + y);
            const int sx = layout.Image.Left + x, sy = layout.Image.Top + y;
            if (IsMagenta(want) || sx < 0 || sy < 0 || sx >= r.right || sy >= r.bottom)
                continue;
            ++compared;
            mismatches += shot->PixelColor(sx, sy) != want;
        }
    return compared ? mismatches : -1;
}

// A message dialog, input box or folder chooser runs its own modal loop; a thread timer inside
// it waits for the dialog's frame to run (discovery done) and hands the dialog to the test once.
// Whatever is still open after 8 s is closed so that the loop always ends.
struct TWhileOpen {
    std::string ClassName;
    std::function<void(HWND)> Act;
    HWND Dialog = nullptr;
    bool Acted = false;
    bool Framed = false;
    DWORD Started = 0;
};
TWhileOpen* whileOpen = nullptr;

void CALLBACK WhileOpenTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!whileOpen)
        return;
    if (whileOpen->Acted) {
        if (GetTickCount() - whileOpen->Started > 8000 && whileOpen->Dialog && IsWindow(whileOpen->Dialog))
            PostMessageA(whileOpen->Dialog, WM_CLOSE, 0, 0);
        return;
    }
    HWND dialog = FindVisibleThreadWindow(whileOpen->ClassName.c_str());
    TWinSkinForm* frame = dialog ? FrameOf(dialog) : nullptr;
    if (frame && frame->FrameState() == fsRunning) {
        whileOpen->Dialog = dialog;
        whileOpen->Acted = true;
        whileOpen->Framed = true;
        UpdateWindow(dialog);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        whileOpen->Act(dialog);
    } else if (GetTickCount() - whileOpen->Started > 8000 && dialog) {
        whileOpen->Acted = true;
        whileOpen->Dialog = dialog;
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
}

// Runs show() (which opens a modal dialog of that class) while act() gets the dialog once its
// frame runs; true when act ran.
bool WhileDialogOpen(const std::string& className, const std::function<void()>& show,
                     const std::function<void(HWND)>& act) {
    TWhileOpen state;
    state.ClassName = className;
    state.Act = act;
    state.Started = GetTickCount();
    whileOpen = &state;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, WhileOpenTick);
    show();
    KillTimer(nullptr, timer);
    whileOpen = nullptr;
    return state.Framed;
}

// Child buttons of a bare dialog, in window order.
std::vector<HWND> ChildButtons(HWND dialog) {
    std::vector<HWND> buttons;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowClassName(child) == "Button")
            buttons.push_back(child);
    return buttons;
}

HWND ChildWithText(HWND dialog, const std::string& text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char buffer[128] = {};
        GetWindowTextA(child, buffer, sizeof buffer);
        std::string caption = buffer;
        caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
        if (caption == text)
            return child;
    }
    return nullptr;
}

void PressWithMouse(HWND button) {
    RECT r{};
    GetClientRect(button, &r);
    PostLeftClick(button, r.right / 2, r.bottom / 2);
}

void PressWithKey(HWND button, WORD key) {
    SetFocus(button);
    PostKey(button, key);
}

} // namespace

class ControlDiscoveryTest : public TUiTest {
  protected:
    void TearDown() override {
        others_.clear();
        form_.reset();
        PumpPending();
        TUiTest::TearDown();
    }
    void Start(const std::string& settings = std::string()) {
        // The mouse away from every dialog: no button is drawn hot.
        EXPECT_TRUE(MovePointerTo(0, 0));
        if (!settings.empty())
            folder_.Write("perchpoints.ini", settings);
        form_.reset(new TForm1(&TestApplication(), folder_.Path("perchpoints.exe")));
        form_->Show();
        PumpPending();
        PumpUntil([&] { return SkinActionDone() && Frame() && Frame()->FrameState() == fsRunning; }, 3000);
        SetForegroundWindow(Window());
        PumpPending();
    }
    HWND Window() const { return form_->Handle(); }
    TWinSkinForm* Frame() const { return FrameOf(Window()); }
    TSkinData& Skin() const { return *form_->SkinData1; }
    TSkinControl* Adapter(const TControl* control) const { return AdapterOf(Window(), control); }

    void ChangeSkin() {
        form_->Changeskin1Click(nullptr);
        EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    void CtrlS() {
        WORD key = 'S';
        form_->FormKeyDown(form_.get(), key, ssCtrl);
        EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpUntil([&] { return !Frame() || Frame()->FrameState() == fsRunning; }, 2000);
        PumpPending();
    }

    // The colour the screen shows inside a panel, away from its bevel and children.
    COLORREF PanelPixel(TPanel& panel) {
        RedrawWindow(panel.Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        auto shot = CaptureClient(panel.Handle());
        return ColorToRGB(shot->PixelColor(shot->Width() - 6, shot->Height() / 2));
    }

    // The main window's controls show the current skin: panel colours and the Move switch's cell.
    void ExpectMainWindowSkinned(const std::string& label) {
        const TColor face = Skin().Colour(scButtonFace);
        for (TCustomPanel* panel :
             {static_cast<TCustomPanel*>(form_->panels1), static_cast<TCustomPanel*>(form_->Panel1)}) {
            TSkinControl* adapter = Adapter(panel);
            EXPECT_EQ(ClassOf(adapter), "TSkinBox") << label << " " << panel->Name();
            if (adapter) {
                EXPECT_TRUE(adapter->UseSkinColour()) << label;
            }
            EXPECT_EQ(ColorToRGB(panel->Color()), ColorToRGB(face)) << label << " " << panel->Name();
        }
        EXPECT_EQ(Hex(PanelPixel(*form_->Panel1)), Hex(ColorToRGB(face))) << label;
        EXPECT_EQ(ClassOf(Adapter(form_->movchk)), "TSkinCheckBox") << label;
        EXPECT_EQ(Adapter(form_->Label1), nullptr) << label;
        EXPECT_EQ(Adapter(form_->JvLED1), nullptr) << label;
        const int cell = CheckCell(Skin(), form_->movchk->Checked());
        EXPECT_EQ(MarkMismatches(form_->movchk->Handle(), Skin(), cell), 0) << label;
        if (auto* box = dynamic_cast<TSkinCheckBox*>(Adapter(form_->movchk))) {
            EXPECT_EQ(box->LastCell(), cell) << label;
        }
    }

    TTempFolder folder_;
    TOwnedComponent<TForm1> form_;
    std::vector<TOwnedComponent<TForm>> others_;
};

// ---- the main window

TEST_F(ControlDiscoveryTest, TheMainWindowsPanelsAndMoveSwitchWearTheSkinInThreeSkins) {
    for (int skin : {0, 3, 6}) {
        SCOPED_TRACE("skin " + std::to_string(skin));
        Start("[Settings]\r\nSkin=" + std::to_string(skin) + "\r\n");
        ASSERT_NE(Frame(), nullptr);
        ExpectMainWindowSkinned("skin " + std::to_string(skin));

        // A click shows the other cell at once, and a second one the first again.
        HWND box = form_->movchk->Handle();
        const bool before = form_->movchk->Checked();
        PressWithMouse(box);
        ASSERT_TRUE(PumpUntil([&] { return form_->movchk->Checked() != before; }, 2000));
        PumpPending();
        EXPECT_EQ(MarkMismatches(box, Skin(), CheckCell(Skin(), !before)), 0);
        PressWithMouse(box);
        ASSERT_TRUE(PumpUntil([&] { return form_->movchk->Checked() == before; }, 2000));
        PumpPending();
        EXPECT_EQ(MarkMismatches(box, Skin(), CheckCell(Skin(), before)), 0);
        form_.reset();
        PumpPending();
    }
}

TEST_F(ControlDiscoveryTest, CtrlSGivesThePanelsTheirColourAndNativeLookBackAndSkinsThemAgain) {
    Start();
    TSkinControl* box = Adapter(form_->Panel1);
    ASSERT_NE(box, nullptr);
    const TColor savedColour = box->SavedColour();
    const bool parentBackground = box->ParentBackgroundWasOn() || form_->Panel1->ParentBackground();
    CtrlS();
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_EQ(form_->Panel1->Color(), savedColour);
    EXPECT_EQ(form_->Panel1->ParentBackground(), parentBackground);
    EXPECT_EQ(Hex(PanelPixel(*form_->Panel1)), Hex(ColorToRGB(savedColour)));
    // The Move switch is the system's own again: it answers nobody's question.
    EXPECT_NE(SendMessageA(form_->movchk->Handle(), SKM_ISSKINNED, 0, 0), 1);
    const bool before = form_->movchk->Checked();
    PressWithMouse(form_->movchk->Handle());
    EXPECT_TRUE(PumpUntil([&] { return form_->movchk->Checked() != before; }, 2000));

    CtrlS();
    ASSERT_NE(Frame(), nullptr);
    ExpectMainWindowSkinned("on again");
}

TEST_F(ControlDiscoveryTest, ChangeSkinRepaintsTheControlsInTheNewSkin) {
    Start();
    for (int step = 0; step < 3; ++step) {
        ChangeSkin();
        ExpectMainWindowSkinned("after change " + std::to_string(step + 1));
    }
}

// ---- the program's dialogs

TEST_F(ControlDiscoveryTest, AMessageDialogsButtonsAreSkinnedAndPressedByMouseAndKeys) {
    Start();
    struct TCase {
        const char* Press;
        int How; // 0 mouse, 1 Space, 2 Enter
        int Result;
    } cases[] = {{"No", 0, mrNo}, {"Yes", 1, mrYes}, {"No", 2, mrNo}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Press) + " by " + (c.How == 0 ? "mouse" : c.How == 1 ? "Space" : "Enter"));
        int result = -1;
        int skinned = 0, ringMismatches = 0;
        const bool acted = WhileDialogOpen(
            "TMessageForm",
            [&] {
                result = MessageDlg("Skinned buttons?", mtConfirmation, {mbYes, mbNo});
            },
            [&](HWND dialog) {
                TWinControl* form = FindControl(dialog);
                std::vector<TButton*> buttons;
                for (TComponent* component : form->Components())
                    if (auto* button = dynamic_cast<TButton*>(component))
                        buttons.push_back(button);
                for (TButton* button : buttons) {
                    auto* adapter = dynamic_cast<TSkinButton*>(AdapterOf(dialog, button));
                    if (!adapter)
                        continue;
                    ++skinned;
                    RedrawWindow(button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                    ringMismatches +=
                        ButtonRingMismatches(button->Handle(), Skin(), RestingButtonCell(button->Handle()));
                }
                EXPECT_EQ(skinned, static_cast<int>(buttons.size()));
                HWND target = ChildWithText(dialog, c.Press);
                ASSERT_NE(target, nullptr);
                if (c.How == 0)
                    PressWithMouse(target);
                else
                    PressWithKey(target, c.How == 1 ? VK_SPACE : VK_RETURN);
            });
        EXPECT_TRUE(acted);
        EXPECT_EQ(skinned, 2);
        EXPECT_EQ(ringMismatches, 0);
        EXPECT_EQ(result, c.Result);
    }
}

TEST_F(ControlDiscoveryTest, TheShortTitleInputBoxHasSkinnedButtonsThatWork) {
    Start();
    for (WORD key : {WORD(VK_RETURN), WORD(VK_SPACE)}) {
        std::string value = "old";
        bool ok = false;
        int skinned = 0, mismatches = 0;
        const bool acted = WhileDialogOpen(
            "TForm", [&] { ok = InputQuery("Perchpoints", "Enter short title", value); },
            [&](HWND dialog) {
                TWinControl* form = FindControl(dialog);
                for (TComponent* component : form->Components())
                    if (auto* button = dynamic_cast<TButton*>(component))
                        if (dynamic_cast<TSkinButton*>(AdapterOf(dialog, button))) {
                            ++skinned;
                            RedrawWindow(button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                            mismatches += ButtonRingMismatches(button->Handle(), Skin(),
                                                               RestingButtonCell(button->Handle()));
                        }
                HWND edit = FindWindowExA(dialog, nullptr, "TEdit", nullptr);
                if (edit)
                    SetWindowTextA(edit, "Work");
                PressWithKey(ChildWithText(dialog, "OK"), key);
            });
        EXPECT_TRUE(acted);
        EXPECT_EQ(skinned, 2);
        EXPECT_EQ(mismatches, 0);
        EXPECT_TRUE(ok);
        EXPECT_EQ(value, "Work");
    }
}

TEST_F(ControlDiscoveryTest, TheFolderChoosersButtonsAreSkinnedAndCancelAndOkWork) {
    Start();
    const std::string start = folder_.Path("");
    for (int run = 0; run < 2; ++run) {
        TJvSelectDirectory chooser(nullptr);
        chooser.SetClassicDialog(true);
        chooser.SetInitialDir(folder_.Path("."));
        bool chosen = true;
        int skinned = 0, mismatches = 0;
        std::vector<std::string> unskinned;
        const bool acted = WhileDialogOpen(
            "TSelectDirDlg", [&] { chosen = chooser.ChooseFolder(); },
            [&](HWND dialog) {
                auto* form = dynamic_cast<TSelectDirDlg*>(FindControl(dialog));
                ASSERT_NE(form, nullptr);
                for (TButton* button : {form->OKButton, form->CancelButton, form->NetButton}) {
                    auto* adapter = dynamic_cast<TSkinButton*>(AdapterOf(dialog, button));
                    if (!adapter || !IsWindowVisible(button->Handle()))
                        continue;
                    ++skinned;
                    RedrawWindow(button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                    mismatches +=
                        ButtonRingMismatches(button->Handle(), Skin(), RestingButtonCell(button->Handle()));
                }
                // The lists (their scroll bars), the drive box and the edit are skinned as well.
                for (TControl* control : std::initializer_list<TControl*>{form->DirList, form->FileList,
                                                                          form->DriveList, form->EditBox})
                    if (!AdapterOf(dialog, control))
                        unskinned.push_back(control->ClassName());
                if (run == 0)
                    PressWithMouse(form->CancelButton->Handle());
                else
                    PressWithKey(form->OKButton->Handle(), VK_SPACE);
            });
        EXPECT_TRUE(acted) << run;
        EXPECT_GE(skinned, 2) << run;
        EXPECT_EQ(mismatches, 0) << run;
        EXPECT_TRUE(unskinned.empty()) << run;
        EXPECT_EQ(chosen, run == 1) << run;
    }
}

// ---- the system's dialogs

TEST_F(ControlDiscoveryTest, ASystemMessageBoxGetsSkinnedButtonsByWindowClassAndIsAnswered) {
    Start();
    for (int how = 0; how < 2; ++how) {
        int result = 0;
        int skinned = 0, mismatches = 0, buttonCount = 0;
        const HWND owner = Window();
        const bool acted = WhileDialogOpen(
            "#32770", [&] { result = MessageBoxA(owner, "A system dialog", "Skinned box", MB_YESNO); },
            [&](HWND dialog) {
                const std::vector<HWND> buttons = ChildButtons(dialog);
                buttonCount = static_cast<int>(buttons.size());
                for (HWND button : buttons) {
                    auto* adapter = dynamic_cast<TSkinButton*>(AdapterOf(dialog, nullptr, button));
                    if (!adapter)
                        continue;
                    ++skinned;
                    EXPECT_EQ(SendMessageA(button, SKM_ISSKINNED, 0, 0), 1);
                    RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                    mismatches += ButtonRingMismatches(button, Skin(), RestingButtonCell(button));
                }
                HWND no = ChildWithText(dialog, "No");
                ASSERT_NE(no, nullptr);
                if (how == 0)
                    PressWithMouse(no);
                else
                    PressWithKey(no, VK_SPACE);
            });
        EXPECT_TRUE(acted);
        EXPECT_EQ(buttonCount, 2);
        EXPECT_EQ(skinned, buttonCount);
        EXPECT_EQ(mismatches, 0);
        EXPECT_EQ(result, IDNO);
    }
}

namespace {
// A system dialog made from a template: a push button, a check box, a tree view, a plain scroll
// bar, a size grip and a marquee progress bar.
INT_PTR CALLBACK TemplateDialogProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

HWND MakeSystemDialog() {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&init);
    std::vector<WORD> t(1024, 0);
    size_t at = 0;
    const auto word = [&](WORD w) { t[at++] = w; };
    const auto dword = [&](DWORD d) {
        word(LOWORD(d));
        word(HIWORD(d));
    };
    const auto text = [&](const wchar_t* s) {
        do
            word(static_cast<WORD>(*s));
        while (*s++);
    };
    const auto align = [&] { at = (at + 1) & ~size_t(1); };
    // DLGTEMPLATE
    dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE);
    dword(0);
    word(6);
    word(10), word(10), word(180), word(130);
    word(0), word(0);
    text(L"Nested");
    word(8);
    text(L"MS Shell Dlg");
    const auto item = [&](DWORD style, short x, short y, short cx, short cy, WORD id, const wchar_t* cls,
                          const wchar_t* caption) {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(static_cast<WORD>(x)), word(static_cast<WORD>(y)), word(static_cast<WORD>(cx)),
            word(static_cast<WORD>(cy));
        word(id);
        text(cls);
        text(caption);
        word(0);
    };
    item(BS_PUSHBUTTON | WS_TABSTOP, 10, 85, 50, 14, IDOK, L"Button", L"OK");
    item(BS_AUTOCHECKBOX | WS_TABSTOP, 70, 85, 60, 14, 100, L"Button", L"Check");
    item(WS_BORDER | TVS_HASLINES, 10, 10, 160, 70, 101, WC_TREEVIEWW, L"");
    item(SBS_HORZ, 10, 104, 100, 10, 102, L"ScrollBar", L"");
    item(SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN, 166, 116, 14, 14, 103, L"ScrollBar", L"");
    item(PBS_MARQUEE, 120, 104, 50, 10, 104, PROGRESS_CLASSW, L"");
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(t.data()),
                                      nullptr, TemplateDialogProc, 0);
}
} // namespace

TEST_F(ControlDiscoveryTest, ASystemDialogsButtonsAreSkinnedButItsTreeViewBarsAndProgressStayNative) {
    Start();
    HWND dialog = MakeSystemDialog();
    ASSERT_NE(dialog, nullptr);
    SetForegroundWindow(dialog);
    SetActiveWindow(dialog);
    EXPECT_TRUE(
        PumpUntil([&] { return FrameOf(dialog) && FrameOf(dialog)->FrameState() == fsRunning; }, 3000));
    HWND ok = GetDlgItem(dialog, IDOK), check = GetDlgItem(dialog, 100), tree = GetDlgItem(dialog, 101);
    EXPECT_EQ(ClassOf(AdapterOf(dialog, nullptr, ok)), "TSkinButton");
    EXPECT_EQ(ClassOf(AdapterOf(dialog, nullptr, check)), "TSkinCheckBox");
    EXPECT_EQ(AdapterOf(dialog, nullptr, tree), nullptr);
    EXPECT_NE(SendMessageA(tree, SKM_ISSKINNED, 0, 0), 1);
    // Only the size grip is painted over; a plain scroll bar and the system's progress bar (a
    // marquee that the skin could not show) keep their own look.
    HWND bar = GetDlgItem(dialog, 102), grip = GetDlgItem(dialog, 103), progress = GetDlgItem(dialog, 104);
    EXPECT_EQ(AdapterOf(dialog, nullptr, bar), nullptr);
    EXPECT_NE(SendMessageA(bar, SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(ClassOf(AdapterOf(dialog, nullptr, grip)), "TSkinSizer");
    EXPECT_EQ(AdapterOf(dialog, nullptr, progress), nullptr);
    EXPECT_NE(SendMessageA(progress, SKM_ISSKINNED, 0, 0), 1);
    DestroyWindow(dialog);
    PumpPending();
}

// ---- tags, Skin3rd and the application's own adapters

namespace {
// Toolkit stand-ins for foreign classes: the rules go by class name.
class TRadioGroup : public TPanel {
  public:
    using TPanel::TPanel;
    const char* ClassName() const override { return "TRadioGroup"; }
};
class TNativeCheck : public TCheckBox {
  public:
    using TCheckBox::TCheckBox;
    const char* ClassName() const override { return "TNativeCheck"; }
};

// Supplies a push-button adapter for the control named "Custom".
struct TSupplier {
    int Calls = 0;
    std::string LastClass;
    TSkinButton* Made = nullptr;
    void Handle(TObject* sender, TSkinData*, TControl*, TControl* control, const std::string& controlClass,
                TComponent*& skinned) {
        ++Calls;
        (void)sender;
        if (control->Name() == "Custom") {
            LastClass = controlClass;
            Made = new TSkinButton(control);
            skinned = Made;
        }
    }
};
} // namespace

TEST_F(ControlDiscoveryTest, TagsSkin3rdAndTheApplicationsHandlerDecideBeforeTheRules) {
    Start();
    TSupplier supplier;
    Skin().OnSkinControl = Bind<&TSupplier::Handle>(&supplier);
    TStringList skin3rd;
    skin3rd.Add("TNativeCheckBox=checkbox"); // a longer name: not this class's line
    skin3rd.Add("tnativecheck=nil");
    TStringList saved;
    saved.Assign(Skin().Skin3rd());
    Skin().SetSkin3rd(skin3rd);

    others_.emplace_back(new TForm(&TestApplication()));
    TForm& form = *others_.back();
    form.SetBounds(40, 40, 360, 220);
    const auto place = [&form](TControl* control, int x, int y, int w, int h, const char* caption) {
        control->SetParent(&form);
        control->SetBounds(x, y, w, h);
        control->SetCaption(caption);
        return control;
    };
    auto* tagged = static_cast<TButton*>(place(new TButton(&form), 10, 10, 80, 24, "Tagged"));
    tagged->SetTag(99);
    auto* plain = static_cast<TButton*>(place(new TButton(&form), 100, 10, 80, 24, "Plain"));
    auto* nativeCheck = static_cast<TCheckBox*>(place(new TNativeCheck(&form), 190, 10, 100, 24, "Native"));
    auto* custom = static_cast<TPanel*>(place(new TPanel(&form), 300, 10, 40, 40, ""));
    custom->SetName("Custom");

    auto* taggedGroup = static_cast<TPanel*>(place(new TRadioGroup(&form), 10, 60, 160, 100, ""));
    taggedGroup->SetTag(99);
    auto* plainGroup = static_cast<TPanel*>(place(new TRadioGroup(&form), 180, 60, 160, 100, ""));
    std::vector<TRadioButton*> taggedRadios, plainRadios;
    for (int i = 0; i < 2; ++i) {
        auto* a = new TRadioButton(&form);
        a->SetParent(taggedGroup);
        a->SetBounds(8, 10 + 30 * i, 120, 22);
        a->SetCaption("Tagged " + std::to_string(i));
        taggedRadios.push_back(a);
        auto* b = new TRadioButton(&form);
        b->SetParent(plainGroup);
        b->SetBounds(8, 10 + 30 * i, 120, 22);
        b->SetCaption("Plain " + std::to_string(i));
        plainRadios.push_back(b);
    }
    form.Show();
    SetForegroundWindow(form.Handle());
    PumpPending();
    ASSERT_TRUE(PumpUntil(
        [&] { return FrameOf(form.Handle()) && FrameOf(form.Handle())->FrameState() == fsRunning; }, 3000));
    const HWND f = form.Handle();
    EXPECT_EQ(AdapterOf(f, tagged), nullptr);
    EXPECT_EQ(ClassOf(AdapterOf(f, plain)), "TSkinButton");
    EXPECT_EQ(AdapterOf(f, nativeCheck), nullptr);
    EXPECT_EQ(AdapterOf(f, taggedGroup), nullptr);
    for (TRadioButton* radio : taggedRadios) {
        EXPECT_EQ(AdapterOf(f, radio), nullptr) << radio->Caption();
        EXPECT_EQ(radio->Tag(), 99);
    }
    EXPECT_EQ(ClassOf(AdapterOf(f, plainGroup)), "TSkinBox");
    for (TRadioButton* radio : plainRadios)
        EXPECT_EQ(ClassOf(AdapterOf(f, radio)), "TSkinRadioButton") << radio->Caption();
    // The handler was asked for every control it reached, and its adapter serves its control.
    // (The controls the rules leave native are offered again by the tab-order pass.)
    EXPECT_GE(supplier.Calls, 6);
    EXPECT_EQ(supplier.LastClass, "TPANEL");
    ASSERT_NE(supplier.Made, nullptr);
    EXPECT_EQ(AdapterOf(f, custom), supplier.Made);
    EXPECT_TRUE(supplier.Made->Attached());

    // The native ones look native: the tagged button is the system's, the plain one the skin's.
    EXPECT_NE(SendMessageA(tagged->Handle(), SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(SendMessageA(plain->Handle(), SKM_ISSKINNED, 0, 0), 1);
    RedrawWindow(plain->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(ButtonRingMismatches(plain->Handle(), Skin(), RestingButtonCell(plain->Handle())), 0);
    EXPECT_GT(ButtonRingMismatches(tagged->Handle(), Skin(), 1), 0);

    Skin().OnSkinControl = {};
    Skin().SetSkin3rd(saved);
    others_.clear();
    PumpPending();
}

// Counts the paint messages a control's own procedure gets, and those that came before its adapter.
struct TPaintWatch {
    TForm* Form = nullptr;
    TControl* Control = nullptr;
    TWndMethod Previous;
    int Paints = 0, Unskinned = 0;
    void Proc(TMessage& message) {
        if (message.Msg == WM_PAINT || message.Msg == WM_NCPAINT || message.Msg == WM_ERASEBKGND) {
            ++Paints;
            if (!AdapterOf(Form->Handle(), Control))
                ++Unskinned;
        }
        Previous(message);
    }
};

TEST_F(ControlDiscoveryTest, AFormsControlsWearTheSkinBeforeItIsFirstSeenAndLaterOnesAtTheStart) {
    Start();
    others_.emplace_back(new TForm(&TestApplication()));
    TForm& form = *others_.back();
    form.SetBounds(40, 40, 300, 160);
    auto* before = new TButton(&form);
    before->SetParent(&form);
    before->SetBounds(10, 10, 90, 26);
    before->SetCaption("Before");
    // Every paint message that reaches the button's own procedure (showing the window paints
    // the frames and backgrounds of its children at once) finds its adapter there already.
    TPaintWatch watch;
    watch.Form = &form;
    watch.Control = before;
    watch.Previous = before->WindowProc();
    before->SetWindowProc(Bind<&TPaintWatch::Proc>(&watch));
    form.Show();
    // Shown: the controls carry their adapters before any message was handled.
    EXPECT_EQ(ClassOf(AdapterOf(form.Handle(), before)), "TSkinButton");
    // A control made after the show and before the loop ran is reached by the start as before.
    auto* after = new TButton(&form);
    after->SetParent(&form);
    after->SetBounds(110, 10, 90, 26);
    after->SetCaption("After");
    after->HandleNeeded();
    ASSERT_TRUE(PumpUntil([&] { return SkinActionDone() && AdapterOf(form.Handle(), after); }, 3000));
    PumpPending();
    EXPECT_EQ(ClassOf(AdapterOf(form.Handle(), after)), "TSkinButton");
    EXPECT_GT(watch.Paints, 0);
    EXPECT_EQ(watch.Unskinned, 0);
    others_.clear();
    PumpPending();
}

TEST_F(ControlDiscoveryTest, TheSkinComponentStartsWithTheDefaultListAndAssigningReplacesIt) {
    Start();
    EXPECT_EQ(Skin().Skin3rd().Count(), 118);
    EXPECT_EQ(Skin().Skin3rd().Lines(), DefaultSkin3rd());
    TStringList one;
    one.Add("TFoo=panel");
    TStringList saved;
    saved.Assign(Skin().Skin3rd());
    Skin().SetSkin3rd(one);
    EXPECT_EQ(Skin().Skin3rd().Count(), 1);
    Skin().SetSkin3rd(saved);
    EXPECT_EQ(Skin().Skin3rd().Count(), 118);
}

TEST_F(ControlDiscoveryTest, AChildWindowAnotherAdapterServesGetsNoSecondOne) {
    Start();
    HWND dialog = MakeSystemDialog();
    ASSERT_NE(dialog, nullptr);
    HWND ok = GetDlgItem(dialog, IDOK), check = GetDlgItem(dialog, 100);
    // Skinned before the dialog's frame starts, by an adapter of no frame.
    TOwnedComponent<TSkinButton> earlier(new TSkinButton(nullptr));
    earlier->AttachWindow(ok, &Skin(), nullptr, nullptr);
    SetForegroundWindow(dialog);
    EXPECT_TRUE(
        PumpUntil([&] { return FrameOf(dialog) && FrameOf(dialog)->FrameState() == fsRunning; }, 3000));
    EXPECT_EQ(AdapterOf(dialog, nullptr, ok), nullptr);
    EXPECT_EQ(ClassOf(AdapterOf(dialog, nullptr, check)), "TSkinCheckBox");
    // The button still answers as one: its text and a click reach it once.
    SetWindowTextA(ok, "Fine");
    char text[16] = {};
    GetWindowTextA(ok, text, sizeof text);
    EXPECT_STREQ(text, "Fine");
    earlier.reset();
    DestroyWindow(dialog);
    PumpPending();
}
