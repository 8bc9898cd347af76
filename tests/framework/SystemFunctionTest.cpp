// Functions of system DLLs bound at their first call, and the program's load-time imports: the
// DLLs the program binds at load are all started before its first window can be painted.

#include "SystemFunction.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {
const TSystemFunction<decltype(&::PathFindExtensionA)> findExtension{"shlwapi.dll", "PathFindExtensionA"};
const TSystemFunction<decltype(&::PathFindExtensionA)> missingFunction{"shlwapi.dll",
                                                                       "NoSuchFunctionAnywhere"};
const TSystemFunction<decltype(&::PathFindExtensionA)> missingLibrary{"no-such-library-pp.dll",
                                                                      "PathFindExtensionA"};

std::string ThrownText(const TSystemFunction<decltype(&::PathFindExtensionA)>& function) {
    try {
        function("a.txt");
    } catch (const Exception& error) {
        return error.what();
    }
    return "(nothing thrown)";
}

// A path from the build tree: a cross build names it the Unix way, which Wine shows under a drive.
std::string WindowsPath(const std::string& path) {
    using TToDos = WCHAR*(CDECL*)(const char*);
    auto toDos = reinterpret_cast<TToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    WCHAR* dos = path.empty() || path[0] != '/' || !toDos ? nullptr : toDos(path.c_str());
    if (!dos)
        return path;
    char ansi[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, dos, -1, ansi, sizeof ansi, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, dos);
    return ansi;
}

// The names of the DLLs an executable binds at load, lower case, from its import directory.
std::set<std::string> LoadTimeImports(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw Exception("Cannot open file " + fileName);
    const std::vector<char> image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    auto at = [&](size_t offset, size_t size) -> const char* {
        if (offset > image.size() || size > image.size() - offset)
            throw Exception("truncated image " + fileName);
        return image.data() + offset;
    };
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, at(0, sizeof dos), sizeof dos);
    IMAGE_NT_HEADERS64 nt;
    std::memcpy(&nt, at(static_cast<size_t>(dos.e_lfanew), sizeof nt), sizeof nt);
    const size_t sections = static_cast<size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                            nt.FileHeader.SizeOfOptionalHeader;
    auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section;
            std::memcpy(&section, at(sections + i * sizeof section, sizeof section), sizeof section);
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        throw Exception("address outside the sections of " + fileName);
    };
    std::set<std::string> names;
    const DWORD imports = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (size_t entry = fileOffset(imports);; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        IMAGE_IMPORT_DESCRIPTOR descriptor;
        std::memcpy(&descriptor, at(entry, sizeof descriptor), sizeof descriptor);
        if (descriptor.Name == 0)
            break;
        std::string name = at(fileOffset(descriptor.Name), 1);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        names.insert(name);
    }
    return names;
}
} // namespace

TEST(SystemFunction, BindsAtTheFirstCallAndCallsTheSystemsFunction) {
    const char* path = "folder\\name.txt";
    EXPECT_EQ(findExtension(path), path + 11);
    EXPECT_EQ(findExtension.Find(), findExtension.Get());
    EXPECT_NE(GetModuleHandleA("shlwapi.dll"), nullptr);
}

TEST(SystemFunction, AMissingFunctionOrLibraryIsReportedByNameOrAnsweredWithNothing) {
    EXPECT_EQ(missingFunction.Find(), nullptr);
    EXPECT_EQ(ThrownText(missingFunction), "Cannot find NoSuchFunctionAnywhere in shlwapi.dll");
    EXPECT_EQ(missingLibrary.Find(), nullptr);
    const std::string text = ThrownText(missingLibrary);
    EXPECT_EQ(text.rfind("Cannot load ", 0), 0u) << text;
    EXPECT_NE(text.find("no-such-library-pp.dll"), std::string::npos) << text;
    // Asked again, it is still missing, not a stale address.
    EXPECT_EQ(missingFunction.Find(), nullptr);
}

TEST(SystemFunction, TheProgramBindsOnlyTheCoreDllsAtLoad) {
    // The shell, COM, the common controls, the network and msimg32 are bound at first use.
    const std::set<std::string> expected{"gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"};
    EXPECT_EQ(LoadTimeImports(WindowsPath(PP_PERCHPOINTS_EXE)), expected);
}
