// The drop block reader against the shell's own reader (DragQueryFileW) on a table of blocks,
// well formed and malformed, in real global memory: where the shell's reading stays inside the
// block, both read the same paths (the few documented exceptions aside); where it would run
// past the end, the block is refused and no path comes of it. And a receiver given such a block
// by a real drop message.
#include "JvDragDrop.h"

#include "Form.h"
#include "Panel.h"
#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes Block(std::uint32_t offset, bool wide, const Bytes& list) {
    const size_t start = std::max<size_t>(offset, sizeof(DROPFILES));
    Bytes bytes(start + list.size(), 0x41);
    DROPFILES header{};
    header.pFiles = offset;
    header.pt = POINT{12, 34};
    header.fWide = wide;
    std::memcpy(bytes.data(), &header, sizeof header);
    std::copy(list.begin(), list.end(), bytes.begin() + static_cast<std::ptrdiff_t>(start));
    return bytes;
}

Bytes Ansi(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes Wide(const std::wstring& text) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    return Bytes(p, p + text.size() * sizeof(wchar_t));
}

// The block in movable global memory of exactly its size, as the shell hands it over.
class TDropHandle {
  public:
    explicit TDropHandle(const Bytes& bytes)
        : global_(GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size())) {
        if (void* p = GlobalLock(global_)) {
            if (!bytes.empty())
                std::memcpy(p, bytes.data(), bytes.size());
            GlobalUnlock(global_);
        }
    }
    TDropHandle(const TDropHandle&) = delete;
    TDropHandle& operator=(const TDropHandle&) = delete;
    ~TDropHandle() {
        if (global_)
            GlobalFree(global_);
    }
    HDROP Drop() const { return reinterpret_cast<HDROP>(global_); }
    HGLOBAL Release() { return std::exchange(global_, nullptr); }

  private:
    HGLOBAL global_;
};

// What the shell reads, path by path, as every program that takes drops reads them.
std::vector<std::wstring> ShellPaths(HDROP drop) {
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && i < 100; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
        paths.push_back(path);
    }
    return paths;
}

enum class TShell {
    Agrees,    // the shell reads inside the block, and the same paths
    Differs,   // the shell reads inside the block but sees other paths; ours is the sound reading
    ReadsPast, // the shell would read past the end of the block: not asked
};

struct TCase {
    const char* Name;
    Bytes Data;
    TShell Shell;
    TDropBlockError Error;
    std::vector<std::wstring> Paths; // what the program reads
};

std::vector<TCase> Cases() {
    Bytes tooShort = Block(20, true, {});
    tooShort.resize(12);
    Bytes offsetAtEnd = Block(20, true, Wide(L"a\0\0"s));
    const DWORD atEnd = static_cast<DWORD>(offsetAtEnd.size());
    std::memcpy(offsetAtEnd.data(), &atEnd, sizeof atEnd);
    Bytes offsetFar = offsetAtEnd;
    const DWORD farAway = 0x7FFFFFF0;
    std::memcpy(offsetFar.data(), &farAway, sizeof farAway);
    // The list starts inside the header, at the drop point's x (12: a form feed, then NULs).
    Bytes inHeader = Block(4, false, {});
    return {
        {"wide, three paths",
         Block(20, true, Wide(L"C:\\one.txt\0D:\\\u00e9t\u00e9\\\u65e5.txt\0C:\\three\0\0"s)),
         TShell::Agrees,
         TDropBlockError::None,
         {L"C:\\one.txt", L"D:\\\u00e9t\u00e9\\\u65e5.txt", L"C:\\three"}},
        {"ANSI, two paths",
         Block(20, false, Ansi("C:\\caf\xe9\0C:\\b\0\0"s)),
         TShell::Agrees,
         TDropBlockError::None,
         {L"C:\\caf\u00e9", L"C:\\b"}},
        {"wide at an odd offset",
         Block(21, true, Wide(L"C:\\odd\0C:\\x\0\0"s)),
         TShell::Agrees,
         TDropBlockError::None,
         {L"C:\\odd", L"C:\\x"}},
        {"wide after a gap",
         Block(32, true, Wide(L"C:\\gap\0\0"s)),
         TShell::Agrees,
         TDropBlockError::None,
         {L"C:\\gap"}},
        {"garbage after the list",
         Block(20, false, Ansi("C:\\a\0\0C:\\hidden\0\0"s)),
         TShell::Agrees,
         TDropBlockError::None,
         {L"C:\\a"}},
        {"a path of 1000 characters",
         Block(20, true, Wide(L"C:\\" + std::wstring(997, L'p') + L"\0\0"s)),
         TShell::Agrees,
         TDropBlockError::None,
         {L"C:\\" + std::wstring(997, L'p')}},
        // The shell does not look at the first path before counting it: an empty first path
        // counts as a path, and what follows it too.
        {"empty list", Block(20, true, Wide(L"\0\0"s)), TShell::Differs, TDropBlockError::None, {}},
        {"empty list, more after it",
         Block(20, true, Wide(L"\0C:\\after\0\0"s)),
         TShell::Differs,
         TDropBlockError::None,
         {}},
        {"list inside the header", inHeader, TShell::Differs, TDropBlockError::OffsetInHeader, {}},
        {"shorter than a header", tooShort, TShell::ReadsPast, TDropBlockError::TooShort, {}},
        {"header only", Block(20, true, {}), TShell::ReadsPast, TDropBlockError::OffsetPastEnd, {}},
        {"offset at the end", offsetAtEnd, TShell::ReadsPast, TDropBlockError::OffsetPastEnd, {}},
        {"offset far past the end", offsetFar, TShell::ReadsPast, TDropBlockError::OffsetPastEnd, {}},
        {"no NUL at all (ANSI)",
         Block(20, false, Ansi("C:\\abc")),
         TShell::ReadsPast,
         TDropBlockError::Unterminated,
         {}},
        {"no NUL at all (wide)",
         Block(20, true, Wide(L"C:\\abc")),
         TShell::ReadsPast,
         TDropBlockError::Unterminated,
         {}},
        {"no closing empty path (ANSI)",
         Block(20, false, Ansi("C:\\a\0C:\\b\0"s)),
         TShell::ReadsPast,
         TDropBlockError::Unterminated,
         {}},
        {"no closing empty path (wide)",
         Block(20, true, Wide(L"C:\\a\0C:\\b\0"s)),
         TShell::ReadsPast,
         TDropBlockError::Unterminated,
         {}},
        {"wide list with half a NUL",
         Block(20, true, Bytes{'a', 0, 0}),
         TShell::ReadsPast,
         TDropBlockError::Unterminated,
         {}},
    };
}

TEST(DropBlockAgainstTheShell, ReadsWhatTheShellReadsInsideTheBlockAndRefusesTheRest) {
    for (const TCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        TDropHandle handle(c.Data);
        ASSERT_EQ(GlobalSize(reinterpret_cast<HGLOBAL>(handle.Drop())), std::max<size_t>(c.Data.size(), 1));
        TDropFilesBlock block;
        EXPECT_EQ(ReadDropHandle(handle.Drop(), block), c.Error)
            << DropBlockErrorText(ReadDropHandle(handle.Drop(), block));
        const std::vector<std::wstring> ours = DroppedFileNames(handle.Drop());
        EXPECT_EQ(ours, c.Paths);
        if (c.Shell == TShell::ReadsPast)
            continue;
        const std::vector<std::wstring> shell = ShellPaths(handle.Drop());
        if (c.Shell == TShell::Agrees)
            EXPECT_EQ(shell, ours);
        else
            EXPECT_NE(shell, ours) << "the shell now reads it as we do: the case is no exception any more";
    }
}

// A receiver given a block it cannot read reports a drop of nothing and still gives the handle
// back; the drop point comes from the header when there is one.
TEST(DropBlockAgainstTheShell, AReceiverReportsNothingForABlockItRefuses) {
    TOwnedComponent<TForm> form(new TForm(&TestApplication())); // never shown
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 50, 50);
    panel->HandleNeeded();
    TOwnedComponent<TJvDragDrop> receiver(new TJvDragDrop(&TestApplication()));
    receiver->SetDropTarget(panel);
    receiver->SetAcceptDrag(true);
    struct TSink {
        int Drops = 0;
        POINT Pos{-1, -1};
        std::vector<std::string> Paths;
        void Drop(TObject*, POINT pos, TStringList& value) {
            ++Drops;
            Pos = pos;
            Paths = value.Lines();
        }
    } sink;
    receiver->OnDrop = Bind<&TSink::Drop>(&sink);

    for (const TCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        TDropHandle handle(c.Data);
        const int before = sink.Drops;
        // DragFinish frees the handle: from here on it is the receiver's.
        SendMessageA(panel->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(handle.Release()), 0);
        EXPECT_EQ(sink.Drops, before + 1);
        EXPECT_EQ(sink.Paths.size(), c.Paths.size());
        EXPECT_EQ(receiver->WideFiles(), c.Paths);
        if (c.Data.size() >= sizeof(DROPFILES)) {
            EXPECT_EQ(sink.Pos.x, 12);
            EXPECT_EQ(sink.Pos.y, 34);
        } else {
            EXPECT_EQ(sink.Pos.x, 0);
            EXPECT_EQ(sink.Pos.y, 0);
        }
    }
}

} // namespace
