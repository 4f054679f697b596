// The program's main window written the plain way, the floor the Windows program is measured
// against: the dialog from the shared description through the program's own template, with its
// icon and display font, and no timer logic, sound thread or speaker's view behind it. With
// ZELVANO_PLAIN_WINDOW_TICKING a plain one-second SetTimer sets the display's text.
#include <windows.h>
#include <commctrl.h>
#include <tuple>

#include "core/formatstring.h"
#include "core/texts.h"
#include "core/windowlayout.h"
#include "platform/widestring_win32.h"
#include "win32/window/dialogtemplate.h"

namespace {

using zelvano::ControlId;

constexpr UINT_PTR tickTimer = 1;

HWND display(HWND dialog) { return GetDlgItem(dialog, static_cast<int>(ControlId::TimeDisplay)); }

void showElapsed(HWND dialog, int seconds)
{
    const std::string text
        = zelvano::formatString(zelvano::texts::displayFormat, seconds / 60, seconds % 60);
    SetWindowTextW(display(dialog), zelvano::widen(text).c_str());
}

HFONT displayFont()
{
    return CreateFontW(zelvano::displayCellHeightPx, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
        SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
        DEFAULT_PITCH | FF_DONTCARE, nullptr);
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    static int seconds = 0;
    switch (message) {
    case WM_INITDIALOG: {
        const auto instance = reinterpret_cast<HINSTANCE>(lParam);
        for (const auto& [size, width, height] : { std::tuple { ICON_BIG, SM_CXICON, SM_CYICON },
                 std::tuple { ICON_SMALL, SM_CXSMICON, SM_CYSMICON } }) {
            const HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(zelvano::iconResourceId),
                IMAGE_ICON, GetSystemMetrics(width), GetSystemMetrics(height), LR_SHARED);
            SendMessageW(dialog, WM_SETICON, static_cast<WPARAM>(size),
                reinterpret_cast<LPARAM>(icon));
        }
        SendMessageW(display(dialog), WM_SETFONT, reinterpret_cast<WPARAM>(displayFont()), FALSE);
        showElapsed(dialog, 0);
#ifdef ZELVANO_PLAIN_WINDOW_TICKING
        SetTimer(dialog, tickTimer, 1000, nullptr);
#endif
        return TRUE;
    }
    case WM_TIMER:
        showElapsed(dialog, ++seconds);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    const INITCOMMONCONTROLSEX controls { sizeof controls, ICC_STANDARD_CLASSES };
    InitCommonControlsEx(&controls);
    const zelvano::Win32DialogTemplate dialog(zelvano::mainWindowTemplate,
        WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
        WS_EX_APPWINDOW);
    DialogBoxIndirectParamW(
        instance, dialog.get(), nullptr, dialogProc, reinterpret_cast<LPARAM>(instance));
    return 0;
}
