#include "win32/lectern/bigdigits.h"

#include <algorithm>

#include "core/phasecolours.h"
#include "core/texts.h"
#include "platform/widestring_win32.h"
#include "win32/window/displaycolouring.h"

namespace zelvano {

namespace {

    // The margin on each side, in per cent of the width and of the height.
    constexpr int marginPercent = 5;
    // The line beneath the figure takes at most this share of the height.
    constexpr int captionShare = 8;

} // namespace

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
    // A window opened again starts blank: the first text it is shown is written whole.
    m_content = {};
    m_bellPhase = -1;
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
    if (message == WM_NCCREATE) {
        auto* digits
            = static_cast<BigDigits*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(digits));
        digits->m_window = window;
    }
    auto* digits = reinterpret_cast<BigDigits*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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

void BigDigits::show(const LecternText& text, int bellPhase)
{
    if (text.figure == m_content.figure && text.caption == m_content.caption
        && bellPhase == m_bellPhase)
        return;
    const bool recolour = m_coloured && bellPhase != m_bellPhase;
    m_content = text;
    m_bellPhase = bellPhase;
    compose(recolour);
    UpdateWindow(m_window);
}

void BigDigits::setColoured(bool coloured)
{
    if (coloured == m_coloured)
        return;
    m_coloured = coloured;
    if (!m_window)
        return;
    compose(true);
    UpdateWindow(m_window);
}

// Margins all round; the figure above, the line beneath it in the lowest eighth of the height.
// The figure's band does not depend on what the line says, so its face stays the same all talk.
void BigDigits::layOut()
{
    RECT area {};
    GetClientRect(m_window, &area);
    const int left = area.right * marginPercent / 100;
    const int right = area.right - left;
    const int top = area.bottom * marginPercent / 100;
    const int bottom = area.bottom - top;
    const int captionTop = bottom - area.bottom / captionShare;
    m_figure.setBand(m_window, { left, top, right, captionTop });
    m_caption.setBand(m_window, { left, captionTop, right, bottom });
}

// The marks, two spaces and the caption; the marks only while colour is on.
void BigDigits::compose(bool recolour)
{
    const std::wstring figure = widen(m_content.figure);
    const std::wstring marks
        = m_coloured ? widen(bellMarks(std::clamp(m_bellPhase, 0, 3))) : std::wstring();
    const std::wstring caption = widen(m_content.caption);
    const std::wstring gap = marks.empty() || caption.empty() ? L"" : widen(texts::marksCaptionGap);
    const std::wstring line = marks + gap + caption;
    m_figure.setText(m_window, figure, figure.size(), recolour);
    m_caption.setText(m_window, line, marks.size(), recolour);
    SetWindowTextW(m_window, (line.empty() ? figure : figure + L"\n" + line).c_str());
}

void BigDigits::paint()
{
    PAINTSTRUCT painting {};
    const HDC context = BeginPaint(m_window, &painting);
    const auto phase = static_cast<std::size_t>(m_coloured ? std::clamp(m_bellPhase, 0, 3) : 0);
    const COLORREF phaseColour = colourRef(speakerViewPalette.digits[phase]);
    const COLORREF plain = colourRef(speakerViewPalette.digits[0]);
    const COLORREF background = colourRef(speakerViewPalette.background);
    m_figure.paint(context, painting.rcPaint, phaseColour, phaseColour, background);
    m_caption.paint(context, painting.rcPaint, phaseColour, plain, background);
    EndPaint(m_window, &painting);
}

} // namespace zelvano
