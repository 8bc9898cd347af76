#include "AtomicFile.h"

#include "Handles.h"
#include "SysUtils.h"

#include <windows.h>

namespace {
TReplaceFault replaceFault = nullptr;

DWORD FaultAfter(TReplaceStep step) {
    return replaceFault ? replaceFault(step) : 0;
}
} // namespace

void SetReplaceFault(TReplaceFault fault) {
    replaceFault = fault;
}

void WriteFileReplacing(const std::string& fileName, const void* data, size_t size) {
    // Windows refuses to overwrite a read-only or hidden file, but not every file system does
    // (Wine run by root writes straight through); the user's "do not change" holds either way.
    // A link replaced by the new file would leave the file it points to as it was, unsaid.
    DWORD attributes = GetFileAttributesA(fileName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_REPARSE_POINT)))
        throw EFCreateError(fileName, SysErrorMessage(ERROR_ACCESS_DENIED));
    std::string folder = ExtractFilePath(fileName);
    if (folder.empty())
        folder = ".";
    char tempName[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(folder.c_str(), "~pp", 0, tempName))
        throw EFCreateError(fileName, LastErrorMessage());

    TOwnedHandle file;
    auto fail = [&](DWORD error) {
        file.Reset(); // a file still open cannot be deleted
        DeleteFileA(tempName);
        throw EFCreateError(fileName, SysErrorMessage(error));
    };
    {
        file.Reset(
            CreateFileA(tempName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            fail(GetLastError());
        if (DWORD error = FaultAfter(TReplaceStep::CreateTemp))
            fail(error);
        const auto* bytes = static_cast<const char*>(data);
        size_t written = 0;
        while (written < size) {
            DWORD chunk = static_cast<DWORD>(size - written > (1u << 30) ? (1u << 30) : size - written);
            DWORD done = 0;
            if (!WriteFile(file.Get(), bytes + written, chunk, &done, nullptr) || done == 0)
                fail(GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
            if (DWORD error = FaultAfter(TReplaceStep::Write))
                fail(error);
            written += done;
        }
        if (!FlushFileBuffers(file.Get()))
            fail(GetLastError());
        if (DWORD error = FaultAfter(TReplaceStep::Flush))
            fail(error);
        file.Reset();
    }
    if (DWORD error = FaultAfter(TReplaceStep::Replace))
        fail(error);
    if (!MoveFileExA(tempName, fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail(GetLastError());
}
