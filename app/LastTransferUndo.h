#pragma once
// The record of the last copy or move into a target, and its undo: the items the copy created go
// to the Recycle Bin, the items the move brought go back where they came from. What was in the
// target before, what changed since and what would land on something new is left alone.

#include "TransferUndo.h"

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Every entry of the folder (none when it cannot be listed).
TFolderListing ListFolder(const std::wstring& folder);
// The entry at the path, if there is one.
std::optional<TEntryFacts> EntryFacts(const std::wstring& path);

class TLastTransferUndo {
  public:
    // Hands a request to the shell; answers as SHFileOperationW does.
    using TShellOperation = std::function<int(SHFILEOPSTRUCTW& request)>;

    // Lists the target before the shell's operation and records what arrived after it. While one
    // is alive, nothing can be undone: its transfer is under way.
    class TWatch {
      public:
        TWatch(TLastTransferUndo& undo, std::vector<std::wstring> sources, std::wstring folder, bool move);
        TWatch(const TWatch&) = delete;
        TWatch& operator=(const TWatch&) = delete;
        ~TWatch();
        // The shell is done: what arrived replaces the record of the transfer before. What it
        // brought or changed in the folder counts as there before for the transfers still under
        // way into it: theirs to record is only what they bring themselves.
        void Arrived();

      private:
        TLastTransferUndo& undo_;
        std::vector<std::wstring> sources_;
        std::wstring folder_;
        bool move_;
        TFolderListing before_;
        bool arrived_ = false;
    };

    TLastTransferUndo() = default;
    TLastTransferUndo(const TLastTransferUndo&) = delete;
    TLastTransferUndo& operator=(const TLastTransferUndo&) = delete;

    // There is a last transfer that left items in the target (whether or not they can be taken
    // back: the undo says why not), and neither a transfer nor an undo is under way.
    bool CanUndo() const;
    // A transfer or an undo is under way.
    bool Busy() const { return !watching_.empty() || undoing_; }
    // The record of the last transfer; none before the first and after its undo.
    const std::optional<TTransferRecord>& Record() const { return record_; }

    // Takes the last transfer back, once: asks the shell (owner: the window that owns its dialogs)
    // for the items that can be taken back, if any, and then looks at what it did. The plan with
    // every step as it ended; empty when there was nothing to undo.
    std::vector<TUndoStep> Undo(HWND owner, const TShellOperation& shell);

    // Called when CanUndo may have changed.
    std::function<void()> OnChange;

  private:
    void Changed();

    std::optional<TTransferRecord> record_;
    // Transfers whose shell dialogs are open; a drop or a paste can come during another's.
    std::vector<TWatch*> watching_;
    bool undoing_ = false;
};
