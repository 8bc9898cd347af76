// The program: the application object, its one window, the message loop.

#include "Application.h"
#include "Main.h"
#include "SingleStart.h"
#include "SysUtils.h"
#include "WinSkinDlg.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        // Before anything reads the files: a second start from this folder hands over to the first.
        TSingleStart single(ExeFileName());
        if (!single.First()) {
            if (single.BringRunningToFront())
                return 0;
            // The other start is still busy before its window (a question of its own is open).
            if (!single.First()) {
                MessageBoxA(nullptr, "Perchpoints is already starting from this folder.", "Perchpoints",
                            MB_OK | MB_ICONINFORMATION);
                return 0;
            }
        }
        TApplication application;
        application.SetTitle("Perchpoints");
        application.CreateForm<TForm1>();
        single.Publish();
        application.Run();
        // Every window gets its own procedures back before the windows go.
        FreeSkinManager();
    } catch (const std::exception& error) {
        MessageBoxA(nullptr, error.what(), "Perchpoints", MB_OK | MB_ICONSTOP);
        return 1;
    }
    return 0;
}
