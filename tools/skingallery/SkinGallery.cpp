// skingallery: one window with every kind of control the skin engine draws, for skin authors.
// The command line is told by GalleryUsage (skingallery --help).

#include "Application.h"
#include "GalleryArguments.h"
#include "GalleryForm.h"
#include "GalleryMDIForm.h"
#include "Handles.h"
#include "WinSkinDlg.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {
// The gallery has no console of its own: a text goes where its output was sent, else to the
// console it was started from, else into a message box.
void Tell(DWORD stream, const std::string& text, UINT icon) {
    HANDLE out = GetStdHandle(stream);
    TOwnedHandle console;
    if ((!out || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE opened = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (opened != INVALID_HANDLE_VALUE)
            console.Reset(opened);
        out = console.Get();
    }
    DWORD written = 0;
    if (out && out != INVALID_HANDLE_VALUE &&
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return;
    MessageBoxA(nullptr, text.c_str(), "Skin gallery", MB_OK | icon);
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        const TGalleryArguments arguments =
            ParseGalleryArguments(std::vector<std::string>(__argv + (__argc > 0 ? 1 : 0), __argv + __argc));
        if (!arguments.Error.empty()) {
            Tell(STD_ERROR_HANDLE, "skingallery: " + arguments.Error + "\n" + GalleryUsage, MB_ICONSTOP);
            return 2;
        }
        if (arguments.Help) {
            Tell(STD_OUTPUT_HANDLE, GalleryUsage, MB_ICONINFORMATION);
            return 0;
        }
        TApplication application;
        application.SetTitle("Skin gallery");
        if (arguments.Mdi) {
            TGalleryMDIForm* frame = application.CreateForm<TGalleryMDIForm>(arguments.SkinFile);
            if (arguments.SkinFile.empty() && arguments.Skin != 0)
                frame->ShowSkin(arguments.Skin);
            if (arguments.Width > 0 && arguments.Height > 0)
                frame->SetBounds(0, 0, arguments.Width, arguments.Height);
            application.Run();
            FreeSkinManager();
            return 0;
        }
        TGalleryForm* form = application.CreateForm<TGalleryForm>(arguments.SkinFile);
        if (arguments.SkinFile.empty() && arguments.Skin != 0)
            form->ShowSkin(arguments.Skin);
        if (arguments.Still)
            form->StopMoving();
        if (arguments.Width > 0 && arguments.Height > 0)
            form->SetBounds(0, 0, arguments.Width, arguments.Height);
        application.Run();
        FreeSkinManager();
    } catch (const std::exception& error) {
        MessageBoxA(nullptr, error.what(), "Skin gallery", MB_OK | MB_ICONSTOP);
        return 1;
    }
    return 0;
}
