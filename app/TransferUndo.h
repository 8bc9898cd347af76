#pragma once
// Undoing the last copy or move. What arrived in the target folder is told from listings of that
// folder taken before and after the shell's operation (the shell may rename, skip or stop half-way,
// so what was asked says little); the plan takes back only what the transfer itself created and
// nobody has touched since. Plain functions, so that they run natively too.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// One entry of a folder as the system lists it.
struct TEntryFacts {
    bool Folder = false;
    std::uint64_t Size = 0;      // files only
    std::uint64_t WriteTime = 0; // last-write time in the system's file-time units
    bool operator==(const TEntryFacts&) const = default;
};

struct TListedEntry {
    std::wstring Name;
    TEntryFacts Facts;
};
using TFolderListing = std::vector<TListedEntry>;

// How an item came to be in the target folder.
enum TArrival {
    arCreated,     // under its source's name, where nothing of that name was before
    arOverwritten, // under its source's name, where an item of that name was already
    arRenamed,     // under a name the shell made up for it ("Copy of ...", "... (2)")
    arAmbiguous,   // under a name that several of the transferred items had
};

struct TArrivedItem {
    std::wstring Name;   // its name in the target folder
    std::wstring Source; // the path it was transferred from
    TEntryFacts Facts;   // as the listing after the transfer gave it
    TArrival Arrival = arCreated;
};

struct TTransferRecord {
    bool Move = false;
    std::wstring Folder; // the target folder, without a trailing backslash
    std::vector<TArrivedItem> Items;
};

// File names compared as the file system does: letters without regard to case.
bool SameFileName(const std::wstring& a, const std::wstring& b);
// The name as that comparison sees it: equal for names that are the same.
std::wstring FoldedFileName(const std::wstring& name);

// What the transfer of sources into folder left there, from the folder's listings before and
// after it, in the order of the sources. A source whose name is not in the folder afterwards did
// not arrive and is not recorded. A new name that is none of the sources' but carries one's stem
// and extension is recorded as renamed from it; other new names are not the transfer's.
TTransferRecord RecordArrivals(const std::vector<std::wstring>& sources, const std::wstring& folder,
                               bool move, const TFolderListing& before, const TFolderListing& after);

// The record holds an item that an undo would take back as it was recorded.
bool HasUndoableItems(const TTransferRecord& record);

// What is found now of a recorded item.
struct TItemNow {
    std::optional<TEntryFacts> InTarget; // the item of that name in the target folder
    bool SourceTaken = false;            // something is at its source path again (moves)
    bool SourceFolderExists = true;      // the folder it came from is still there (moves)
};

enum TUndoAction {
    uaRecycle,  // send it to the Recycle Bin (it was copied)
    uaMoveBack, // move it back to its source path (it was moved)
    uaLeave,    // leave it as it is
};

enum TLeaveReason {
    lrNone,
    lrExistedBefore,
    lrRenamed,
    lrAmbiguous,
    lrGone,
    lrChangedSince,
    lrSourceTaken,
    lrSourceFolderGone,
    lrNotRecycled,  // the shell was asked and did not take it away
    lrNotMovedBack, // the shell was asked and did not move it
    lrCancelled,    // the undo was stopped before it
};

struct TUndoStep {
    std::wstring Name;   // in the target folder
    std::wstring Source; // where it came from
    TUndoAction Action = uaLeave;
    TLeaveReason Reason = lrNone;
};

// One step per recorded item, in the record's order; now holds one entry per item.
std::vector<TUndoStep> PlanUndo(const TTransferRecord& record, const std::vector<TItemNow>& now);

// After the shell's operation: a step that was to act and is not done is left, with the reason
// (cancelled when the user stopped the shell). done holds one entry per step.
void SettleUndo(std::vector<TUndoStep>& plan, const std::vector<bool>& done, bool cancelled);

// The message that tells the user what was undone and what was left and why. ansiName turns a
// name into the text shown.
std::string UndoMessage(bool move, const std::vector<TUndoStep>& plan,
                        const std::function<std::string(const std::wstring&)>& ansiName);
