#pragma once
// The files on the clipboard as Explorer puts them there: the file-drop format (a list of paths
// in a drop block) and, beside it, the "Preferred DropEffect" that tells files cut from files
// copied.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TClipboardRead { Files, NoFiles, Busy };

struct TClipboardFiles {
    std::vector<std::wstring> Paths;
    // The preferred drop effect, when the clipboard holds one.
    std::optional<std::uint32_t> DropEffect;
};

// Opens the clipboard for the window, reads the file list and the drop effect in one go and
// closes it again. Another program that holds the clipboard open is waited for, trying again
// every few milliseconds for up to waitMs; then the answer is Busy. A clipboard without files
// (empty, text only, a refused drop block) is NoFiles.
TClipboardRead ReadClipboardFiles(HWND owner, TClipboardFiles& files, DWORD waitMs = 500);

// After the files read from the clipboard were all moved away, while the clipboard still offers
// exactly those files as cut: tells their source, as the shell's protocol does, through the
// clipboard's data object ("Performed DropEffect" and "Paste Succeeded", both "move"), then
// empties the clipboard, as Explorer does: a second paste must not ask for files that are gone.
// Whatever another program put there meanwhile is left alone.
void SettleMovedPaste(HWND owner, const TClipboardFiles& pasted, DWORD waitMs = 500);

// What the user is told when the clipboard stayed held.
extern const char* const ClipboardBusyText;
