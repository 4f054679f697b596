#include "win32/app/aboutbox.h"

#include <algorithm>

#include "core/windowlayout.h"
#include "win32/window/dialogtemplate.h"

namespace zelvano {

namespace {

    void centreOverOwner(HWND box)
    {
        const HWND owner = GetWindow(box, GW_OWNER);
        RECT ownerFrame {};
        RECT frame {};
        if (!owner || !GetWindowRect(owner, &ownerFrame) || !GetWindowRect(box, &frame))
            return;
        MONITORINFO monitor { sizeof monitor, {}, {}, 0 };
        GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& area = monitor.rcWork;
        const LONG width = frame.right - frame.left;
        const LONG height = frame.bottom - frame.top;
        const LONG x = (ownerFrame.left + ownerFrame.right - width) / 2;
        const LONG y = (ownerFrame.top + ownerFrame.bottom - height) / 2;
        SetWindowPos(box, nullptr,
            std::clamp(x, area.left, std::max(area.left, area.right - width)),
            std::clamp(y, area.top, std::max(area.top, area.bottom - height)), 0, 0,
            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    INT_PTR CALLBACK aboutProc(HWND box, UINT message, WPARAM wParam, LPARAM)
    {
        switch (message) {
        case WM_INITDIALOG:
            centreOverOwner(box);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(box, LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
        }
        return FALSE;
    }

} // namespace

void runAboutBox(HINSTANCE instance, HWND owner)
{
    const Win32DialogTemplate dialog(
        aboutBoxTemplate, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0);
    DialogBoxIndirectParamW(instance, dialog.get(), owner, aboutProc, 0);
}

} // namespace zelvano
