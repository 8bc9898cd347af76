#pragma once
// The two name lists of a shell copy or move request, and the texts of the shell's own failure
// codes. Plain functions, so that they run natively too.

#include <string>
#include <vector>

struct TTransferLists {
    // Each name followed by one NUL, the list closed by one more NUL.
    std::wstring From;
    std::wstring To;
    // To names one destination per source (the shell's "multiple destination files" request).
    bool OneDestinationEach = false;
};

// The sources' names in order and the destination folder (ending in a backslash, or not).
// With oneDestinationEach and more than one source, To lists the folder + "\" + the source's
// own name for every source in the same order, so that the shell moves each to that very name;
// otherwise To is the folder alone. A source whose name cannot be told (a drive root) keeps the
// request at the folder alone.
TTransferLists MakeTransferLists(const std::vector<std::wstring>& sources, const std::wstring& folder,
                                 bool oneDestinationEach);

// The last name of a path ("C:\a\b.txt" and "C:\a\b.txt\" give "b.txt"); empty for a root.
std::wstring LastPathName(const std::wstring& path);

// The shell answers some failures with codes of its own (0x71 to 0x88, 0xB7, 0x402, 0x10000)
// that are not the system's error codes, whose system texts would say something unrelated.
// Their meaning in words, or empty for any other code.
std::string ShellOwnErrorText(unsigned code);
