// Proves that real windows can be created and driven in the test environment (Wine on a virtual
// display); a failure here means the UI tests cannot be trusted, not that the program is broken.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

int destroyCount = 0;

LRESULT CALLBACK SmokeWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        ++destroyCount;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

void PumpFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

} // namespace

TEST(UiSmoke, CreatesShowsAndDestroysATopLevelWindow) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = SmokeWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PPSmokeWindow";
    ASSERT_NE(RegisterClassExA(&wc), 0);

    HWND wnd = CreateWindowExA(0, "PPSmokeWindow", "Perchpoints smoke", WS_OVERLAPPEDWINDOW, 40, 40, 300, 200,
                               nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(wnd, nullptr) << "CreateWindowEx failed: " << GetLastError();
    ShowWindow(wnd, SW_SHOWNORMAL);
    UpdateWindow(wnd);
    PumpFor(200);

    EXPECT_TRUE(IsWindow(wnd));
    EXPECT_TRUE(IsWindowVisible(wnd));
    char title[64]{};
    GetWindowTextA(wnd, title, sizeof(title));
    EXPECT_EQ(std::string(title), "Perchpoints smoke");
    RECT client{};
    ASSERT_TRUE(GetClientRect(wnd, &client));
    EXPECT_GT(client.right, 0);
    EXPECT_GT(client.bottom, 0);

    EXPECT_TRUE(DestroyWindow(wnd));
    PumpFor(50);
    EXPECT_EQ(destroyCount, 1);
    EXPECT_FALSE(IsWindow(wnd));
    UnregisterClassA("PPSmokeWindow", wc.hInstance);
}
