#include "win32/lectern/speakerview.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/texts.h"
#include "lectern/speakerscreen.h"
#include "platform/widestring_win32.h"
#include "win32/desktop/screendpi.h"
#include "win32/desktop/windowowner.h"

namespace zelvano {

namespace {

    constexpr const wchar_t* className = L"ZelvanoSpeakerView";
    // Posted to itself when the screens changed.
    constexpr UINT followScreensMessage = WM_APP + 1;
    constexpr DWORD besideStyle = WS_OVERLAPPEDWINDOW;

    PixelRect pixelRect(const RECT& rect)
    {
        return { rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top };
    }

    BOOL CALLBACK noteScreen(HMONITOR monitor, HDC, LPRECT, LPARAM screens)
    {
        MONITORINFOEXW info {};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(monitor, &info))
            reinterpret_cast<std::vector<Screen>*>(screens)->push_back(
                { narrow(info.szDevice), pixelRect(info.rcMonitor), pixelRect(info.rcWork) });
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
    PixelRect frameOf(HWND window)
    {
        RECT frame {};
        GetWindowRect(window, &frame);
        return pixelRect(frame);
    }

    // What the frame of a window beside the main one adds around its client area.
    FrameMargins besideMargins()
    {
        RECT frame {};
        AdjustWindowRectEx(&frame, besideStyle, FALSE, 0);
        return { -frame.left, -frame.top, frame.right, frame.bottom };
    }

} // namespace

SpeakerView::SpeakerView(HINSTANCE instance, AccessibleAnnotations& annotations,
    const Lectern& lectern, const BellSettings& settings)
    : m_instance(instance)
    , m_annotations(annotations)
    , m_lectern(lectern)
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
    const UINT dpi = windowDpi(mainWindow);
    const std::vector<Screen> all = screens();
    const SpeakerViewPlace place = speakerViewPlace(all, frameOf(mainWindow), besideMargins(),
        static_cast<double>(dpi) / USER_DEFAULT_SCREEN_DPI);
    if (place.screen)
        m_screen = all[*place.screen].name;
    CreateWindowExW(WS_EX_APPWINDOW, className, widen(texts::speakerViewCaption).c_str(),
        place.screen ? WS_POPUP : besideStyle, place.frame.x, place.frame.y, place.frame.width,
        place.frame.height, nullptr, nullptr, m_instance, this);
    if (!m_window)
        return;
    m_digitsWindow = m_digits.create(m_window, m_instance);
    m_annotations.setName(m_window, texts::speakerViewCaption);
    refresh();
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    UpdateWindow(m_window);
}

void SpeakerView::close()
{
    if (m_window)
        DestroyWindow(m_window);
}

void SpeakerView::mainWindowMoved(UINT message)
{
    if (message == WM_ENTERSIZEMOVE || message == WM_EXITSIZEMOVE)
        m_mainWindowDragged = message == WM_ENTERSIZEMOVE;
    if (!m_mainWindowDragged)
        followScreens();
}

void SpeakerView::refresh()
{
    if (!m_window)
        return;
    const LecternContent content = m_lectern.content(m_settings);
    m_digits.show(content);
    if (content.bellPhase != m_describedPhase) {
        m_describedPhase = content.bellPhase;
        m_annotations.setDescription(m_digitsWindow, content.description);
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
    const PixelRect& area = all[*screen].area;
    SetWindowPos(
        m_window, nullptr, area.x, area.y, area.width, area.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK SpeakerView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* view = windowOwner(window, message, lParam, &SpeakerView::m_window);
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
