// The least a Windows dialog program does: an empty modal dialog from an in-memory template, for
// the start-up benchmark under Wine to set the program beside.
#include <windows.h>
#include <array>

namespace {

INT_PTR CALLBACK endOnCommand(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // DLGTEMPLATE: style, extended style, no controls, at 0,0, 279 x 179 units, no menu, the
    // dialog class, the caption "baseline".
    alignas(4) std::array<WORD, 24> words { LOWORD(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU
                                                | DS_MODALFRAME | DS_CENTER),
        HIWORD(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER), 0, 0,
        0, 0, 0, 279, 179, 0, 0, 'b', 'a', 's', 'e', 'l', 'i', 'n', 'e', 0 };
    DialogBoxIndirectParamW(
        instance, reinterpret_cast<const DLGTEMPLATE*>(words.data()), nullptr, endOnCommand, 0);
    return 0;
}
