#include "win32/lectern/bigdigits.h"

#include "lectern/lecternlayout.h"
#include "platform/widestring_win32.h"
#include "win32/desktop/windowowner.h"
#include "win32/window/displaycolouring.h"

namespace zelvano {

void registerDarkWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC windowProc)
{
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
}

void BigDigits::registerClass(HINSTANCE instance)
{
    registerDarkWindowClass(instance, className, windowProc);
}

HWND BigDigits::create(HWND parent, HINSTANCE instance)
{
    // A window opened again starts blank: the first content it is shown is written whole.
    m_content = {};
    RECT area {};
    GetClientRect(parent, &area);
    CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE, 0, 0, area.right, area.bottom, parent,
        nullptr, instance, this);
    if (m_window)
        layOut();
    return m_window;
}

LRESULT CALLBACK BigDigits::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* digits = windowOwner(window, message, lParam, &BigDigits::m_window);
    if (!digits)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        digits->m_window = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return digits->handle(message, wParam, lParam);
}

LRESULT BigDigits::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        layOut();
        return 0;
    case WM_PAINT:
        paint();
        return 0;
    case WM_LBUTTONDBLCLK:
        // The parent decides what a double-click does.
        return SendMessageW(GetParent(m_window), message, wParam, lParam);
    default:
        return DefWindowProcW(m_window, message, wParam, lParam);
    }
}

// The marks take the figure's colour: a change of it repaints them with the figure.
void BigDigits::show(const LecternContent& content)
{
    if (!m_window || content == m_content)
        return;
    const bool recolour = content.figureColour != m_content.figureColour
        || content.captionColour != m_content.captionColour;
    m_content = content;
    const std::wstring figure = widen(content.figure);
    const std::wstring marks = widen(content.marksAndGap());
    const std::wstring line = widen(content.captionLine());
    m_figure.setText(
        m_window, figure, widen(digitsAsZeros(content.figure)), figure.size(), recolour);
    m_caption.setText(
        m_window, line, widen(digitsAsZeros(content.captionLine())), marks.size(), recolour);
    SetWindowTextW(m_window, widen(content.readout()).c_str());
    UpdateWindow(m_window);
}

// The figure's area does not depend on what the line beneath says, so its face stays the same
// all talk.
void BigDigits::layOut()
{
    RECT area {};
    GetClientRect(m_window, &area);
    const LecternAreas areas = lecternAreas(area.right, area.bottom);
    const auto rect = [](const PixelRect& r) { return RECT { r.x, r.y, r.right(), r.bottom() }; };
    m_figure.setBand(m_window, rect(areas.figure));
    m_caption.setBand(m_window, rect(areas.captionLine));
}

void BigDigits::paint()
{
    PAINTSTRUCT painting {};
    const HDC context = BeginPaint(m_window, &painting);
    const COLORREF figure = colourRef(m_content.figureColour);
    const COLORREF caption = colourRef(m_content.captionColour);
    const COLORREF background = colourRef(m_content.background);
    m_figure.paint(context, painting.rcPaint, figure, figure, background);
    m_caption.paint(context, painting.rcPaint, figure, caption, background);
    EndPaint(m_window, &painting);
}

} // namespace zelvano
