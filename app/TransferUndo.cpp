#include "TransferUndo.h"

#include "TransferRequest.h"

#include <cwctype>
#include <map>

namespace {
std::wstring Folded(const std::wstring& name) {
    std::wstring folded = name;
    for (wchar_t& c : folded) {
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
        else if (c >= 0x80)
            c = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
    }
    return folded;
}

using TListingIndex = std::map<std::wstring, const TListedEntry*>;

TListingIndex Index(const TFolderListing& listing) {
    TListingIndex index;
    for (const TListedEntry& entry : listing)
        index.emplace(Folded(entry.Name), &entry);
    return index;
}

// A made-up name keeps the source's stem at its start or its end ("report (2).txt",
// "Copy of report.txt") and its extension.
bool LooksRenamedFrom(const std::wstring& foldedName, const std::wstring& foldedSource) {
    if (foldedName == foldedSource || foldedSource.empty())
        return false;
    const size_t dot = foldedSource.rfind(L'.');
    const bool hasExtension = dot != std::wstring::npos && dot > 0;
    const std::wstring stem = hasExtension ? foldedSource.substr(0, dot) : foldedSource;
    const std::wstring extension = hasExtension ? foldedSource.substr(dot) : std::wstring();
    if (foldedName.size() <= foldedSource.size() ||
        foldedName.compare(foldedName.size() - extension.size(), extension.size(), extension) != 0)
        return false;
    const std::wstring nameStem = foldedName.substr(0, foldedName.size() - extension.size());
    return nameStem.compare(0, stem.size(), stem) == 0 ||
           nameStem.compare(nameStem.size() - stem.size(), stem.size(), stem) == 0;
}

bool ChangedSince(const TEntryFacts& then, const TEntryFacts& now) {
    if (then.Folder != now.Folder)
        return true;
    // A folder's own time changes when anything is put in or taken out of it.
    if (now.Folder)
        return then.WriteTime != now.WriteTime;
    return then.Size != now.Size || then.WriteTime != now.WriteTime;
}

const char* ReasonText(TLeaveReason reason, bool move) {
    switch (reason) {
    case lrExistedBefore:
        return "it replaced an item of the same name in the target";
    case lrRenamed:
        return "it arrived under a new name that the shell gave it";
    case lrAmbiguous:
        return "several of the moved items had this name";
    case lrGone:
        return "it is no longer there";
    case lrChangedSince:
        return "it has changed since the transfer";
    case lrSourceTaken:
        return "its old place is taken again";
    case lrSourceFolderGone:
        return "the folder it came from is gone";
    case lrNotRecycled:
        return "the Recycle Bin did not take it";
    case lrNotMovedBack:
        return "it could not be moved back";
    case lrCancelled:
        return "the undo was cancelled";
    case lrNone:
        break;
    }
    return move ? "it was not moved back" : "it was not removed";
}

constexpr size_t MaxListedLines = 12;
} // namespace

bool SameFileName(const std::wstring& a, const std::wstring& b) {
    return Folded(a) == Folded(b);
}

std::wstring FoldedFileName(const std::wstring& name) {
    return Folded(name);
}

TTransferRecord RecordArrivals(const std::vector<std::wstring>& sources, const std::wstring& folder,
                               bool move, const TFolderListing& before, const TFolderListing& after) {
    TTransferRecord record;
    record.Move = move;
    record.Folder = folder;
    while (!record.Folder.empty() && (record.Folder.back() == L'\\' || record.Folder.back() == L'/'))
        record.Folder.pop_back();

    const TListingIndex was = Index(before);
    const TListingIndex is = Index(after);
    std::map<std::wstring, int> sourcesNamed;
    std::vector<std::wstring> foldedSources;
    for (const std::wstring& source : sources) {
        foldedSources.push_back(Folded(LastPathName(source)));
        ++sourcesNamed[foldedSources.back()];
    }

    std::map<std::wstring, bool> recorded;
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::wstring& name = foldedSources[i];
        if (name.empty() || recorded[name])
            continue;
        const auto now = is.find(name);
        if (now == is.end())
            continue;
        recorded[name] = true;
        TArrivedItem item;
        item.Name = now->second->Name;
        item.Source = sources[i];
        item.Facts = now->second->Facts;
        if (was.count(name))
            item.Arrival = arOverwritten;
        else if (move && sourcesNamed[name] > 1)
            item.Arrival = arAmbiguous;
        else
            item.Arrival = arCreated;
        record.Items.push_back(std::move(item));
    }

    for (const TListedEntry& entry : after) {
        const std::wstring name = Folded(entry.Name);
        if (was.count(name) || sourcesNamed.count(name))
            continue;
        for (size_t i = 0; i < sources.size(); ++i) {
            if (!LooksRenamedFrom(name, foldedSources[i]))
                continue;
            record.Items.push_back(TArrivedItem{entry.Name, sources[i], entry.Facts, arRenamed});
            break;
        }
    }
    return record;
}

bool HasUndoableItems(const TTransferRecord& record) {
    for (const TArrivedItem& item : record.Items)
        if (item.Arrival == arCreated)
            return true;
    return false;
}

std::vector<TUndoStep> PlanUndo(const TTransferRecord& record, const std::vector<TItemNow>& now) {
    std::vector<TUndoStep> plan;
    for (size_t i = 0; i < record.Items.size(); ++i) {
        const TArrivedItem& item = record.Items[i];
        const TItemNow found = i < now.size() ? now[i] : TItemNow{};
        TUndoStep step;
        step.Name = item.Name;
        step.Source = item.Source;
        if (item.Arrival == arOverwritten)
            step.Reason = lrExistedBefore;
        else if (item.Arrival == arRenamed)
            step.Reason = lrRenamed;
        else if (item.Arrival == arAmbiguous)
            step.Reason = lrAmbiguous;
        else if (!found.InTarget)
            step.Reason = lrGone;
        else if (ChangedSince(item.Facts, *found.InTarget))
            step.Reason = lrChangedSince;
        else if (record.Move && found.SourceTaken)
            step.Reason = lrSourceTaken;
        else if (record.Move && !found.SourceFolderExists)
            step.Reason = lrSourceFolderGone;
        else
            step.Action = record.Move ? uaMoveBack : uaRecycle;
        plan.push_back(std::move(step));
    }
    return plan;
}

void SettleUndo(std::vector<TUndoStep>& plan, const std::vector<bool>& done, bool cancelled) {
    for (size_t i = 0; i < plan.size(); ++i) {
        TUndoStep& step = plan[i];
        if (step.Action == uaLeave || (i < done.size() && done[i]))
            continue;
        step.Reason = cancelled ? lrCancelled : step.Action == uaMoveBack ? lrNotMovedBack : lrNotRecycled;
        step.Action = uaLeave;
    }
}

std::string UndoMessage(bool move, const std::vector<TUndoStep>& plan,
                        const std::function<std::string(const std::wstring&)>& ansiName) {
    std::vector<std::string> undone, left;
    for (const TUndoStep& step : plan) {
        if (step.Action != uaLeave)
            undone.push_back(ansiName(step.Name));
        else
            left.push_back(ansiName(step.Name) + ": " + ReasonText(step.Reason, move));
    }
    auto list = [](std::string& text, const std::vector<std::string>& lines) {
        for (size_t i = 0; i < lines.size() && i < MaxListedLines; ++i)
            text += "\r\n    " + lines[i];
        if (lines.size() > MaxListedLines)
            text += "\r\n    and " + std::to_string(lines.size() - MaxListedLines) + " more";
    };
    std::string text;
    if (undone.empty()) {
        text = "Nothing was undone.";
    } else {
        text = move ? "Moved back where they came from:" : "Sent to the Recycle Bin:";
        list(text, undone);
    }
    if (!left.empty()) {
        text += "\r\n\r\nLeft as they are:";
        list(text, left);
    }
    return text;
}
