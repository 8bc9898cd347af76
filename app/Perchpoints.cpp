// The program: the application object, its one window, the message loop.

#include "Application.h"
#include "Main.h"
#include "WinSkinDlg.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        TApplication application;
        application.SetTitle("Perchpoints");
        application.CreateForm<TForm1>();
        application.Run();
        // Every window gets its own procedures back before the windows go.
        FreeSkinManager();
    } catch (const std::exception& error) {
        MessageBoxA(nullptr, error.what(), "Perchpoints", MB_OK | MB_ICONSTOP);
        return 1;
    }
    return 0;
}
