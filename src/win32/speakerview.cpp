#include "win32/speakerview.h"

#include <algorithm>
#include <optional>

#include "core/texts.h"
#include "platform/widestring_win32.h"
#include "win32/screendpi.h"

namespace zelvano {

namespace {

    constexpr const wchar_t* className = L"ZelvanoSpeakerView";
    // The client area of the window beside the main one at 96 DPI, and the gap between the two.
    constexpr SIZE besideSize { 640, 240 };
    constexpr int besideGap = 8;

    struct MonitorSearch
    {
        HMONITOR mainMonitor;
        std::optional<RECT> other;
    };

    BOOL CALLBACK noteOtherMonitor(HMONITOR monitor, HDC, LPRECT area, LPARAM search)
    {
        auto& found = *reinterpret_cast<MonitorSearch*>(search);
        if (monitor != found.mainMonitor && !found.other)
            found.other = *area;
        return TRUE;
    }

    // The whole of the first screen that does not hold the main window, when there is one.
    std::optional<RECT> otherScreen(HWND mainWindow)
    {
        MonitorSearch search { MonitorFromWindow(mainWindow, MONITOR_DEFAULTTONEAREST), {} };
        EnumDisplayMonitors(nullptr, nullptr, noteOtherMonitor, reinterpret_cast<LPARAM>(&search));
        return search.other;
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

SpeakerView::SpeakerView(HINSTANCE instance, AccessibleAnnotations& annotations)
    : m_instance(instance)
    , m_annotations(annotations)
{
    registerDarkWindowClass(instance, className, windowProc);
    BigDigits::registerClass(instance);
}

SpeakerView::~SpeakerView() { close(); }

void SpeakerView::open(HWND mainWindow, const std::string& text, int bellPhase, bool coloured)
{
    if (m_window)
        return;
    const std::optional<RECT> screen = otherScreen(mainWindow);
    const DWORD style = screen ? WS_POPUP : WS_OVERLAPPEDWINDOW;
    const RECT place = screen ? *screen : besideMainWindow(mainWindow, style);
    CreateWindowExW(WS_EX_APPWINDOW, className, widen(texts::speakerViewCaption).c_str(), style,
        place.left, place.top, place.right - place.left, place.bottom - place.top, mainWindow,
        nullptr, m_instance, this);
    if (!m_window)
        return;
    m_digitsWindow = m_digits.create(m_window, m_instance);
    m_annotations.setName(m_window, texts::speakerViewCaption);
    m_digits.setColoured(coloured);
    show(text, bellPhase);
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    UpdateWindow(m_window);
}

void SpeakerView::close()
{
    if (m_window)
        DestroyWindow(m_window);
}

void SpeakerView::show(const std::string& text, int bellPhase)
{
    if (!m_window)
        return;
    m_digits.show(text, bellPhase);
    if (bellPhase != m_bellPhase) {
        m_bellPhase = bellPhase;
        m_annotations.setDescription(
            m_digitsWindow, texts::bellPhaseDescriptions.at(static_cast<std::size_t>(bellPhase)));
    }
}

void SpeakerView::setColoured(bool coloured)
{
    if (m_window)
        m_digits.setColoured(coloured);
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
    case WM_DPICHANGED: {
        // Beside the main window it keeps its size in proportion on a screen of another DPI.
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
        m_bellPhase = -1;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace zelvano
