#pragma once
// Paths handed over from the build on Linux (the build tree, the command line) name files the
// Unix way; under Wine the program sees them under a drive letter.

#include <windows.h>

#include <string>

inline std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/')
        return path;
    using TToDos = WCHAR*(CDECL*)(const char*);
    auto toDos = reinterpret_cast<TToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    WCHAR* dos = toDos ? toDos(path.c_str()) : nullptr;
    if (!dos)
        return path;
    char ansi[MAX_PATH * 4] = {};
    WideCharToMultiByte(CP_ACP, 0, dos, -1, ansi, sizeof ansi, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, dos);
    return ansi;
}
