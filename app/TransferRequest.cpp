#include "TransferRequest.h"

namespace {
void Append(std::wstring& list, const std::wstring& name) {
    list += name;
    list.push_back(L'\0');
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}
} // namespace

std::wstring LastPathName(const std::wstring& path) {
    size_t end = path.size();
    while (end > 0 && IsSeparator(path[end - 1]))
        --end;
    size_t start = end;
    while (start > 0 && !IsSeparator(path[start - 1]) && path[start - 1] != L':')
        --start;
    return path.substr(start, end - start);
}

TTransferLists MakeTransferLists(const std::vector<std::wstring>& sources, const std::wstring& folder,
                                 bool oneDestinationEach) {
    TTransferLists lists;
    for (const std::wstring& source : sources)
        Append(lists.From, source);
    lists.From.push_back(L'\0');

    std::wstring base = folder;
    while (!base.empty() && IsSeparator(base.back()))
        base.pop_back();
    base.push_back(L'\\');
    bool each = oneDestinationEach && sources.size() > 1;
    if (each) {
        for (const std::wstring& source : sources) {
            std::wstring name = LastPathName(source);
            if (name.empty()) {
                each = false;
                break;
            }
            Append(lists.To, base + name);
        }
    }
    if (!each) {
        lists.To.clear();
        Append(lists.To, folder);
    }
    lists.To.push_back(L'\0');
    lists.OneDestinationEach = each;
    return lists;
}

std::string ShellOwnErrorText(unsigned code) {
    switch (code) {
    case 0x71:
        return "The source and destination files are the same file.";
    case 0x72:
        return "Several source files were given with one destination file.";
    case 0x73:
        return "Rename was asked for files in different folders.";
    case 0x74:
        return "The source is a root folder, which cannot be moved or renamed.";
    case 0x75:
        return "The operation was cancelled.";
    case 0x76:
        return "The destination is a subfolder of the source.";
    case 0x78:
        return "Access to the source was denied.";
    case 0x79:
        return "A path is too long.";
    case 0x7A:
        return "Several destination files were given for one source.";
    case 0x7C:
        return "A path in the source or the destination is not valid.";
    case 0x7D:
        return "The source and destination are in the same folder.";
    case 0x7E:
        return "The destination is a file, but a folder was expected.";
    case 0x80:
        return "The destination is a folder, but a file was expected.";
    case 0x81:
        return "A name would become longer than a path may be.";
    case 0x82:
        return "The destination is a read-only CD-ROM.";
    case 0x83:
        return "The destination is a read-only DVD.";
    case 0x84:
        return "The destination is a writable CD-ROM, possibly unformatted.";
    case 0x85:
        return "The file is too large for the destination medium or file system.";
    case 0x86:
        return "The source is a read-only CD-ROM.";
    case 0x87:
        return "The source is a read-only DVD.";
    case 0x88:
        return "The source is a writable CD-ROM, possibly unformatted.";
    case 0xB7:
        return "The path is too long.";
    case 0x402:
        return "An unknown error occurred.";
    case 0x10000:
        return "An unspecified error occurred on the destination.";
    default:
        return {};
    }
}
