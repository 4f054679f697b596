#include <windows.h>
#include <commctrl.h>

#include "platform/soundplayer.h"
#include "win32/timerdialog.h"
#include "win32/win32platformservices.h"

// Command-line arguments are not looked at. A failing file open comes back to the program as a
// failure, never as a system box asking the user to insert a disk.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const INITCOMMONCONTROLSEX controls { sizeof controls, ICC_STANDARD_CLASSES };
    InitCommonControlsEx(&controls);

    zelvano::SoundPlayer player;
    // Opened ahead, so that the first bell is as quick as any other.
    player.start();
    zelvano::Win32PlatformServices platform(player);
    zelvano::TimerDialog dialog(platform, instance);
    dialog.run();
    return 0;
}
