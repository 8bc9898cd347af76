#include "LastTransferUndo.h"

#include "Handles.h"
#include "SysUtils.h"

#include <map>
#include <set>
#include <utility>

namespace {
std::uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

TEntryFacts Facts(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& written) {
    TEntryFacts facts;
    facts.Folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.Size = facts.Folder ? 0 : Join(sizeHigh, sizeLow);
    facts.WriteTime = Join(written.dwHighDateTime, written.dwLowDateTime);
    return facts;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::wstring WithoutTrailingSeparators(std::wstring path) {
    while (path.size() > 1 && IsSeparator(path.back()) && path[path.size() - 2] != L':')
        path.pop_back();
    return path;
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
    std::wstring path = folder;
    if (!path.empty() && !IsSeparator(path.back()))
        path.push_back(L'\\');
    return path + name;
}

// "C:\a\b" gives "C:\a"; "C:\b" gives "C:\".
std::wstring ParentFolder(const std::wstring& path) {
    const std::wstring whole = WithoutTrailingSeparators(path);
    const size_t separator = whole.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return std::wstring();
    if (separator > 0 && whole[separator - 1] == L':')
        return whole.substr(0, separator + 1);
    return whole.substr(0, separator);
}

void Append(std::wstring& list, const std::wstring& name) {
    list += name;
    list.push_back(L'\0');
}
} // namespace

TFolderListing ListFolder(const std::wstring& folder) {
    TFolderListing listing;
    WIN32_FIND_DATAW data{};
    TFindHandle find(FindFirstFileW(InFolder(WithoutTrailingSeparators(folder), L"*").c_str(), &data));
    if (!find)
        return listing;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        listing.push_back({name, Facts(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow,
                                       data.ftLastWriteTime)});
    } while (FindNextFileW(find.Get(), &data));
    return listing;
}

std::optional<TEntryFacts> EntryFacts(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return Facts(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
}

// ---- the watch over one transfer

TLastTransferUndo::TWatch::TWatch(TLastTransferUndo& undo, std::vector<std::wstring> sources,
                                  std::wstring folder, bool move)
    : undo_(undo), sources_(std::move(sources)), folder_(WithoutTrailingSeparators(std::move(folder))),
      move_(move) {
    before_ = ListFolder(folder_);
    undo_.watching_.push_back(this);
    undo_.Changed();
}

TLastTransferUndo::TWatch::~TWatch() {
    std::erase(undo_.watching_, this);
    try {
        undo_.Changed();
    } catch (...) {
        // Only the menu's look is at stake; the record is right.
        TraceSwallowed("TLastTransferUndo::TWatch::~TWatch");
    }
}

void TLastTransferUndo::TWatch::Arrived() {
    if (std::exchange(arrived_, true))
        return;
    const TFolderListing after = ListFolder(folder_);
    undo_.record_ = RecordArrivals(sources_, folder_, move_, before_, after);
    if (undo_.watching_.size() < 2)
        return;
    // Only what this transfer brought or changed counts as there before for the transfers still
    // under way into the folder; what they brought before it stays theirs.
    std::map<std::wstring, TEntryFacts> was;
    for (const TListedEntry& entry : before_)
        was.emplace(FoldedFileName(entry.Name), entry.Facts);
    TFolderListing changed;
    for (const TListedEntry& entry : after) {
        const auto then = was.find(FoldedFileName(entry.Name));
        if (then == was.end() || !(then->second == entry.Facts))
            changed.push_back(entry);
    }
    for (TWatch* outer : undo_.watching_) {
        if (outer == this || !SameFileName(outer->folder_, folder_))
            continue;
        std::set<std::wstring> listed;
        for (const TListedEntry& entry : outer->before_)
            listed.insert(FoldedFileName(entry.Name));
        for (const TListedEntry& entry : changed)
            if (listed.insert(FoldedFileName(entry.Name)).second)
                outer->before_.push_back(entry);
    }
}

// ---- the undo

bool TLastTransferUndo::CanUndo() const {
    return record_ && !record_->Items.empty() && !Busy();
}

void TLastTransferUndo::Changed() {
    if (OnChange)
        OnChange();
}

std::vector<TUndoStep> TLastTransferUndo::Undo(HWND owner, const TShellOperation& shell) {
    if (!CanUndo())
        return {};
    // Only once: whatever happens from here on, this record is spent.
    const TTransferRecord record = std::move(*record_);
    record_.reset();

    class TUndoing {
      public:
        explicit TUndoing(TLastTransferUndo& undo) : undo_(undo) {
            undo_.undoing_ = true;
            undo_.Changed();
        }
        TUndoing(const TUndoing&) = delete;
        TUndoing& operator=(const TUndoing&) = delete;
        ~TUndoing() {
            undo_.undoing_ = false;
            try {
                undo_.Changed();
            } catch (...) {
                TraceSwallowed("TLastTransferUndo::TUndoing::~TUndoing");
            }
        }

      private:
        TLastTransferUndo& undo_;
    } undoing(*this);

    std::vector<TItemNow> now;
    for (const TArrivedItem& item : record.Items) {
        TItemNow found;
        found.InTarget = EntryFacts(InFolder(record.Folder, item.Name));
        if (record.Move) {
            found.SourceTaken = EntryFacts(WithoutTrailingSeparators(item.Source)).has_value();
            const std::optional<TEntryFacts> parent = EntryFacts(ParentFolder(item.Source));
            found.SourceFolderExists = parent && parent->Folder;
        }
        now.push_back(found);
    }
    std::vector<TUndoStep> plan = PlanUndo(record, now);

    std::wstring from, to;
    for (const TUndoStep& step : plan) {
        if (step.Action == uaLeave)
            continue;
        Append(from, InFolder(record.Folder, step.Name));
        Append(to, WithoutTrailingSeparators(step.Source));
    }
    if (from.empty())
        return plan;
    from.push_back(L'\0');
    to.push_back(L'\0');

    SHFILEOPSTRUCTW request{};
    request.hwnd = owner;
    request.pFrom = from.c_str();
    if (record.Move) {
        // Each back to its own path: the items may have come from several folders.
        request.wFunc = FO_MOVE;
        request.pTo = to.c_str();
        request.fFlags = FOF_MULTIDESTFILES;
    } else {
        // Into the Recycle Bin without the question whether to (the user asked for the undo),
        // but with the question before anything would be destroyed instead.
        request.wFunc = FO_DELETE;
        request.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING;
    }
    request.fAnyOperationsAborted = FALSE;
    shell(request);

    // What the shell says of itself counts less than what it left behind.
    std::vector<bool> done;
    for (const TUndoStep& step : plan) {
        bool gone = !EntryFacts(InFolder(record.Folder, step.Name));
        if (step.Action == uaMoveBack)
            gone = gone && EntryFacts(WithoutTrailingSeparators(step.Source)).has_value();
        done.push_back(step.Action != uaLeave && gone);
    }
    SettleUndo(plan, done, request.fAnyOperationsAborted != FALSE);
    return plan;
}
