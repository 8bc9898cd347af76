// Real drops on the main window, in-process: a shell drop handle is built in global memory and
// posted to the receiver's window; the shell then really copies or moves the files. The shell
// call itself is watched through the window's file-operation seam.
#include "Main.h"

#include "TransferChoice.h"

#include "HeldKeys.h"
#include "Screen.h"
#include "SysUtils.h"
#include "UiTestSupport.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
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

// A shell drop handle, as the shell hands one to a drop target.
HGLOBAL MakeDrop(const std::vector<fs::path>& paths, POINT pos, bool wide) {
    std::string list;
    for (const fs::path& path : paths) {
        if (wide) {
            std::wstring text = path.wstring();
            list.append(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
        } else {
            list += AnsiPath(path.wstring());
            list.push_back('\0');
        }
    }
    list.append(wide ? sizeof(wchar_t) : 1, '\0');
    HGLOBAL global = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(global));
    header->pFiles = sizeof(DROPFILES);
    header->pt = pos;
    header->fWide = wide;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(global);
    return global;
}

struct TShellCall {
    UINT Function = 0;
    std::vector<std::wstring> From;
    std::wstring To;
    HWND Owner = nullptr;
    FILEOP_FLAGS Flags = 0xFFFF;
    TColor LedPixel = clNone;
    TCursor Cursor = crDefault;
};

std::vector<std::wstring> SplitList(const wchar_t* list) {
    std::vector<std::wstring> items;
    for (; *list; list += wcslen(list) + 1)
        items.emplace_back(list);
    return items;
}

class DropTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        wchar_t temp[MAX_PATH]{};
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        root = fs::path(temp) /
               (L"pp-drop-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
        targetA = root / "Target A";
        targetB = root / "target B";
        fs::create_directories(root / "source");
        fs::create_directories(targetA);
        fs::create_directories(targetB);
    }

    void TearDown() override {
        form.reset();
        PumpFor(20);
        std::error_code error;
        for (auto& entry : fs::recursive_directory_iterator(root, error))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(root, error);
        TUiTest::TearDown();
    }

    void MakeForm(const std::vector<std::string>& entries) {
        std::string list;
        for (const std::string& entry : entries)
            list += entry + "\r\n";
        WriteText(root / "pp.dat", list);
        form.reset(new TForm1(&TestApplication(), AnsiPath((root / "pp.exe").wstring())));
        form->OnFileOperation = Bind<&DropTest::FileOperation>(this);
        panelDrop = form->JvDragDrop1->OnDrop;
        form->JvDragDrop1->OnDrop = Bind<&DropTest::PanelDrop>(this);
        stripDrop = form->JvDragDrop2->OnDrop;
        form->JvDragDrop2->OnDrop = Bind<&DropTest::StripDrop>(this);
        form->JvLED1->OnChange = Bind<&DropTest::LedChanged>(this);
        form->Show();
        PumpFor(50);
    }

    fs::path Source(const std::wstring& name, const std::string& text = "data") {
        fs::path path = root / "source" / name;
        WriteText(path, text);
        return path;
    }

    // Posts the drop to the control's window and waits until its receiver has handled it.
    void Drop(TWinControl* target, const std::vector<fs::path>& paths, POINT pos, bool wide = true) {
        const int before = drops;
        PostMessageA(target->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths, pos, wide)), 0);
        ASSERT_TRUE(PumpUntil([&] { return drops > before; }, 120000)) << "the drop was not handled";
    }

    POINT CentreOf(int index) {
        RECT r = form->panels1->ItemRect(index);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    // The middle of the lamp as the bottom strip paints it.
    TColor LedPixel() {
        return RenderControl(*form->Panel1)->PixelColor(form->JvLED1->Left() + 8, form->JvLED1->Top() + 8);
    }

    // Drops on the bottom strip with a dialog answerer watching; TimeoutMs short when none should come.
    TDialogReport DropOnStrip(const std::vector<fs::path>& paths, TAnswer answer) {
        TDialogAnswerer answerer(answer);
        Drop(form->Panel1, paths, POINT{150, 10});
        return answerer.Wait();
    }

    int FileOperation(TObject*, SHFILEOPSTRUCTW& request) {
        TShellCall call;
        call.Function = request.wFunc;
        call.From = SplitList(request.pFrom);
        // Every name with its NUL, and the closing NUL (none for a deletion, the undo of a copy).
        size_t toLength = 0;
        while (request.pTo && request.pTo[toLength])
            toLength += wcslen(request.pTo + toLength) + 1;
        if (request.pTo)
            call.To.assign(request.pTo, toLength + 1);
        call.Owner = request.hwnd;
        call.Flags = request.fFlags;
        call.LedPixel = LedPixel();
        call.Cursor = Screen->Cursor();
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
    void StripDrop(TObject* sender, POINT pos, TStringList& value) {
        stripDrop(sender, pos, value);
        ++drops;
    }
    void LedChanged(TObject*) { ++ledChanges; }

    fs::path root;
    fs::path targetA, targetB;
    TOwnedComponent<TForm1> form;
    TJvDropEvent panelDrop, stripDrop;
    int drops = 0;
    int ledChanges = 0;
    std::vector<TShellCall> calls;
    std::function<void()> duringShellCall;
    // The shell's answer instead of running the request.
    struct TRefusal {
        int Code;
        BOOL Aborted;
    };
    std::optional<TRefusal> refusal;
};

TEST_F(DropTest, CopiesTheDroppedFilesIntoTheTargetInOneShellRequestWithTheLampLit) {
    MakeForm({AnsiPath(targetA.wstring()), AnsiPath(targetB.wstring()) + "=B"});
    // A name outside the ANSI code page arrives as it is.
    const std::wstring unicode = L"\u03a9mega \u0444\u0430\u0439\u043b \u65e5\u672c.txt";
    ASSERT_FALSE(IsAnsiPath(unicode));
    const std::vector<fs::path> files = {Source(L"one.txt", "1"), Source(unicode, "2"),
                                         Source(L"three.txt", "3")};
    EXPECT_EQ(LedPixel(), clRed);
    Drop(form->panels1, files, CentreOf(1));

    ASSERT_EQ(calls.size(), 1u);
    const TShellCall& call = calls[0];
    EXPECT_EQ(call.Function, static_cast<UINT>(FO_COPY));
    EXPECT_EQ(call.From,
              (std::vector<std::wstring>{files[0].wstring(), files[1].wstring(), files[2].wstring()}));
    EXPECT_EQ(call.To, targetB.wstring() + L"\\" + std::wstring(2, L'\0'));
    EXPECT_EQ(call.Owner, Application->Handle());
    EXPECT_EQ(call.Flags, 0);
    EXPECT_EQ(call.LedPixel, clLime);
    EXPECT_EQ(call.Cursor, crHourGlass);
    EXPECT_EQ(form->TransferDestination(), AnsiPath(targetB.wstring()) + "\\");

    EXPECT_EQ(ReadText(targetB / unicode), "2");
    EXPECT_TRUE(fs::exists(targetB / "one.txt") && fs::exists(targetB / "three.txt"));
    // The ANSI list shows the letters it lacks as "?".
    EXPECT_NE(form->JvDragDrop1->Files()[1].find("?mega"), std::string::npos);
    EXPECT_TRUE(fs::exists(files[0]));
    EXPECT_FALSE(form->JvLED1->Status());
    EXPECT_EQ(LedPixel(), clRed);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(DropTest, MovesWhenTheSwitchIsOnAndReadsAnsiDropHandlesToo) {
    MakeForm({AnsiPath(targetA.wstring())});
    form->movchk->SetChecked(true);
    const fs::path file = Source(L"moved.txt", "m");
    Drop(form->panels1, {file}, CentreOf(0), /*wide*/ false);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Function, static_cast<UINT>(FO_MOVE));
    EXPECT_EQ(ReadText(targetA / "moved.txt"), "m");
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(DropTest, ReceiversRegisterTheirWindowsAgainAfterRecreationAndLetGoWhenSwitchedOff) {
    MakeForm({AnsiPath(targetA.wstring())});
    auto accepts = [](TWinControl* control) {
        return (GetWindowLongA(control->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
    };
    EXPECT_TRUE(accepts(form->panels1));
    EXPECT_TRUE(accepts(form->Panel1));
    form->panels1->RecreateWnd();
    EXPECT_TRUE(accepts(form->panels1));

    form->JvDragDrop1->SetAcceptDrag(false);
    EXPECT_FALSE(accepts(form->panels1));
    // A drop message that still comes is no longer the receiver's.
    HGLOBAL stray = MakeDrop({Source(L"file.txt")}, CentreOf(0), true);
    SendMessageA(form->panels1->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(stray), 0);
    GlobalFree(stray);
    EXPECT_EQ(drops, 0);

    form->JvDragDrop1->SetAcceptDrag(true);
    EXPECT_TRUE(accepts(form->panels1));
    Drop(form->panels1, {Source(L"file.txt")}, CentreOf(0));
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(DropTest, IgnoresADropBelowTheButtons) {
    MakeForm({AnsiPath(targetA.wstring()), AnsiPath(targetB.wstring())});
    // The strip below the last button that the even split leaves over belongs to no target.
    TItemsPanel* panel = form->panels1;
    for (int grow = 0; grow < 3 && panel->Height() % 2 == 0; ++grow)
        form->SetClientSize(form->ClientWidth(), form->ClientHeight() + 1);
    POINT below{panel->Width() / 2, panel->Height() - 1};
    ASSERT_EQ(panel->ItemIndexAt(below.x, below.y), -1);

    Drop(panel, {Source(L"file.txt")}, below);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(ledChanges, 0);
    EXPECT_EQ(form->TransferDestination(), "");
    EXPECT_FALSE(fs::exists(targetB / "file.txt"));
}

TEST_F(DropTest, SaysWhenTheTargetFolderIsGoneAndNeverLightsTheLamp) {
    MakeForm({AnsiPath(targetA.wstring())});
    fs::remove(targetA);
    TDialogAnswerer answerer(TAnswer::Press("TMessageForm", "OK"));
    Drop(form->panels1, {Source(L"file.txt")}, CentreOf(0));
    const TDialogReport& report = answerer.Wait();
    ASSERT_TRUE(report.Answered);
    EXPECT_EQ(report.Text, "Target folder not available!");
    EXPECT_EQ(report.Caption, "Perchpoints");
    EXPECT_EQ(report.Icons, 0);
    EXPECT_EQ(ledChanges, 0);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(LedPixel(), clRed);
}

TEST_F(DropTest, ADropArrivingDuringTheShellsDialogLeavesTheFirstDropIntact) {
    MakeForm({AnsiPath(targetA.wstring()), AnsiPath(targetB.wstring())});
    const fs::path first = Source(L"first.txt"), second = Source(L"second.txt");
    bool nestedSeen = false;
    duringShellCall = [&] {
        if (std::exchange(nestedSeen, true))
            return;
        // The shell's dialog runs a message loop, in which another drop can arrive.
        Drop(form->panels1, {second}, CentreOf(1));
        EXPECT_EQ(form->JvDragDrop1->WideFiles(), (std::vector<std::wstring>{first.wstring()}));
        EXPECT_TRUE(form->JvLED1->Status());
    };
    Drop(form->panels1, {first}, CentreOf(0));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(fs::exists(targetA / "first.txt"));
    EXPECT_TRUE(fs::exists(targetB / "second.txt"));
    EXPECT_FALSE(form->JvLED1->Status());
    EXPECT_EQ(form->JvDragDrop1->WideFiles(), (std::vector<std::wstring>{second.wstring()}));
}

// Ten thousand names, long and short, reach the shell in one request, each whole and in their
// order; the shell's answer is the test's own (the real copy of ten thousand files, minutes under
// Wine, is the drop benchmark's).
TEST_F(DropTest, TenThousandFilesArriveInOneRequest) {
    MakeForm({AnsiPath(targetA.wstring())});
    std::vector<fs::path> files;
    std::vector<std::wstring> names;
    for (int i = 0; i < 10000; ++i) {
        const std::wstring name =
            L"f" + std::to_wstring(i) + std::wstring(static_cast<size_t>(i % 97), L'x') + L".txt";
        files.push_back(root / "source" / std::to_wstring(i / 100) / name);
        names.push_back(files.back().wstring());
    }
    refusal = TRefusal{0, FALSE};
    Drop(form->panels1, files, CentreOf(0));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Function, static_cast<UINT>(FO_COPY));
    EXPECT_EQ(calls[0].From, names);
    EXPECT_EQ(calls[0].To, (targetA.wstring() + L"\\") + L'\0' + L'\0');
    EXPECT_FALSE(form->JvLED1->Status());
}

// Every file below the folder with its content, by path relative to it.
std::map<std::wstring, std::string> Tree(const fs::path& folder) {
    std::map<std::wstring, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::wstring name = fs::relative(entry.path(), folder).wstring();
        tree[name] = entry.is_directory() ? std::string("<folder>") : ReadText(entry.path());
    }
    return tree;
}

// The same sources moved (one request, one destination each) and copied (one request into the
// folder): what arrives must be the same, and a move leaves no source behind.
class SeveralSourcesDrop : public DropTest {
  protected:
    void MoveAndCompareWithCopy(const std::vector<fs::path>& sources) {
        MakeForm({AnsiPath(targetA.wstring()), AnsiPath(targetB.wstring())});
        Drop(form->panels1, sources, CentreOf(1));
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].Function, static_cast<UINT>(FO_COPY));
        EXPECT_EQ(calls[0].Flags, 0);
        const auto copied = Tree(targetB);

        form->movchk->SetChecked(true);
        Drop(form->panels1, sources, CentreOf(0));
        ASSERT_EQ(calls.size(), 2u);
        const TShellCall& move = calls[1];
        EXPECT_EQ(move.Function, static_cast<UINT>(FO_MOVE));
        EXPECT_EQ(move.Flags, FOF_MULTIDESTFILES);
        std::wstring to;
        for (const fs::path& source : sources)
            to += (targetA / source.filename()).wstring() + L'\0';
        EXPECT_EQ(move.To, to + L'\0');

        EXPECT_EQ(Tree(targetA), copied);
        EXPECT_GE(copied.size(), sources.size());
        for (const fs::path& source : sources)
            EXPECT_FALSE(fs::exists(source)) << source.string();
        EXPECT_FALSE(form->JvLED1->Status());
    }
};

TEST_F(SeveralSourcesDrop, ThreeFilesAreMovedInOneRequest) {
    MoveAndCompareWithCopy({Source(L"one.txt", "1"), Source(L"two.txt", "22"), Source(L"three.txt", "333")});
}

TEST_F(SeveralSourcesDrop, FilesAndAFolderWithContentAreMovedInOneRequest) {
    const fs::path folder = root / "source" / "Album";
    fs::create_directories(folder / "inner");
    WriteText(folder / "cover.txt", "c");
    WriteText(folder / "inner" / "deep.txt", "d");
    MoveAndCompareWithCopy({Source(L"one.txt", "1"), folder, Source(L"two.txt", "2")});
}

TEST_F(SeveralSourcesDrop, NamesOutsideTheAnsiCodePageAreMoved) {
    const std::wstring greek = L"\u03a9mega.txt", cyrillic = L"\u0444\u0430\u0439\u043b.txt";
    ASSERT_FALSE(IsAnsiPath(greek));
    const fs::path folder = root / "source" / L"\u65e5\u672c";
    fs::create_directories(folder);
    WriteText(folder / L"\u00e4rger.txt", "a");
    MoveAndCompareWithCopy({Source(greek, "g"), Source(cyrillic, "c"), folder});
}

// What the screen itself shows (not the window's own picture) at the middle of the lamp.
TColor ScreenPixel(HWND strip, POINT at) {
    ClientToScreen(strip, &at);
    HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return static_cast<TColor>(pixel);
}

TEST_F(DropTest, TheLitLampIsOnTheScreenWhileTheShellWorks) {
    MakeForm({AnsiPath(targetA.wstring())});
    // Wholly opaque, so that the screen shows the lamp's own colour.
    form->SetAlphaBlendValue(255);
    PumpFor(100);
    const POINT lamp{form->JvLED1->Left() + 8, form->JvLED1->Top() + 8};
    const HWND strip = form->Panel1->Handle();
    EXPECT_EQ(ScreenPixel(strip, lamp), clRed);
    TColor during = clNone;
    // The thread does not look at its messages from the pause until the shell is done.
    duringShellCall = [&] { during = ScreenPixel(strip, lamp); };
    Drop(form->panels1, {Source(L"file.txt")}, CentreOf(0));
    EXPECT_EQ(during, clLime);
    PumpFor(100);
    EXPECT_EQ(ScreenPixel(strip, lamp), clRed);
}

TEST_F(DropTest, AFailedTransferIsReportedAndAnAbortedOneIsNot) {
    MakeForm({AnsiPath(targetA.wstring())});
    form->movchk->SetChecked(true);
    const std::vector<fs::path> files = {Source(L"one.txt"), Source(L"two.txt")};

    refusal = TRefusal{ERROR_ACCESS_DENIED, FALSE};
    {
        TDialogAnswerer answer(TAnswer::Press("TMessageForm", "OK", "Perchpoints"));
        Drop(form->panels1, files, CentreOf(0));
        const TDialogReport& report = answer.Wait();
        ASSERT_TRUE(report.Answered);
        EXPECT_EQ(report.Text,
                  "The files could not be moved (error 0x5): " + SysErrorMessage(ERROR_ACCESS_DENIED));
        EXPECT_NE(SysErrorMessage(ERROR_ACCESS_DENIED), "");
    }
    // The lamp is out and the cursor back, as after any transfer; the sources stay.
    EXPECT_FALSE(form->JvLED1->Status());
    EXPECT_EQ(LedPixel(), clRed);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_TRUE(fs::exists(files[0]) && fs::exists(files[1]));

    // The shell's own codes are not system error codes: their own words.
    form->movchk->SetChecked(false);
    refusal = TRefusal{0x7C, FALSE};
    {
        TDialogAnswerer answer(TAnswer::Press("TMessageForm", "OK", "Perchpoints"));
        Drop(form->panels1, files, CentreOf(0));
        EXPECT_EQ(answer.Wait().Text, "The files could not be copied (error 0x7C): A path in the source or "
                                      "the destination is not valid.");
    }

    // The user stopped it in the shell's own dialog: nothing more to say.
    refusal = TRefusal{ERROR_CANCELLED, TRUE};
    TDialogAnswerer none(TAnswer::Press("TMessageForm", "OK").Within(500));
    Drop(form->panels1, files, CentreOf(0));
    EXPECT_FALSE(none.Wait().Found);
    EXPECT_EQ(calls.size(), 3u);
}

TEST_F(DropTest, TheWindowIsActiveAgainAfterATransferWithOrWithoutTheShellsDialog) {
    MakeForm({AnsiPath(targetA.wstring())});
    WriteText(targetA / "f1.txt", "old");
    SetForegroundWindow(form->Handle());
    PumpPending();
    ASSERT_EQ(GetActiveWindow(), form->Handle());
    auto expectActive = [&](const char* when) {
        PumpPending();
        EXPECT_EQ(GetForegroundWindow(), form->Handle()) << when;
        EXPECT_EQ(GetActiveWindow(), form->Handle()) << when;
        // The keys go to the targets again.
        EXPECT_EQ(GetFocus(), form->panels1->Handle()) << when;
    };
    {
        // The real shell asks before it replaces f1.txt; its dialog belongs to the application's
        // hidden window.
        TDialogAnswerer overwrite(TAnswer::PressId("#32770", IDYES));
        Drop(form->panels1, {Source(L"f1.txt", "new")}, CentreOf(0));
        EXPECT_TRUE(overwrite.Wait().Answered);
    }
    EXPECT_EQ(ReadText(targetA / "f1.txt"), "new");
    expectActive("after the shell's question");
    Drop(form->panels1, {Source(L"f2.txt")}, CentreOf(0));
    expectActive("after a transfer without a question");
}

class BottomStripDrop : public DropTest {
  protected:
    void SetUp() override {
        DropTest::SetUp();
        MakeForm({AnsiPath(targetA.wstring())});
    }
    std::vector<std::string> Targets() { return form->panels1->Items().Lines(); }
};

TEST_F(BottomStripDrop, AsksAndAppendsAPlainFolderOnYesOnly) {
    const fs::path folder = root / "New Place", other = root / "Other";
    fs::create_directories(folder);
    fs::create_directories(other);
    ASSERT_EQ(GetFileAttributesW(folder.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

    TDialogReport no = DropOnStrip({folder}, TAnswer::PressId("#32770", IDNO));
    ASSERT_TRUE(no.Answered);
    EXPECT_EQ(no.Caption, "NEW TARGET");
    EXPECT_EQ(no.Text, "Do you want to create a new target?");
    EXPECT_EQ(no.Icons, 1);
    EXPECT_EQ(Targets().size(), 1u);

    // Only the first of several paths is offered.
    EXPECT_TRUE(DropOnStrip({folder, other}, TAnswer::PressId("#32770", IDYES)).Answered);
    EXPECT_EQ(Targets(), (std::vector<std::string>{AnsiPath(targetA.wstring()), AnsiPath(folder.wstring())}));
}

TEST_F(BottomStripDrop, IgnoresFilesAndFoldersWithMoreThanTheDirectoryAttribute) {
    std::vector<fs::path> ignored = {Source(L"plain.txt"), root / "gone"};
    for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_SYSTEM}) {
        const fs::path folder = root / ("folder" + std::to_string(attribute));
        fs::create_directories(folder);
        SetFileAttributesW(folder.c_str(), attribute);
        // Wine keeps some attributes of folders only where the file system can hold them.
        if (GetFileAttributesW(folder.c_str()) != FILE_ATTRIBUTE_DIRECTORY)
            ignored.push_back(folder);
    }
    ASSERT_GE(ignored.size(), 3u);
    for (const fs::path& path : ignored)
        EXPECT_FALSE(DropOnStrip({path}, TAnswer::PressId("#32770", IDYES).Within(300)).Found)
            << path.string();
    EXPECT_EQ(Targets().size(), 1u);
}

TEST_F(BottomStripDrop, RefusesAFolderWhosePathTheTargetListCannotHold) {
    const fs::path folder = root / L"\u0444\u0430\u0439\u043b\u044b";
    fs::create_directories(folder);
    TDialogReport report = DropOnStrip({folder}, TAnswer::Press("TMessageForm", "OK"));
    ASSERT_TRUE(report.Answered);
    EXPECT_EQ(
        report.Text,
        "This folder cannot be a target: its path contains characters that the target list cannot store.");
    EXPECT_EQ(Targets().size(), 1u);
}

// ---- modifier keys at the drop, and Ctrl+V

// The keys a drop finds held, in place of the keyboard's.
std::vector<int> heldAtDrop;
SHORT WINAPI KeysAtDrop(int key) {
    return std::find(heldAtDrop.begin(), heldAtDrop.end(), key) != heldAtDrop.end() ? SHORT(0x8000)
                                                                                    : SHORT(0);
}

class KeyedTransferTest : public DropTest {
  protected:
    void SetUp() override {
        DropTest::SetUp();
        heldAtDrop.clear();
        MakeForm({AnsiPath(targetA.wstring()), AnsiPath(targetB.wstring())});
        form->JvDragDrop1->SetKeyStateSource(KeysAtDrop);
    }
    void TearDown() override {
        heldAtDrop.clear();
        EmptyTheClipboard();
        DropTest::TearDown();
    }

    static void EmptyTheClipboard() {
        if (OpenClipboard(Application->Handle())) {
            EmptyClipboard();
            CloseClipboard();
        }
    }

    // The files as Explorer puts them on the clipboard: the drop block, and the drop effect when given.
    static void PutFiles(const std::vector<fs::path>& paths, std::optional<DWORD> effect) {
        ASSERT_TRUE(OpenClipboard(Application->Handle()));
        EmptyClipboard();
        EXPECT_NE(SetClipboardData(CF_HDROP, MakeDrop(paths, POINT{0, 0}, true)), nullptr);
        if (effect) {
            HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
            *static_cast<DWORD*>(GlobalLock(global)) = *effect;
            GlobalUnlock(global);
            EXPECT_NE(SetClipboardData(RegisterClipboardFormatA("Preferred DropEffect"), global), nullptr);
        }
        CloseClipboard();
    }

    // Ctrl+V (with Shift too when asked) on the target panel, handled before this returns.
    void PasteKeys(bool shift = false) {
        THeldKeys held = shift ? THeldKeys{VK_CONTROL, VK_SHIFT} : THeldKeys{VK_CONTROL};
        PostKey(form->panels1->Handle(), 'V');
        PumpPending();
    }

    // The keyboard's focus onto the second target: the current one.
    void FocusSecondTarget() {
        PostKey(form->panels1->Handle(), VK_DOWN);
        PumpPending();
        ASSERT_EQ(form->CurrentItem(), 1);
    }
};

TEST_F(KeyedTransferTest, ShiftAtTheDropMovesWhileTheSwitchSaysCopyAndCtrlCopiesWhileItSaysMove) {
    const fs::path shifted = Source(L"shifted.txt", "s"), controlled = Source(L"controlled.txt", "c");
    heldAtDrop = {VK_SHIFT};
    Drop(form->panels1, {shifted}, CentreOf(1));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Function, static_cast<UINT>(FO_MOVE));
    EXPECT_EQ(ReadText(targetB / "shifted.txt"), "s");
    EXPECT_FALSE(fs::exists(shifted));
    EXPECT_EQ(form->JvDragDrop1->DropShiftState(), static_cast<TShiftState>(ssShift));

    form->movchk->SetChecked(true);
    heldAtDrop = {VK_CONTROL};
    Drop(form->panels1, {controlled}, CentreOf(0));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].Function, static_cast<UINT>(FO_COPY));
    EXPECT_EQ(ReadText(targetA / "controlled.txt"), "c");
    EXPECT_TRUE(fs::exists(controlled));
    // The switch itself stays as the user left it.
    EXPECT_TRUE(form->movchk->Checked());
    EXPECT_EQ(form->Label1->Caption(), "Move files");

    // Both keys (a link, to Explorer) or none: the switch decides.
    heldAtDrop = {VK_SHIFT, VK_CONTROL};
    Drop(form->panels1, {controlled}, CentreOf(1));
    heldAtDrop.clear();
    form->movchk->SetChecked(false);
    Drop(form->panels1, {Source(L"plain.txt")}, CentreOf(1));
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2].Function, static_cast<UINT>(FO_MOVE));
    EXPECT_EQ(calls[3].Function, static_cast<UINT>(FO_COPY));
    EXPECT_FALSE(fs::exists(controlled));
    EXPECT_TRUE(fs::exists(targetB / "controlled.txt") && fs::exists(root / "source" / "plain.txt"));
}

TEST_F(KeyedTransferTest, ControlVCopiesTheClipboardsFilesIntoTheCurrentTargetAsADropWould) {
    FocusSecondTarget();
    const std::vector<fs::path> files = {Source(L"one.txt", "1"), Source(L"\u03a9.txt", "2")};
    PutFiles(files, DropEffectCopy | DropEffectLink);
    // The switch says move; the files were copied in Explorer, and are copied.
    form->movchk->SetChecked(true);
    PasteKeys();
    ASSERT_EQ(calls.size(), 1u);
    const TShellCall& call = calls[0];
    EXPECT_EQ(call.Function, static_cast<UINT>(FO_COPY));
    EXPECT_EQ(call.From, (std::vector<std::wstring>{files[0].wstring(), files[1].wstring()}));
    EXPECT_EQ(call.To, targetB.wstring() + L"\\" + std::wstring(2, L'\0'));
    EXPECT_EQ(call.Owner, Application->Handle());
    EXPECT_EQ(call.LedPixel, clLime);
    EXPECT_EQ(call.Cursor, crHourGlass);
    EXPECT_EQ(ReadText(targetB / L"\u03a9.txt"), "2");
    EXPECT_TRUE(fs::exists(files[0]) && fs::exists(files[1]));
    EXPECT_FALSE(form->JvLED1->Status());
    EXPECT_EQ(Screen->Cursor(), crDefault);
    // Pasted once more, the same files are offered again: the clipboard stays as it was. (The
    // shell is not asked in earnest: it would ask about replacing them.)
    refusal = TRefusal{ERROR_CANCELLED, TRUE};
    PasteKeys();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].From, calls[0].From);
}

TEST_F(KeyedTransferTest, ControlVMovesFilesThatWereCutAndShiftMovesCopiedOnes) {
    FocusSecondTarget();
    const fs::path cut = Source(L"cut.txt", "x");
    PutFiles({cut}, DropEffectMove);
    PasteKeys();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Function, static_cast<UINT>(FO_MOVE));
    EXPECT_EQ(ReadText(targetB / "cut.txt"), "x");
    EXPECT_FALSE(fs::exists(cut));

    const fs::path copied = Source(L"copied.txt", "y");
    PutFiles({copied}, DropEffectCopy);
    PasteKeys(/*shift*/ true);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].Function, static_cast<UINT>(FO_MOVE));
    EXPECT_FALSE(fs::exists(copied));

    // No drop effect at all: the switch decides.
    const fs::path plain = Source(L"plain.txt", "z");
    PutFiles({plain}, std::nullopt);
    form->movchk->SetChecked(true);
    PasteKeys();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].Function, static_cast<UINT>(FO_MOVE));
    EXPECT_EQ(ReadText(targetB / "plain.txt"), "z");
}

// Files cut in Explorer as its clipboard holds them: a data object offering the drop block and
// the preferred drop effect "move", which records what the pasting program tells it.
class TCutFiles : public IDataObject {
  public:
    explicit TCutFiles(std::vector<fs::path> paths) : paths_(std::move(paths)) {}
    std::map<std::string, DWORD> Told; // format name, drop effect

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDataObject) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK)
            return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->pUnkForRelease = nullptr;
        if (format->cfFormat == CF_HDROP) {
            medium->hGlobal = MakeDrop(paths_, POINT{0, 0}, true);
        } else {
            medium->hGlobal = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
            *static_cast<DWORD*>(GlobalLock(medium->hGlobal)) = DROPEFFECT_MOVE;
            GlobalUnlock(medium->hGlobal);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return (format->cfFormat == CF_HDROP || format->cfFormat == PreferredEffect()) &&
                       (format->tymed & TYMED_HGLOBAL)
                   ? S_OK
                   : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
        char name[64] = {};
        GetClipboardFormatNameA(format->cfFormat, name, sizeof name);
        if (medium->tymed == TYMED_HGLOBAL && GlobalSize(medium->hGlobal) >= sizeof(DWORD)) {
            Told[name] = *static_cast<DWORD*>(GlobalLock(medium->hGlobal));
            GlobalUnlock(medium->hGlobal);
        }
        if (release)
            ReleaseStgMedium(medium);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        FORMATETC offered[] = {{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
                               {PreferredEffect(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}};
        return SHCreateStdEnumFmtEtc(2, offered, formats);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  private:
    static CLIPFORMAT PreferredEffect() {
        return static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Preferred DropEffect"));
    }
    std::vector<fs::path> paths_;
    ULONG references_ = 1;
};

// Whether the clipboard hands a pasting program the source's own data object, which hears what it
// is told. Windows' does; Wine's hands out a copy that takes nothing back.
bool ClipboardForwardsToTheSource(TCutFiles& source) {
    IDataObject* clipboard = nullptr;
    if (FAILED(OleGetClipboard(&clipboard)) || !clipboard)
        return false;
    FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Perchpoints probe")), nullptr,
                     DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD));
    if (FAILED(clipboard->SetData(&format, &medium, TRUE)))
        GlobalFree(medium.hGlobal);
    clipboard->Release();
    return source.Told.erase("Perchpoints probe") > 0;
}

TEST_F(KeyedTransferTest, ControlVOfCutFilesTellsTheSourceAndEmptiesTheClipboardWhileItStillHoldsThem) {
    FocusSecondTarget();
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        const fs::path cut = Source(L"cut.txt", "x");
        TCutFiles explorer({cut});
        ASSERT_EQ(OleSetClipboard(&explorer), S_OK);
        const bool forwards = ClipboardForwardsToTheSource(explorer);
        PasteKeys();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].Function, static_cast<UINT>(FO_MOVE));
        EXPECT_EQ(ReadText(targetB / "cut.txt"), "x");
        if (forwards) {
            EXPECT_EQ(explorer.Told, (std::map<std::string, DWORD>{{"Performed DropEffect", DROPEFFECT_MOVE},
                                                                   {"Paste Succeeded", DROPEFFECT_MOVE}}));
        }
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
        OleSetClipboard(nullptr);
    }
    OleUninitialize();

    // Cut files put there without a data object are let go of too, and a second Ctrl+V finds
    // nothing to ask for.
    PutFiles({Source(L"plain cut.txt")}, DropEffectMove);
    PasteKeys();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_FALSE(fs::exists(root / "source" / "plain cut.txt"));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
    {
        TDialogAnswerer none(TAnswer::Press("TMessageForm", "OK").Within(500));
        PasteKeys();
        EXPECT_FALSE(none.Wait().Found);
    }
    EXPECT_EQ(calls.size(), 2u);

    // What another program put on the clipboard meanwhile stays.
    PutFiles({Source(L"third.txt")}, DropEffectMove);
    duringShellCall = [&] { PutFiles({Source(L"other.txt")}, DropEffectMove); };
    PasteKeys();
    duringShellCall = nullptr;
    EXPECT_FALSE(fs::exists(root / "source" / "third.txt"));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
    // So do cut files that are still there (the user skipped them; the shell says it is done),
    // and a copy moved with Shift.
    PutFiles({Source(L"skipped.txt")}, DropEffectMove);
    refusal = TRefusal{0, FALSE};
    PasteKeys();
    refusal.reset();
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
    PutFiles({Source(L"copied.txt")}, DropEffectCopy);
    PasteKeys(/*shift*/ true);
    EXPECT_FALSE(fs::exists(root / "source" / "copied.txt"));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
    EXPECT_EQ(calls.size(), 5u);
}

TEST_F(KeyedTransferTest, ControlVWithoutFilesOnTheClipboardDoesNothingAndSaysNothing) {
    FocusSecondTarget();
    TDialogAnswerer none(TAnswer::Press("TMessageForm", "OK").Within(1000));
    EmptyTheClipboard();
    PasteKeys();
    // Text that names a file is no file.
    const fs::path file = Source(L"named.txt");
    ASSERT_TRUE(OpenClipboard(Application->Handle()));
    EmptyClipboard();
    const std::string text = AnsiPath(file.wstring());
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(global), text.c_str(), text.size() + 1);
    GlobalUnlock(global);
    SetClipboardData(CF_TEXT, global);
    CloseClipboard();
    PasteKeys();
    // A drop block that runs past its end is refused, as a dropped one is.
    ASSERT_TRUE(OpenClipboard(Application->Handle()));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(DROPFILES) + 4);
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), L"ab", 4);
    GlobalUnlock(block);
    SetClipboardData(CF_HDROP, block);
    CloseClipboard();
    PasteKeys();

    EXPECT_FALSE(none.Wait().Found);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(ledChanges, 0);
    EXPECT_TRUE(fs::exists(file));
}

// Ten thousand names on the clipboard, long and short and some outside the ANSI code page: one
// request with every name whole and in its place (the shell's answer is the test's own). The
// program's own part of the paste is printed.
TEST_F(KeyedTransferTest, ControlVOfTenThousandFilesAsksTheShellOnce) {
    FocusSecondTarget();
    std::vector<fs::path> files;
    std::vector<std::wstring> names;
    for (int i = 0; i < 10000; ++i) {
        const std::wstring name = (i % 10 == 0 ? L"\u03a9\u0444\u65e5" : L"f") + std::to_wstring(i) +
                                  std::wstring(static_cast<size_t>(i % 97), L'x') + L".txt";
        files.push_back(root / "source" / std::to_wstring(i / 100) / name);
        names.push_back(files.back().wstring());
    }
    PutFiles(files, DropEffectCopy);
    refusal = TRefusal{0, FALSE};
    using TClock = std::chrono::steady_clock;
    TClock::time_point atShell;
    duringShellCall = [&] { atShell = TClock::now(); };
    const TClock::time_point start = TClock::now();
    PasteKeys();
    const TClock::time_point end = TClock::now();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Function, static_cast<UINT>(FO_COPY));
    EXPECT_EQ(calls[0].From, names);
    EXPECT_EQ(calls[0].To, targetB.wstring() + L"\\" + std::wstring(2, L'\0'));
    EXPECT_FALSE(form->JvLED1->Status());
    auto ms = [](TClock::duration d) {
        return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
    };
    std::printf("Ctrl+V of 10,000 files: %lld ms from the key to the shell (200 ms of it the pause), %lld ms "
                "after the shell\n",
                ms(atShell - start), ms(end - atShell));
}

// A visible dialog of the shell on this thread.
bool ShellDialogShown() {
    bool shown = false;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            char name[16] = {};
            GetClassNameA(window, name, sizeof name);
            if (IsWindowVisible(window) && std::strcmp(name, "#32770") == 0)
                *reinterpret_cast<bool*>(found) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

// Ctrl+V while the shell still works on an earlier paste, inside its call or while its question
// whether to replace a copied file is open (Wine replaces on a move without asking), runs nested
// as a second drop does: each transfer once, the lamp out only when both have ended, and the undo
// for the one that ended last, with only what that one brought.
TEST_F(KeyedTransferTest, AControlVDuringTheShellsDialogOfAnEarlierPasteRunsOnceOnItsOwn) {
    FocusSecondTarget();
    struct TCase {
        const char* Name;
        bool InQuestion;                  // the second paste comes while the shell's question is open
        int Answer;                       // to the question whether to replace a.txt; 0: none comes
        DWORD FirstEffect;                // of the first paste's c.txt and a.txt
        bool SameName;                    // the second paste's file is another a.txt
        std::vector<std::wstring> Undone; // what the undo asks the shell to take back
    };
    const TCase cases[] = {
        {"inside the shell's call", false, 0, DropEffectMove, false, {L"c.txt", L"a.txt"}},
        // c.txt arrived before the question: still the first's own.
        {"in the shell's question", true, IDYES, DropEffectCopy, false, {L"c.txt"}},
        // The a.txt the second one moved there, and the first kept, is not the first's to undo.
        {"another a.txt, kept at the question", false, IDNO, DropEffectCopy, true, {L"c.txt"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        calls.clear();
        fs::remove_all(targetB);
        fs::create_directories(targetB);
        fs::create_directories(root / "source" / "other");
        if (c.InQuestion)
            WriteText(targetB / "a.txt", "old");
        const std::vector<fs::path> first = {Source(L"c.txt", "c"), Source(L"a.txt", "a")};
        const fs::path second = Source(c.SameName ? L"other\\a.txt" : L"b.txt", "b");
        PutFiles(first, c.FirstEffect);
        bool questionUp = false;
        duringShellCall = [&] {
            if (calls.size() > 1) {
                questionUp = ShellDialogShown();
                return;
            }
            // Other files cut meanwhile, and pasted: the key waits for the next message loop.
            PutFiles({second}, DropEffectMove);
            PostKey(form->panels1->Handle(), 'V');
            if (!c.InQuestion)
                PumpPending();
        };
        {
            std::unique_ptr<TDialogAnswerer> question;
            if (c.Answer)
                question = std::make_unique<TDialogAnswerer>(TAnswer::PressId("#32770", c.Answer));
            PasteKeys();
            if (question) {
                EXPECT_TRUE(question->Wait().Answered);
            }
        }
        duringShellCall = nullptr;
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].From, (std::vector<std::wstring>{first[0].wstring(), first[1].wstring()}));
        EXPECT_EQ(calls[1].Function, static_cast<UINT>(FO_MOVE));
        EXPECT_EQ(calls[1].From, std::vector<std::wstring>{second.wstring()});
        EXPECT_EQ(calls[1].LedPixel, clLime);
        EXPECT_EQ(questionUp, c.InQuestion);
        EXPECT_EQ(ReadText(targetB / "c.txt"), "c");
        EXPECT_EQ(ReadText(targetB / "a.txt"), c.Answer == IDNO ? "b" : "a");
        EXPECT_EQ(ReadText(targetB / second.filename()), "b");
        EXPECT_EQ(fs::exists(first[1]), c.FirstEffect == DropEffectCopy);
        EXPECT_FALSE(fs::exists(second));
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
        EXPECT_FALSE(form->JvLED1->Status());
        EXPECT_EQ(LedPixel(), clRed);
        EXPECT_EQ(Screen->Cursor(), crDefault);

        // The undo's request is looked at, not carried out.
        refusal = TRefusal{0, FALSE};
        TDialogAnswerer told(TAnswer::Press("TMessageForm", "OK"));
        form->UndoLastTransfer();
        EXPECT_TRUE(told.Wait().Answered);
        refusal.reset();
        std::vector<std::wstring> undone;
        for (const std::wstring& name : c.Undone)
            undone.push_back((targetB / name).wstring());
        EXPECT_EQ(calls.size() > 2 ? calls[2].From : std::vector<std::wstring>{}, undone);
    }
}

TEST_F(KeyedTransferTest, AClipboardHeldByAnotherProgramIsWaitedForThenReported) {
    FocusSecondTarget();
    const fs::path file = Source(L"waiting.txt");
    PutFiles({file}, DropEffectCopy);
    // Another thread holds it open, as another program would.
    std::atomic<bool> holding{false}, release{false};
    std::thread holder([&] {
        if (OpenClipboard(nullptr)) {
            holding = true;
            while (!release)
                Sleep(5);
            CloseClipboard();
        }
        holding = true;
    });
    // However the test ends, the holder lets go and is joined: a thread destroyed while still
    // joinable would end the whole test program.
    struct TLetGo {
        std::atomic<bool>& Release;
        std::thread& Holder;
        ~TLetGo() {
            Release = true;
            if (Holder.joinable())
                Holder.join();
        }
    } letGo{release, holder};
    while (!holding)
        Sleep(5);
    {
        TDialogAnswerer answer(TAnswer::Press("TMessageForm", "OK", "Perchpoints"));
        PasteKeys();
        const TDialogReport& report = answer.Wait();
        ASSERT_TRUE(report.Answered);
        EXPECT_EQ(report.Text, "The clipboard is in use by another program. Try pasting again in a moment.");
    }
    EXPECT_TRUE(calls.empty());

    // Let go within the wait: the paste goes ahead.
    std::thread late([&] {
        Sleep(150);
        release = true;
    });
    PasteKeys();
    late.join();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(fs::exists(targetB / "waiting.txt"));
}

} // namespace
