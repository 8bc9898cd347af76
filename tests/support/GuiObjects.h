#pragma once
// How many GDI and USER objects the process holds, for leak checks. GetGuiResources answers
// where the system keeps the counts; Wine answers 0, so there GDI objects are counted by asking
// every handle slot for its object type (Wine takes a handle's bare index), and USER objects by
// counting the thread's windows with their children and the menus of the process (Wine takes a
// USER handle's bare slot value too: even numbers from 0x20 on).

#include <windows.h>

#include <cstdlib>

inline DWORD CountThreadWindows() {
    struct TCounter {
        static BOOL CALLBACK Child(HWND, LPARAM count) {
            ++*reinterpret_cast<DWORD*>(count);
            return TRUE;
        }
        static BOOL CALLBACK Top(HWND window, LPARAM count) {
            ++*reinterpret_cast<DWORD*>(count);
            EnumChildWindows(window, &TCounter::Child, count);
            return TRUE;
        }
    };
    DWORD count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &TCounter::Top, reinterpret_cast<LPARAM>(&count));
    return count;
}

inline DWORD GdiObjectCount() {
    if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return count;
    DWORD count = 0;
    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)))
            ++count;
    return count;
}

inline DWORD CountMenus() {
    DWORD count = 0;
    for (ULONG_PTR slot = 0x20; slot < 0x10000; slot += 2)
        if (IsMenu(reinterpret_cast<HMENU>(slot)))
            ++count;
    return count;
}

inline DWORD UserObjectCount() {
    if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))
        return count;
    return CountThreadWindows() + CountMenus();
}

// How many rounds a leak check repeats its action: 100 in the ordinary run, where a leak of one
// object a round still shows far above the allowance of a few objects; the soak run (make soak)
// asks for more through the environment variable PP_SOAK_ROUNDS.
inline int LeakRounds() {
    char text[16] = {};
    const DWORD length = GetEnvironmentVariableA("PP_SOAK_ROUNDS", text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return 100;
    char* end = nullptr;
    const long rounds = std::strtol(text, &end, 10);
    return *end == '\0' && rounds > 0 && rounds <= 1000000 ? static_cast<int>(rounds) : 100;
}
