// Undo of the last transfer on the real main window, in-process: real drops make the shell copy
// or move real files, Ctrl+Z and the system menu take them back through the shell again, and the
// message that follows is answered as a user would. The shell calls are watched through the
// window's file-operation seam.
#include "Main.h"
#include "SkinActions.h"

#include "HeldKeys.h"
#include "SysUtils.h"
#include "UiTestSupport.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"

#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A shell drop handle with wide names, as the shell hands one to a drop target.
HGLOBAL MakeDrop(const std::vector<fs::path>& paths, POINT pos) {
    std::wstring list;
    for (const fs::path& path : paths)
        list += path.wstring() + L'\0';
    list.push_back(L'\0');
    const size_t bytes = list.size() * sizeof(wchar_t);
    HGLOBAL global = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(global));
    header->pFiles = sizeof(DROPFILES);
    header->pt = pos;
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), bytes);
    GlobalUnlock(global);
    return global;
}

std::vector<std::wstring> SplitList(const wchar_t* list) {
    std::vector<std::wstring> items;
    for (; list && *list; list += wcslen(list) + 1)
        items.emplace_back(list);
    return items;
}

struct TShellCall {
    UINT Function = 0;
    FILEOP_FLAGS Flags = 0;
    HWND Owner = nullptr;
    std::vector<std::wstring> From, To;
};

// Where Wine's shell puts what it recycles: the run's own trash folder, never the user's. ctest
// names one (XDG_DATA_HOME); a run started otherwise gets one in its build tree, named before the
// shell first looks for its trash (it reads the process's environment once).
fs::path TrashFiles() {
    static const fs::path files = [] {
        std::string home;
        if (const char* given = std::getenv("XDG_DATA_HOME"); given && given[0] == '/')
            home = given;
        else if (const char* build = std::getenv("PP_BUILD_DIR"); build && build[0] == '/')
            home = std::string(build) + "/tests/undo_data";
        if (home.empty())
            return fs::path();
        SetEnvironmentVariableA("XDG_DATA_HOME", home.c_str());
        _putenv_s("XDG_DATA_HOME", home.c_str());
        std::string path = "Z:" + home + "/Trash/files";
        for (char& c : path)
            if (c == '/')
                c = '\\';
        return fs::path(path);
    }();
    return files;
}

class UndoTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        wchar_t temp[MAX_PATH]{};
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        root = fs::path(temp) /
               (L"pp-undo-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
        target = root / "Target";
        source = root / "source";
        fs::create_directories(target);
        fs::create_directories(source);
        // Emptied, but kept: the shell looks for its trash folders once. A fresh build tree has
        // none yet, and without them the shell would ask to delete for good instead.
        const fs::path trash = TrashFiles();
        ASSERT_FALSE(trash.empty())
            << "no trash folder of the run's own: neither XDG_DATA_HOME nor PP_BUILD_DIR is set";
        std::error_code error;
        for (const fs::path& folder : {trash, trash.parent_path() / "info"}) {
            fs::create_directories(folder, error);
            for (const auto& entry : fs::directory_iterator(folder, error))
                fs::remove_all(entry.path(), error);
        }
    }

    void TearDown() override {
        form.reset();
        PumpFor(20);
        std::error_code error;
        fs::remove_all(root, error);
        TUiTest::TearDown();
    }

    void MakeForm() {
        WriteText(root / "pp.dat", AnsiPath(target.wstring()) + "\r\n");
        form.reset(new TForm1(&TestApplication(), AnsiPath((root / "pp.exe").wstring())));
        form->OnFileOperation = Bind<&UndoTest::FileOperation>(this);
        panelDrop = form->JvDragDrop1->OnDrop;
        form->JvDragDrop1->OnDrop = Bind<&UndoTest::PanelDrop>(this);
        form->Show();
        PumpFor(50);
    }

    fs::path Source(const std::wstring& name, const std::string& text) {
        const fs::path path = source / name;
        fs::create_directories(path.parent_path());
        WriteText(path, text);
        return path;
    }

    void Drop(const std::vector<fs::path>& paths) {
        const int before = drops;
        const RECT r = form->panels1->ItemRect(0);
        const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        PostMessageA(form->panels1->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths, centre)),
                     0);
        ASSERT_TRUE(PumpUntil([&] { return drops > before; }, 60000)) << "the drop was not handled";
    }

    // Ctrl+Z as typed on the target panel (the window previews every key).
    void PressCtrlZ() {
        THeldKeys control{VK_CONTROL};
        PostMessageA(form->panels1->Handle(), WM_KEYDOWN, 'Z', 1);
        PumpPending();
    }

    // The undo by key or menu, with its message answered; the message's text.
    std::string Undo(const std::function<void()>& ask) {
        TDialogAnswerer answer(TAnswer::Press("TMessageForm", "OK"));
        ask();
        const TDialogReport& report = answer.Wait();
        EXPECT_TRUE(report.Answered) << "no message after the undo";
        return report.Text;
    }
    std::string CtrlZ() {
        return Undo([&] { PressCtrlZ(); });
    }

    UINT MenuState() {
        return GetMenuState(GetSystemMenu(form->Handle(), FALSE), TForm1::UndoCommand, MF_BYCOMMAND);
    }
    bool MenuEnabled() { return (MenuState() & (MF_GRAYED | MF_DISABLED)) == 0; }

    int FileOperation(TObject*, SHFILEOPSTRUCTW& request) {
        TShellCall call;
        call.Function = request.wFunc;
        call.Flags = request.fFlags;
        call.Owner = request.hwnd;
        call.From = SplitList(request.pFrom);
        call.To = SplitList(request.pTo);
        calls.push_back(call);
        if (duringShellCall)
            duringShellCall();
        if (refusal) {
            request.fAnyOperationsAborted = refusal->Aborted;
            return refusal->Code;
        }
        return SHFileOperationW(&request);
    }
    void PanelDrop(TObject* sender, POINT pos, TStringList& value) {
        panelDrop(sender, pos, value);
        ++drops;
    }

    fs::path root, target, source;
    TOwnedComponent<TForm1> form;
    TJvDropEvent panelDrop;
    int drops = 0;
    std::vector<TShellCall> calls;
    std::function<void()> duringShellCall;
    struct TRefusal {
        int Code;
        BOOL Aborted;
    };
    std::optional<TRefusal> refusal;
};

TEST_F(UndoTest, CtrlZAfterACopyRecyclesExactlyTheCreatedItemsAndSaysWhatStayed) {
    WriteText(target / "kept.txt", "old");
    WriteText(target / "mine.txt", "untouched");
    MakeForm();
    EXPECT_FALSE(form->CanUndoLastTransfer());
    const std::vector<fs::path> sources = {Source(L"new.txt", "n"), Source(L"kept.txt", "copied"),
                                           Source(L"Album\\cover.txt", "c").parent_path()};
    {
        // The shell asks before it replaces kept.txt: the user says yes.
        TDialogAnswerer overwrite(TAnswer::PressId("#32770", IDYES));
        Drop(sources);
        EXPECT_TRUE(overwrite.Wait().Answered);
    }
    ASSERT_EQ(ReadText(target / "kept.txt"), "copied");
    ASSERT_TRUE(fs::exists(target / "Album" / "cover.txt"));
    EXPECT_TRUE(form->CanUndoLastTransfer());

    EXPECT_EQ(CtrlZ(),
              "Sent to the Recycle Bin:\r\n    new.txt\r\n    Album\r\n\r\n"
              "Left as they are:\r\n    kept.txt: it replaced an item of the same name in the target");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].Function, static_cast<UINT>(FO_DELETE));
    EXPECT_EQ(calls[1].Flags, FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING);
    EXPECT_EQ(calls[1].Owner, Application->Handle());
    EXPECT_EQ(calls[1].From,
              (std::vector<std::wstring>{(target / "new.txt").wstring(), (target / "Album").wstring()}));

    EXPECT_FALSE(fs::exists(target / "new.txt"));
    EXPECT_FALSE(fs::exists(target / "Album"));
    EXPECT_EQ(ReadText(target / "kept.txt"), "copied");
    EXPECT_EQ(ReadText(target / "mine.txt"), "untouched");
    for (const fs::path& path : sources)
        EXPECT_TRUE(fs::exists(path)) << path.string();
    // Recycled, not destroyed.
    EXPECT_EQ(ReadText(TrashFiles() / "new.txt"), "n");
    EXPECT_EQ(ReadText(TrashFiles() / "Album" / "cover.txt"), "c");

    // Only once; a second Ctrl+Z says so.
    EXPECT_FALSE(form->CanUndoLastTransfer());
    EXPECT_EQ(CtrlZ(), "There is no transfer to undo.");
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(UndoTest, WhenTheLastTransferLeftNothingToTakeBackCtrlZAndTheMenuSayWhy) {
    WriteText(target / "f1.txt", "old");
    MakeForm();
    SetForegroundWindow(form->Handle());
    PumpPending();
    EXPECT_EQ(CtrlZ(), "There is no transfer to undo.");
    {
        TDialogAnswerer overwrite(TAnswer::PressId("#32770", IDYES));
        Drop({Source(L"f1.txt", "new")});
        EXPECT_TRUE(overwrite.Wait().Answered);
    }
    ASSERT_EQ(ReadText(target / "f1.txt"), "new");
    EXPECT_TRUE(MenuEnabled()) << "a transfer just happened";
    const std::string replaced = "Nothing was undone.\r\n\r\nLeft as they are:\r\n"
                                 "    f1.txt: it replaced an item of the same name in the target";
    // Typed as the user does: to the window that has the keyboard after the shell's question.
    EXPECT_EQ(Undo([&] {
                  THeldKeys control{VK_CONTROL};
                  PostMessageA(GetFocus(), WM_KEYDOWN, 'Z', 1);
                  PumpPending();
              }),
              replaced);
    EXPECT_EQ(ReadText(target / "f1.txt"), "new");
    EXPECT_EQ(calls.size(), 1u) << "the shell is not asked to do nothing";
    EXPECT_FALSE(MenuEnabled());

    // A transfer that brought nothing.
    refusal = TRefusal{ERROR_CANCELLED, TRUE};
    Drop({Source(L"f2.txt", "2")});
    refusal.reset();
    EXPECT_FALSE(MenuEnabled());
    EXPECT_EQ(CtrlZ(), "Nothing was undone: the last transfer brought nothing into the target.");

    // The menu item answers as Ctrl+Z does.
    {
        TDialogAnswerer overwrite(TAnswer::PressId("#32770", IDYES));
        Drop({Source(L"f1.txt", "newer")});
        EXPECT_TRUE(overwrite.Wait().Answered);
    }
    EXPECT_TRUE(MenuEnabled());
    EXPECT_EQ(Undo([&] { PostMessageA(form->Handle(), WM_SYSCOMMAND, TForm1::UndoCommand, 0); }), replaced);
    EXPECT_EQ(ReadText(target / "f1.txt"), "newer");
}

TEST_F(UndoTest, UndoFromTheSystemMenuAfterAMoveBringsTheItemsBackWhereTheyCameFrom) {
    MakeForm();
    form->movchk->SetChecked(true);
    const fs::path elsewhere = root / "elsewhere";
    fs::create_directories(elsewhere);
    WriteText(elsewhere / "c.txt", "c");
    const std::vector<fs::path> sources = {Source(L"a.txt", "a"), Source(L"b.txt", "b"),
                                           Source(L"Deep\\inner.txt", "i").parent_path(),
                                           elsewhere / "c.txt"};
    Drop(sources);
    for (const fs::path& path : sources)
        ASSERT_FALSE(fs::exists(path)) << path.string();

    const std::string text =
        Undo([&] { PostMessageA(form->Handle(), WM_SYSCOMMAND, TForm1::UndoCommand, 0); });
    EXPECT_EQ(text, "Moved back where they came from:\r\n    a.txt\r\n    b.txt\r\n    Deep\r\n    c.txt");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].Function, static_cast<UINT>(FO_MOVE));
    EXPECT_EQ(calls[1].Flags, FOF_MULTIDESTFILES);
    EXPECT_EQ(calls[1].To.size(), 4u);
    EXPECT_EQ(ReadText(source / "a.txt"), "a");
    EXPECT_EQ(ReadText(source / "b.txt"), "b");
    EXPECT_EQ(ReadText(source / "Deep" / "inner.txt"), "i");
    EXPECT_EQ(ReadText(elsewhere / "c.txt"), "c");
    EXPECT_TRUE(fs::is_empty(target));
    EXPECT_FALSE(form->CanUndoLastTransfer());
}

TEST_F(UndoTest, ItemsChangedOrGoneSinceOrWhoseOldPlaceIsTakenAreLeftWithTheReason) {
    MakeForm();
    form->movchk->SetChecked(true);
    Drop({Source(L"x.txt", "x"), Source(L"y.txt", "y"), Source(L"z.txt", "z"), Source(L"w.txt", "w")});
    ASSERT_TRUE(fs::exists(target / "w.txt"));
    // Someone else's file where x came from, y written to, z taken away.
    WriteText(source / "x.txt", "someone else's");
    WriteText(target / "y.txt", "y, and more since");
    fs::remove(target / "z.txt");

    EXPECT_EQ(CtrlZ(), "Moved back where they came from:\r\n    w.txt\r\n\r\nLeft as they are:\r\n"
                       "    x.txt: its old place is taken again\r\n"
                       "    y.txt: it has changed since the transfer\r\n"
                       "    z.txt: it is no longer there");
    EXPECT_EQ(ReadText(source / "w.txt"), "w");
    EXPECT_EQ(ReadText(source / "x.txt"), "someone else's");
    EXPECT_EQ(ReadText(target / "x.txt"), "x");
    EXPECT_EQ(ReadText(target / "y.txt"), "y, and more since");
    EXPECT_FALSE(fs::exists(source / "y.txt"));
    EXPECT_FALSE(fs::exists(target / "w.txt"));
}

TEST_F(UndoTest, AnUndoTheShellRefusedOrTheUserStoppedIsNotReportedAsDone) {
    MakeForm();
    Drop({Source(L"a.txt", "a"), Source(L"b.txt", "b")});
    refusal = TRefusal{ERROR_ACCESS_DENIED, FALSE};
    EXPECT_EQ(CtrlZ(), "Nothing was undone.\r\n\r\nLeft as they are:\r\n"
                       "    a.txt: the Recycle Bin did not take it\r\n"
                       "    b.txt: the Recycle Bin did not take it");
    EXPECT_TRUE(fs::exists(target / "a.txt") && fs::exists(target / "b.txt"));
    EXPECT_FALSE(form->CanUndoLastTransfer()) << "only once, even when it failed";

    refusal.reset();
    Drop({Source(L"c.txt", "c")});
    refusal = TRefusal{ERROR_CANCELLED, TRUE};
    EXPECT_EQ(CtrlZ(), "Nothing was undone.\r\n\r\nLeft as they are:\r\n    c.txt: the undo was cancelled");
    EXPECT_TRUE(fs::exists(target / "c.txt"));
}

TEST_F(UndoTest, TheSystemMenuItemIsEnabledOnlyWhileThereIsSomethingToUndo) {
    MakeForm();
    char text[80]{};
    GetMenuStringA(GetSystemMenu(form->Handle(), FALSE), TForm1::UndoCommand, text, sizeof text,
                   MF_BYCOMMAND);
    EXPECT_STREQ(text, "Undo last transfer");
    EXPECT_NE(MenuState(), static_cast<UINT>(-1));
    EXPECT_FALSE(MenuEnabled());

    bool enabledDuring = true;
    duringShellCall = [&] { enabledDuring = MenuEnabled(); };
    Drop({Source(L"a.txt", "a")});
    EXPECT_FALSE(enabledDuring) << "nothing can be undone while a transfer runs";
    EXPECT_TRUE(MenuEnabled());

    // A transfer that brought nothing is the last transfer now: nothing to undo.
    refusal = TRefusal{ERROR_CANCELLED, TRUE};
    Drop({Source(L"b.txt", "b")});
    EXPECT_FALSE(MenuEnabled());
    refusal.reset();

    Drop({Source(L"c.txt", "c")});
    EXPECT_TRUE(MenuEnabled());
    CtrlZ();
    EXPECT_FALSE(MenuEnabled());
    EXPECT_TRUE(fs::exists(target / "a.txt"));
    EXPECT_FALSE(fs::exists(target / "c.txt"));

    // A window made anew carries the item again, in the state of the moment.
    Drop({Source(L"d.txt", "d")});
    form->RecreateWnd();
    PumpPending();
    EXPECT_TRUE(MenuEnabled());
}

// ---- the system menu as the skin draws it and as the system does

const TMenuEntry* FindEntry(const TDialogReport& report, const std::string& caption) {
    for (const TMenuEntry& entry : report.MenuItems)
        if (entry.Caption == caption)
            return &entry;
    return nullptr;
}

class SystemMenuUndoTest : public UndoTest {
  protected:
    TWinSkinForm* Frame() const { return SkinManager() ? SkinManager()->FindFrame(form->Handle()) : nullptr; }

    void StartSkinned() {
        EXPECT_TRUE(MovePointerTo(0, 0));
        MakeForm();
        PumpUntil([&] { return SkinActionDone() && Frame() && Frame()->FrameState() == fsRunning; }, 3000);
        ASSERT_TRUE(Frame() && Frame()->FrameState() == fsRunning);
        SetForegroundWindow(form->Handle());
        PumpPending();
    }

    // Alt+Space opens the system menu; the report of it, its item chosen (or none).
    TDialogReport OpenSystemMenu(const std::string& choose) {
        SetForegroundWindow(form->Handle());
        PumpPending();
        TDialogAnswerer menu(TAnswer::ChooseMenu(choose));
        if (Frame()) {
            PostMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
        } else {
            // A right click on the caption: the system opens the window's system menu.
            RECT window{};
            GetWindowRect(form->Handle(), &window);
            const POINT caption{(window.left + window.right) / 2,
                                window.top + GetSystemMetrics(SM_CYFRAME) + 4};
            PostMessageA(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->Handle()),
                         MAKELPARAM(caption.x, caption.y));
        }
        return menu.Wait();
    }

    // Chooses the item and answers the message; true when the item was there, enabled.
    bool UndoFromSystemMenu() {
        bool enabled = false;
        Undo([&] {
            TDialogReport report = OpenSystemMenu("Undo last transfer");
            const TMenuEntry* entry = FindEntry(report, "Undo last transfer");
            enabled = entry && entry->Enabled && report.Answered;
        });
        return enabled;
    }
};

TEST_F(SystemMenuUndoTest, TheItemShowsWithItsStateAndUndoesSkinnedAndUnskinned) {
    StartSkinned();
    if (HasFatalFailure())
        return;
    TDialogReport before = OpenSystemMenu("");
    ASSERT_TRUE(before.Found);
    EXPECT_TRUE(Frame()->SystemMenuPopup()) << "the skin's own system menu";
    const TMenuEntry* item = FindEntry(before, "Undo last transfer");
    ASSERT_TRUE(item) << "the skinned system menu lacks the window's own item";
    EXPECT_FALSE(item->Enabled);
    PumpPending();

    Drop({Source(L"skinned.txt", "s")});
    EXPECT_TRUE(UndoFromSystemMenu());
    EXPECT_FALSE(fs::exists(target / "skinned.txt"));
    const TDialogReport after = OpenSystemMenu("");
    ASSERT_TRUE(FindEntry(after, "Undo last transfer"));
    EXPECT_FALSE(FindEntry(after, "Undo last transfer")->Enabled);
    PumpPending();

    // Ctrl+S: the system's own menu.
    WORD key = 'S';
    form->FormKeyDown(form.get(), key, ssCtrl);
    EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
    PumpPending();
    ASSERT_FALSE(Frame());
    TDialogReport plain = OpenSystemMenu("");
    ASSERT_TRUE(plain.Found);
    ASSERT_TRUE(FindEntry(plain, "Undo last transfer"));
    EXPECT_FALSE(FindEntry(plain, "Undo last transfer")->Enabled);
    PumpPending();

    Drop({Source(L"plain.txt", "p")});
    EXPECT_TRUE(UndoFromSystemMenu());
    EXPECT_FALSE(fs::exists(target / "plain.txt"));
}

} // namespace
