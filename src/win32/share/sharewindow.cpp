#include "win32/share/sharewindow.h"

#include <algorithm>
#include <array>

#include "core/formatstring.h"
#include "core/texts.h"
#include "platform/widestring_win32.h"
#include "win32/desktop/screendpi.h"
#include "win32/desktop/windowowner.h"

namespace zelvano {

namespace {

    constexpr const wchar_t* className = L"ZelvanoShareWindow";

    // The window's layout in pixels at 96 DPI, in proportion at any other: the QR code above, a
    // square about 7.5 cm wide on a common laptop screen, which a phone's camera reads from half
    // a metre; the controls beneath, as wide as the code.
    constexpr int margin = 12;
    constexpr int width = 300;
    constexpr int qrTop = margin;
    constexpr int clientWidth = width + 2 * margin;
    constexpr int clientHeight = 530;

    struct ControlPlace
    {
        ShareControlId id;
        const wchar_t* kind;
        DWORD style;
        int y;
        int height;
    };
    constexpr std::array<ControlPlace, 7> places { {
        { ShareControlId::Hint, L"STATIC", SS_CENTER, 318, 34 },
        { ShareControlId::AddressLabel, L"STATIC", SS_LEFT, 358, 18 },
        { ShareControlId::Address, L"EDIT", WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL,
            376, 24 },
        { ShareControlId::NetworkLabel, L"STATIC", SS_LEFT, 408, 18 },
        { ShareControlId::Network, L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 426,
            200 },
        { ShareControlId::Devices, L"STATIC", SS_LEFT, 460, 18 },
        { ShareControlId::Stop, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 488, 30 },
    } };

    // The one window of this kind: the message filter, which the system calls without any
    // context, finds it here.
    ShareWindow* filteredWindow = nullptr;

    // Where a window of the size given goes beside the main window: on its right, or on its left
    // where the screen has no room on the right, and wholly on the screen in any case.
    POINT besideOwner(HWND owner, LONG frameWidth, LONG frameHeight)
    {
        RECT frame {};
        GetWindowRect(owner, &frame);
        MONITORINFO screen {};
        screen.cbSize = sizeof screen;
        GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &screen);
        const RECT& work = screen.rcWork;
        const LONG x
            = frame.right + frameWidth <= work.right ? frame.right : frame.left - frameWidth;
        return { std::clamp(x, work.left, std::max(work.left, work.right - frameWidth)),
            std::clamp(frame.top, work.top, std::max(work.top, work.bottom - frameHeight)) };
    }

} // namespace

ShareWindow::ShareWindow(HINSTANCE instance, std::function<void()> onStop,
    std::function<void(std::size_t)> onNetworkChosen)
    : m_instance(instance)
    , m_onStop(std::move(onStop))
    , m_onNetworkChosen(std::move(onNetworkChosen))
{
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
}

ShareWindow::~ShareWindow() { close(); }

int ShareWindow::scaled(int pixelsAt96) const
{
    return MulDiv(pixelsAt96, static_cast<int>(m_dpi), USER_DEFAULT_SCREEN_DPI);
}

RECT ShareWindow::qrRect() const
{
    return { scaled(margin), scaled(qrTop), scaled(margin + width), scaled(qrTop + width) };
}

void ShareWindow::open(HWND owner)
{
    if (m_window) {
        ShowWindow(m_window, SW_SHOWNORMAL);
        SetForegroundWindow(m_window);
        return;
    }
    m_dpi = windowDpi(owner);
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame { 0, 0, scaled(clientWidth), scaled(clientHeight) };
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const LONG frameWidth = frame.right - frame.left;
    const LONG frameHeight = frame.bottom - frame.top;
    const POINT place = besideOwner(owner, frameWidth, frameHeight);
    CreateWindowExW(0, className, widen(texts::shareWindowCaption).c_str(), style, place.x, place.y,
        frameWidth, frameHeight, owner, nullptr, m_instance, this);
    if (!m_window)
        return;
    createControls();
    filteredWindow = this;
    m_filter = SetWindowsHookExW(WH_MSGFILTER, messageFilter, nullptr, GetCurrentThreadId());
    ShowWindow(m_window, SW_SHOWNORMAL);
    UpdateWindow(m_window);
}

void ShareWindow::close()
{
    if (m_window)
        DestroyWindow(m_window);
}

void ShareWindow::createControls()
{
    const std::array<std::string, 7> texts { texts::shareScanHint, texts::shareAddressLabel, "",
        texts::shareNetworkLabel, "", "", texts::shareStopButton };
    for (std::size_t i = 0; i < places.size(); ++i)
        CreateWindowExW(0, places[i].kind, widen(texts[i]).c_str(),
            WS_CHILD | WS_VISIBLE | places[i].style, 0, 0, 0, 0, m_window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(places[i].id)), m_instance, nullptr);
    layOut();
    SetFocus(control(ShareControlId::Address));
}

// The controls and their font at the window's DPI, when it opens and when it moves to a screen of
// another scale.
void ShareWindow::layOut()
{
    NONCLIENTMETRICSW metrics {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    const HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    metrics.lfMessageFont.lfHeight
        = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(m_dpi), systemDpi);
    const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    for (const ControlPlace& place : places) {
        const bool button = place.id == ShareControlId::Stop;
        const int x = button ? margin + width - 140 : margin;
        const int w = button ? 140 : width;
        const HWND made = control(place.id);
        MoveWindow(made, scaled(x), scaled(place.y), scaled(w), scaled(place.height), FALSE);
        SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (m_font)
        DeleteObject(m_font);
    m_font = font;
    InvalidateRect(m_window, nullptr, TRUE);
}

void ShareWindow::showAddress(
    const std::vector<NetworkAddress>& addresses, std::size_t chosen, const std::string& url)
{
    m_qr.setText(url);
    if (!m_window)
        return;
    SetWindowTextW(control(ShareControlId::Address), widen(url).c_str());
    const HWND networks = control(ShareControlId::Network);
    SendMessageW(networks, CB_RESETCONTENT, 0, 0);
    for (const NetworkAddress& address : addresses)
        SendMessageW(networks, CB_ADDSTRING, 0,
            reinterpret_cast<LPARAM>(widen(address.adapter + "  " + address.address).c_str()));
    SendMessageW(networks, CB_SETCURSEL, chosen, 0);
    const RECT qr = qrRect();
    InvalidateRect(m_window, &qr, FALSE);
}

void ShareWindow::showDeviceCount(int count)
{
    if (m_window)
        SetWindowTextW(control(ShareControlId::Devices),
            widen(formatString(texts::shareDevicesFormat, count)).c_str());
}

HWND ShareWindow::control(ShareControlId id) const
{
    return GetDlgItem(m_window, static_cast<int>(id));
}

// The main window's dialog loop hands every message to the filter before it looks at it: those for
// this window get a dialog's keys (Tab between the controls, Escape closes it).
LRESULT CALLBACK ShareWindow::messageFilter(int code, WPARAM wParam, LPARAM lParam)
{
    static bool inside = false; // IsDialogMessage calls the filter again
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code >= 0 && !inside && filteredWindow && filteredWindow->m_window
        && (message->hwnd == filteredWindow->m_window
            || IsChild(filteredWindow->m_window, message->hwnd))) {
        inside = true;
        const BOOL handled = IsDialogMessageW(filteredWindow->m_window, message);
        inside = false;
        if (handled)
            return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK ShareWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* view = windowOwner(window, message, lParam, &ShareWindow::m_window);
    return view ? view->handle(message, wParam, lParam)
                : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT ShareWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint {};
        const HDC dc = BeginPaint(m_window, &paint);
        m_qr.paint(dc, qrRect());
        EndPaint(m_window, &paint);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            close();
            return 0;
        }
        if (LOWORD(wParam) == static_cast<int>(ShareControlId::Stop)
            && HIWORD(wParam) == BN_CLICKED) {
            m_onStop();
            return 0;
        }
        if (LOWORD(wParam) == static_cast<int>(ShareControlId::Network)
            && HIWORD(wParam) == CBN_SELCHANGE) {
            const LRESULT chosen = SendMessageW(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0);
            if (chosen != CB_ERR)
                m_onNetworkChosen(static_cast<std::size_t>(chosen));
            return 0;
        }
        break;
    case WM_DPICHANGED: {
        m_dpi = HIWORD(wParam);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top,
            suggested->right - suggested->left, suggested->bottom - suggested->top,
            SWP_NOZORDER | SWP_NOACTIVATE);
        layOut();
        return 0;
    }
    case WM_DESTROY:
        if (m_filter)
            UnhookWindowsHookEx(m_filter);
        m_filter = nullptr;
        filteredWindow = nullptr;
        break;
    case WM_NCDESTROY: {
        const HWND window = m_window;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        m_window = nullptr;
        if (m_font)
            DeleteObject(m_font);
        m_font = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace zelvano
