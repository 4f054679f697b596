#include "win32/desktop/slideshowbuttons.h"

#include <algorithm>
#include <commctrl.h>
#include <windowsx.h>

#include "clock/closingkeys.h"
#include "core/windowlayout.h"

namespace zelvano {

namespace {

    // Posted to a talk button once a refused activation has been handled.
    constexpr UINT activatableAgain = WM_APP + 1;

    bool isTalkButton(ControlId id)
    {
        return std::find(talkButtonIds.begin(), talkButtonIds.end(), id) != talkButtonIds.end();
    }

    bool inside(HWND button, LPARAM clientPoint)
    {
        RECT area {};
        GetClientRect(button, &area);
        return PtInRect(&area, POINT { GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint) });
    }

} // namespace

void SlideShowButtons::attach(HWND dialog, const TimerState& state)
{
    m_dialog = dialog;
    m_state = &state;
    for (const ControlTemplate& control : mainWindowTemplate.controls) {
        if (control.kind == ControlKind::PushButton || control.kind == ControlKind::DefaultButton)
            SetWindowSubclass(GetDlgItem(dialog, static_cast<int>(control.id)), buttonProc,
                isTalkButton(control.id) ? 1 : 0, reinterpret_cast<DWORD_PTR>(this));
    }
}

// Asked when a click lands on the inactive window, and by Wine's X11 driver with a made-up
// hit-test code whenever the window manager offers the window the focus: so the answer goes by
// what is under the pointer, not by the message.
LRESULT SlideShowButtons::mouseActivation() const
{
    const HWND button = talkButtonUnderCursor();
    if (!button)
        return MA_ACTIVATE;
    // Refused, Wine's driver gives the focus to the window of this program that had it last,
    // which may well be this one: until the refusal has been handled, it cannot be activated.
    setActivatable(false);
    PostMessageW(button, activatableAgain, 0, 0);
    return MA_NOACTIVATE;
}

HWND SlideShowButtons::talkButtonUnderCursor() const
{
    POINT cursor {};
    if (!GetCursorPos(&cursor))
        return nullptr;
    for (const ControlId id : talkButtonIds) {
        const HWND button = GetDlgItem(m_dialog, static_cast<int>(id));
        RECT area {};
        if (IsWindowVisible(button) && IsWindowEnabled(button) && GetWindowRect(button, &area)
            && PtInRect(&area, cursor))
            return button;
    }
    return nullptr;
}

void SlideShowButtons::setActivatable(bool activatable) const
{
    const LONG_PTR style = GetWindowLongPtrW(m_dialog, GWL_EXSTYLE);
    SetWindowLongPtrW(
        m_dialog, GWL_EXSTYLE, activatable ? style & ~WS_EX_NOACTIVATE : style | WS_EX_NOACTIVATE);
}

LRESULT CALLBACK SlideShowButtons::buttonProc(
    HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self)
{
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(button, buttonProc, id);
    return reinterpret_cast<SlideShowButtons*>(self)->handle(
        button, message, wParam, lParam, id != 0);
}

LRESULT SlideShowButtons::handle(
    HWND button, UINT message, WPARAM wParam, LPARAM lParam, bool quiet)
{
    switch (message) {
    case activatableAgain:
        setActivatable(true);
        return 0;
    case WM_GETDLGCODE: {
        // A key the focused button takes goes to it, which ignores it, instead of to the dialog,
        // which would press the button whose mnemonic a character is, or with Enter the focused
        // or the default button.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        const LRESULT code = DefSubclassProc(button, message, wParam, lParam);
        const bool clickerKey = key
            && (key->message == WM_CHAR
                || (key->message == WM_KEYDOWN && key->wParam == VK_RETURN));
        return clickerKey && talkAtStake(*m_state) ? code | DLGC_WANTMESSAGE : code;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The button's own handling takes the focus, which brings its window to the foreground;
        // this one only looks pressed and holds the mouse.
        if (!quiet || GetForegroundWindow() == m_dialog)
            break;
        m_pressed = button;
        SetCapture(button);
        SendMessageW(button, BM_SETSTATE, TRUE, 0);
        return 0;
    case WM_MOUSEMOVE:
        if (button != m_pressed)
            break;
        SendMessageW(button, BM_SETSTATE, inside(button, lParam), 0);
        return 0;
    case WM_LBUTTONUP:
        if (button != m_pressed)
            break;
        release(button, inside(button, lParam));
        return 0;
    case WM_CAPTURECHANGED:
        if (button == m_pressed)
            release(button, false);
        break;
    default:
        break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

// A release over the button is a click, told to the dialog as the button itself would.
void SlideShowButtons::release(HWND button, bool click)
{
    m_pressed = nullptr;
    if (GetCapture() == button)
        ReleaseCapture();
    SendMessageW(button, BM_SETSTATE, FALSE, 0);
    if (click)
        SendMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
            reinterpret_cast<LPARAM>(button));
}

} // namespace zelvano
