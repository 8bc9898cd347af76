#include "TempFolder.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace {
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}
} // namespace

TTempFolder::TTempFolder() {
    static std::atomic<unsigned> counter{0};
    char base[MAX_PATH + 1] = {};
    GetTempPathA(sizeof base, base);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = std::string(base) + "pp-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TTempFolder::~TTempFolder() {
    RemoveTree(path_);
}

void TTempFolder::Write(const std::string& name, const std::string& bytes) const {
    HANDLE file = CreateFileA(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write " + Path(name));
    DWORD done = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    if (!ok || done != bytes.size())
        throw std::runtime_error("cannot write " + Path(name));
}

std::string TTempFolder::Read(const std::string& name) const {
    HANDLE file = CreateFileA(Path(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    if (!bytes.empty())
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    bytes.resize(done);
    return bytes;
}

bool TTempFolder::Exists(const std::string& name) const {
    return GetFileAttributesA(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void TTempFolder::Remove(const std::string& name) const {
    SetFileAttributesA(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(Path(name).c_str());
}

void TTempFolder::SetReadOnly(const std::string& name, bool readOnly) const {
    SetFileAttributesA(Path(name).c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

std::vector<std::string> TTempFolder::Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string TTempFolder::MakeFolder(const std::string& name) const {
    CreateDirectoryA(Path(name).c_str(), nullptr);
    return Path(name);
}
