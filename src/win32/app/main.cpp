#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "platform/soundplayer.h"
#include "platform/systemlibrary_win32.h"
#include "win32/app/win32platformservices.h"
#include "win32/window/timerdialog.h"

// Command-line arguments are not looked at. A failing file open comes back to the program as a
// failure, never as a system box asking the user to insert a disk.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // First, before anything can load a library: none from the program's or the working folder.
    zelvano::restrictLibrarySearch();
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The save dialog shows the shell's folders, which want a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const INITCOMMONCONTROLSEX controls { sizeof controls, ICC_STANDARD_CLASSES };
    InitCommonControlsEx(&controls);

    {
        zelvano::SoundPlayer player;
        // The bell decoded ahead, so that the first ring is as quick as any other.
        player.start();
        zelvano::Win32PlatformServices platform(player);
        zelvano::TimerDialog dialog(platform, instance);
        dialog.run();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}
