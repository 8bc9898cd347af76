#include "SystemFunction.h"

#include "SysUtils.h"

#include <string>

HMODULE LoadSystemLibrary(const char* library) {
    // From the system folder only, never from the program's folder or the current one. Every
    // load counts, so the module stays for the life of the process whatever else loads and
    // frees it.
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        RaiseLastOSError(std::string("Cannot load ") + library);
    const std::string path = IncludeTrailingBackslash(std::string(folder, length)) + library;
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module)
        RaiseLastOSError("Cannot load " + path);
    return module;
}

void* FindSystemFunction(const char* library, const char* name) noexcept {
    try {
        return reinterpret_cast<void*>(GetProcAddress(LoadSystemLibrary(library), name));
    } catch (...) {
        // The caller goes on without it; the reason is traced.
        TraceSwallowed(name);
        return nullptr;
    }
}

void* GetSystemFunction(const char* library, const char* name) {
    void* function = reinterpret_cast<void*>(GetProcAddress(LoadSystemLibrary(library), name));
    if (!function)
        throw Exception(std::string("Cannot find ") + name + " in " + library);
    return function;
}
