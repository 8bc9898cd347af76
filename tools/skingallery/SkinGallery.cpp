// skingallery: one window with every kind of control the skin engine draws, for skin authors.
//   skingallery              the built-in skins (Page Up / Page Down or the list step through them)
//   skingallery file.skn     a packed skin made by `perchskin pack`
//   skingallery --skin N --still
//                            built-in skin N, the progress bar standing still (for pictures)
//   skingallery --size WxH   the window W by H pixels, at the screen's top left

#include "Application.h"
#include "GalleryForm.h"
#include "WinSkinDlg.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        std::string skinFile;
        int skin = 0;
        bool still = false;
        int width = 0, height = 0;
        for (int i = 1; i < __argc; ++i) {
            const std::string arg = __argv[i];
            if (arg == "--skin" && i + 1 < __argc)
                skin = std::atoi(__argv[++i]);
            else if (arg == "--still")
                still = true;
            else if (arg == "--size" && i + 1 < __argc)
                std::sscanf(__argv[++i], "%dx%d", &width, &height);
            else
                skinFile = arg;
        }
        TApplication application;
        application.SetTitle("Skin gallery");
        TGalleryForm* form = application.CreateForm<TGalleryForm>(skinFile);
        if (skinFile.empty() && skin != 0)
            form->ShowSkin(skin);
        if (still)
            form->StopMoving();
        if (width > 0 && height > 0)
            form->SetBounds(0, 0, width, height);
        application.Run();
        FreeSkinManager();
    } catch (const std::exception& error) {
        MessageBoxA(nullptr, error.what(), "Skin gallery", MB_OK | MB_ICONSTOP);
        return 1;
    }
    return 0;
}
