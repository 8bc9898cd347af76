#pragma once
// Functions of system DLLs that the program calls only now and then (the shell's file service
// and folder browser, COM, image lists, network names), bound at their first call instead of
// when the program is loaded. Every DLL bound at load time is loaded and initialised before
// the first line of WinMain runs, and the shell with COM behind it is among the slowest to
// start; the first window must not wait for it.
//
//   const TSystemFunction<decltype(&::ShellExecuteA)> shellExecute {"shell32.dll", "ShellExecuteA"};
//   shellExecute(window, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
//
// The type comes from the system's own declaration, so a call is checked as a direct call is.
// The DLL is taken from the system folder only and stays loaded for the life of the process,
// as a DLL bound at load time does. A call whose DLL or function cannot be found throws an
// Exception naming both; Find() answers nullptr instead, for places that must not throw.

#include <windows.h>

#include <atomic>
#include <utility>

// The module of a system DLL, loaded from the system folder at the first request. Throws an
// Exception when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* library);
// The address of a function of a system DLL, or nullptr when the DLL or the function is missing.
void* FindSystemFunction(const char* library, const char* name) noexcept;
// The same, throwing an Exception ("Cannot find <name> in <library>") instead of nullptr.
void* GetSystemFunction(const char* library, const char* name);

template <typename TFunction> class TSystemFunction {
  public:
    constexpr TSystemFunction(const char* library, const char* name) noexcept
        : library_(library), name_(name) {}
    TSystemFunction(const TSystemFunction&) = delete;
    TSystemFunction& operator=(const TSystemFunction&) = delete;

    TFunction Get() const {
        if (TFunction function = function_.load(std::memory_order_acquire))
            return function;
        return Keep(GetSystemFunction(library_, name_));
    }
    TFunction Find() const noexcept {
        if (TFunction function = function_.load(std::memory_order_acquire))
            return function;
        void* address = FindSystemFunction(library_, name_);
        return address ? Keep(address) : nullptr;
    }
    template <typename... TArgs> decltype(auto) operator()(TArgs&&... args) const {
        return Get()(std::forward<TArgs>(args)...);
    }

  private:
    // Two threads that resolve at once find the same address; either store is right.
    TFunction Keep(void* address) const noexcept {
        auto function = reinterpret_cast<TFunction>(address);
        function_.store(function, std::memory_order_release);
        return function;
    }

    const char* library_;
    const char* name_;
    mutable std::atomic<TFunction> function_{nullptr};
};
