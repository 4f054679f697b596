#include "win32/lectern/speakerview.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "clock/lectern.h"
#include "core/speakerscreen.h"
#include "core/texts.h"
#include "platform/widestring_win32.h"
#include "win32/desktop/screendpi.h"

namespace zelvano {

namespace {

    constexpr const wchar_t* className = L"ZelvanoSpeakerView";
    // Posted to itself when the screens changed.
    constexpr UINT followScreensMessage = WM_APP + 1;
    // The client area of the window beside the main one at 96 DPI, and the gap between the two.
    constexpr SIZE besideSize { 640, 240 };
    constexpr int besideGap = 8;

    ScreenRect screenRect(const RECT& rect)
    {
        return { rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top };
    }

    BOOL CALLBACK noteScreen(HMONITOR monitor, HDC, LPRECT, LPARAM screens)
    {
        MONITORINFOEXW info {};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(monitor, &info))
            reinterpret_cast<std::vector<Screen>*>(screens)->push_back(
                { narrow(info.szDevice), screenRect(info.rcMonitor) });
        return TRUE;
    }

    // Every screen as Windows has them now, named by their devices.
    std::vector<Screen> screens()
    {
        std::vector<Screen> found;
        EnumDisplayMonitors(nullptr, nullptr, noteScreen, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    // Where the main window's frame is; a minimised window lies outside every screen.
    ScreenRect frameOf(HWND window)
    {
        RECT frame {};
        GetWindowRect(window, &frame);
        return screenRect(frame);
    }

    bool contains(const RECT& outer, const RECT& inner)
    {
        return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right
            && inner.bottom <= outer.bottom;
    }

    // Right of the main window, else left, below or above it, whichever the screen has room for
    // first; on a screen too small for all of them, over the main window's right edge.
    RECT besideMainWindow(HWND mainWindow, DWORD style)
    {
        const int dpi = static_cast<int>(windowDpi(mainWindow));
        RECT frame { 0, 0, MulDiv(besideSize.cx, dpi, 96), MulDiv(besideSize.cy, dpi, 96) };
        AdjustWindowRectEx(&frame, style, FALSE, 0);
        const LONG width = frame.right - frame.left;
        const LONG height = frame.bottom - frame.top;
        RECT main {};
        GetWindowRect(mainWindow, &main);
        MONITORINFO monitor {};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(mainWindow, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& work = monitor.rcWork;
        const auto at = [width, height](LONG left, LONG top) {
            return RECT { left, top, left + width, top + height };
        };
        for (const RECT& place :
            { at(main.right + besideGap, main.top), at(main.left - besideGap - width, main.top),
                at(main.left, main.bottom + besideGap),
                at(main.left, main.top - besideGap - height) }) {
            if (contains(work, place))
                return place;
        }
        return at(std::max(work.left, work.right - width), std::max(work.top, main.top));
    }

} // namespace

SpeakerView::SpeakerView(
    HINSTANCE instance, AccessibleAnnotations& annotations, const BellSettings& settings)
    : m_instance(instance)
    , m_annotations(annotations)
    , m_settings(settings)
{
    registerDarkWindowClass(instance, className, windowProc);
    BigDigits::registerClass(instance);
}

SpeakerView::~SpeakerView() { close(); }

void SpeakerView::open(HWND mainWindow)
{
    if (m_window)
        return;
    m_mainWindow = mainWindow;
    const std::vector<Screen> all = screens();
    const std::optional<std::size_t> screen = speakerViewScreen(all, frameOf(mainWindow), {});
    const DWORD style = screen ? WS_POPUP : WS_OVERLAPPEDWINDOW;
    RECT place {};
    if (screen) {
        const ScreenRect& area = all[*screen].area;
        place = { area.x, area.y, area.x + area.width, area.y + area.height };
        m_screen = all[*screen].name;
    } else {
        place = besideMainWindow(mainWindow, style);
    }
    CreateWindowExW(WS_EX_APPWINDOW, className, widen(texts::speakerViewCaption).c_str(), style,
        place.left, place.top, place.right - place.left, place.bottom - place.top, nullptr, nullptr,
        m_instance, this);
    if (!m_window)
        return;
    m_digitsWindow = m_digits.create(m_window, m_instance);
    m_annotations.setName(m_window, texts::speakerViewCaption);
    showContent();
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    UpdateWindow(m_window);
}

void SpeakerView::close()
{
    if (m_window)
        DestroyWindow(m_window);
}

void SpeakerView::show(std::int32_t seconds, int bellPhase)
{
    m_seconds = seconds;
    m_bellPhase = bellPhase;
    showContent();
}

void SpeakerView::setColoured(bool coloured) { m_digits.setColoured(coloured); }

void SpeakerView::setRemainingLarge(bool remainingLarge)
{
    m_remainingLarge = remainingLarge;
    showContent();
}

void SpeakerView::mainWindowMoved(UINT message)
{
    if (message == WM_ENTERSIZEMOVE || message == WM_EXITSIZEMOVE)
        m_mainWindowDragged = message == WM_ENTERSIZEMOVE;
    if (!m_mainWindowDragged)
        followScreens();
}

void SpeakerView::showContent()
{
    if (!m_window)
        return;
    m_digits.show(lecternText(m_seconds, m_settings, m_remainingLarge), m_bellPhase);
    if (m_bellPhase != m_describedPhase) {
        m_describedPhase = m_bellPhase;
        m_annotations.setDescription(
            m_digitsWindow, texts::bellPhaseDescriptions.at(static_cast<std::size_t>(m_bellPhase)));
    }
}

// A view filling a screen fills the one the rule picks now, or closes when none is free of the
// main window; a view that is a window stays where the user put it.
void SpeakerView::followScreens()
{
    if (!m_window || m_screen.empty())
        return;
    const std::vector<Screen> all = screens();
    const std::optional<std::size_t> screen
        = speakerViewScreen(all, frameOf(m_mainWindow), m_screen);
    if (!screen) {
        close();
        return;
    }
    m_screen = all[*screen].name;
    const ScreenRect& area = all[*screen].area;
    SetWindowPos(
        m_window, nullptr, area.x, area.y, area.width, area.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK SpeakerView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* view
            = static_cast<SpeakerView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
        view->m_window = window;
    }
    auto* view = reinterpret_cast<SpeakerView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return view ? view->handle(message, wParam, lParam)
                : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT SpeakerView::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (m_digitsWindow)
            MoveWindow(m_digitsWindow, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            close();
            return 0;
        }
        break;
    case WM_LBUTTONDBLCLK:
        close();
        return 0;
    case WM_DISPLAYCHANGE:
        // Windows may still be moving windows off a screen that went; the view looks once that
        // is done.
        PostMessageW(m_window, followScreensMessage, 0, 0);
        return 0;
    case followScreensMessage:
        followScreens();
        return 0;
    case WM_DPICHANGED: {
        // Filling a screen, it fills it again: the suggested rectangle keeps the view's size in
        // proportion, which on a screen of another scale is no longer the screen's. Beside the
        // main window, it keeps its size in proportion.
        if (!m_screen.empty()) {
            followScreens();
            return 0;
        }
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top,
            suggested->right - suggested->left, suggested->bottom - suggested->top,
            SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_DESTROY:
        m_annotations.clear(m_window);
        m_annotations.clear(m_digitsWindow);
        break;
    case WM_NCDESTROY: {
        const HWND window = m_window;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        m_window = nullptr;
        m_digitsWindow = nullptr;
        m_screen.clear();
        m_describedPhase = -1;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace zelvano
