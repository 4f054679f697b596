#include "win32/desktop/slideshowbuttons.h"

#include <algorithm>
#include <commctrl.h>
#include <windowsx.h>

#include "clock/closingkeys.h"
#include "clock/keyboardoffer.h"
#include "core/windowlayout.h"

namespace zelvano {

namespace {

    // Posted to a talk button once a refused activation has been handled.
    constexpr UINT activatableAgain = WM_APP + 1;
    // The timer of a talk button under an offer that awaits its click.
    constexpr UINT_PTR clickWaitTimer = 1;

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

// Asked when a click lands on the inactive window, with the hit-test code of where it lands, and
// by Wine's X11 driver with the menu's code (this window has no menu) whenever the window manager
// offers the window the keyboard: for a click, a click on the title bar, Alt+Tab or the taskbar.
LRESULT SlideShowButtons::mouseActivation(LPARAM lParam)
{
    const HWND button = talkButtonUnderCursor();
    const bool offer = LOWORD(lParam) == HTMENU;
    if (offer && GetTickCount64() - m_askedAgainAt < static_cast<ULONGLONG>(talkClickWait.count()))
        return MA_ACTIVATE;
    switch (answerKeyboardOffer(button && !offer, button != nullptr)) {
    case OfferAnswer::Take:
        return MA_ACTIVATE;
    case OfferAnswer::AwaitClick:
        m_awaiting = button;
        SetTimer(button, clickWaitTimer, static_cast<UINT>(talkClickWait.count()), nullptr);
        break;
    case OfferAnswer::Refuse:
        break;
    }
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
    case WM_TIMER:
        if (wParam != clickWaitTimer)
            break;
        // No click came: the offer was the user's asking for the window (Alt+Tab), which takes
        // it now. Wine's driver leaves the keyboard of a window that the window manager manages
        // to the window manager, which offers it again to a window shown afresh.
        KillTimer(button, clickWaitTimer);
        m_awaiting = nullptr;
        if (GetForegroundWindow() == m_dialog)
            return 0;
        m_askedAgainAt = GetTickCount64();
        ShowWindow(m_dialog, SW_HIDE);
        ShowWindow(m_dialog, SW_SHOW);
        return 0;
    case WM_GETDLGCODE: {
        // A key the focused button takes goes to it instead of to the dialog, which would press
        // the button whose mnemonic a character is, or with Enter the default button, which need
        // not be the focused one.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        const LRESULT code = DefSubclassProc(button, message, wParam, lParam);
        const bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
        const bool letter = key && key->message == WM_CHAR && talkAtStake(*m_state);
        return enter || letter ? code | DLGC_WANTMESSAGE : code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (enterPressesButton(static_cast<ControlId>(GetDlgCtrlID(button)), *m_state))
                click(button);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The button's own handling takes the focus, which brings its window to the foreground;
        // this one only looks pressed and holds the mouse.
        // The click an offer awaited has come, whether or not the window has the foreground.
        if (m_awaiting) {
            KillTimer(m_awaiting, clickWaitTimer);
            m_awaiting = nullptr;
        }
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

// A release over the button is a click.
void SlideShowButtons::release(HWND button, bool clicked)
{
    m_pressed = nullptr;
    if (GetCapture() == button)
        ReleaseCapture();
    SendMessageW(button, BM_SETSTATE, FALSE, 0);
    if (clicked)
        click(button);
}

// Told to the dialog as the button itself would.
void SlideShowButtons::click(HWND button) const
{
    SendMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
        reinterpret_cast<LPARAM>(button));
}

} // namespace zelvano
