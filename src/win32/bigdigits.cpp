#include "win32/bigdigits.h"

#include <algorithm>

#include "core/phasecolours.h"
#include "platform/widestring_win32.h"
#include "win32/displaycolouring.h"

namespace zelvano {

namespace {

    // The narrowest text the face is sized for: a talk's usual minutes and seconds.
    constexpr const wchar_t* leastShape = L"000:00";
    // The share of the window's width and height the text may take: about 5 % margin each side.
    constexpr int fillPercent = 90;
    // The cell height at which the text's width is first measured.
    constexpr int probeHeight = 100;

    std::wstring shapeOf(const std::wstring& text)
    {
        std::wstring shape = text;
        std::replace_if(
            shape.begin(), shape.end(), [](wchar_t c) { return c >= L'1' && c <= L'9'; }, L'0');
        return shape.size() < std::wcslen(leastShape) ? leastShape : shape;
    }

    // The system's default Japanese face, as the main display uses, at a cell height in pixels.
    HFONT displayFont(int cellHeight)
    {
        return CreateFontW(cellHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
            DEFAULT_PITCH | FF_DONTCARE, nullptr);
    }

    int textWidth(HDC context, HFONT font, const std::wstring& text)
    {
        const HGDIOBJ previous = SelectObject(context, font);
        SIZE size {};
        GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(context, previous);
        return size.cx;
    }

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

BigDigits::~BigDigits()
{
    if (m_font)
        DeleteObject(m_font);
}

HWND BigDigits::create(HWND parent, HINSTANCE instance)
{
    // A window opened again starts blank: the first text it is shown is laid out and written.
    m_text.clear();
    m_shape.clear();
    m_bellPhase = -1;
    RECT area {};
    GetClientRect(parent, &area);
    return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE, 0, 0, area.right, area.bottom,
        parent, nullptr, instance, this);
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
    }
    return digits->handle(message, wParam, lParam);
}

LRESULT BigDigits::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        layOut();
        InvalidateRect(m_window, nullptr, TRUE);
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

void BigDigits::show(const std::string& text, int bellPhase)
{
    const std::wstring wide = widen(text);
    if (wide == m_text && bellPhase == m_bellPhase)
        return;
    const std::wstring previous = m_text;
    const bool recolour = m_coloured && bellPhase != m_bellPhase;
    m_text = wide;
    m_bellPhase = bellPhase;
    SetWindowTextW(m_window, m_text.c_str());
    if (shapeOf(m_text) != m_shape) {
        layOut();
        InvalidateRect(m_window, nullptr, TRUE);
    } else {
        for (std::size_t i = 0; i < m_cells.size(); ++i) {
            if (recolour || i >= previous.size() || previous[i] != m_text[i])
                invalidateCell(i);
        }
    }
    UpdateWindow(m_window);
}

void BigDigits::setColoured(bool coloured)
{
    if (coloured == m_coloured)
        return;
    m_coloured = coloured;
    InvalidateRect(m_window, nullptr, FALSE);
    UpdateWindow(m_window);
}

// The largest face whose text fits the window with its margins, and one cell per character,
// the whole centred.
void BigDigits::layOut()
{
    m_shape = shapeOf(m_text);
    m_cells.clear();
    RECT area {};
    GetClientRect(m_window, &area);
    const int roomWidth = area.right * fillPercent / 100;
    const int roomHeight = area.bottom * fillPercent / 100;
    if (roomWidth <= 0 || roomHeight <= 0)
        return;
    const HDC context = GetDC(m_window);
    const HFONT probe = displayFont(probeHeight);
    const int probeWidth = std::max(1, textWidth(context, probe, m_shape));
    DeleteObject(probe);
    // Widths grow about in proportion to the height; rounding may still leave the text a little
    // too wide, so it shrinks until it fits.
    int height = std::min(roomHeight, roomWidth * probeHeight / probeWidth);
    HFONT font = displayFont(height);
    while (height > 1 && textWidth(context, font, m_shape) > roomWidth) {
        DeleteObject(font);
        font = displayFont(--height);
    }
    if (m_font)
        DeleteObject(m_font);
    m_font = font;

    const HGDIOBJ previous = SelectObject(context, m_font);
    std::vector<int> ends(m_shape.size());
    SIZE size {};
    GetTextExtentExPointW(
        context, m_shape.c_str(), static_cast<int>(m_shape.size()), 0, nullptr, ends.data(), &size);
    TEXTMETRICW metrics {};
    GetTextMetricsW(context, &metrics);
    SelectObject(context, previous);
    ReleaseDC(m_window, context);

    const int left = (area.right - size.cx) / 2;
    const int top = (area.bottom - metrics.tmHeight) / 2;
    int start = left;
    for (const int end : ends) {
        m_cells.push_back({ start, top, left + end, top + metrics.tmHeight });
        start = left + end;
    }
}

void BigDigits::invalidateCell(std::size_t index)
{
    InvalidateRect(m_window, &m_cells[index], FALSE);
}

// Each cell is filled and its character drawn in one go, centred in it, so a cell is never seen
// half painted.
void BigDigits::paint()
{
    PAINTSTRUCT painting {};
    const HDC context = BeginPaint(m_window, &painting);
    const auto phase = static_cast<std::size_t>(m_coloured ? std::clamp(m_bellPhase, 0, 3) : 0);
    const HGDIOBJ previous = SelectObject(context, m_font);
    SetTextColor(context, colourRef(speakerViewPalette.digits[phase]));
    SetBkColor(context, colourRef(speakerViewPalette.background));
    SetTextAlign(context, TA_CENTER | TA_TOP | TA_NOUPDATECP);
    RECT unused {};
    for (std::size_t i = 0; i < m_cells.size() && i < m_text.size(); ++i) {
        const RECT& cell = m_cells[i];
        if (IntersectRect(&unused, &cell, &painting.rcPaint))
            ExtTextOutW(context, (cell.left + cell.right) / 2, cell.top, ETO_OPAQUE | ETO_CLIPPED,
                &cell, &m_text[i], 1, nullptr);
    }
    SelectObject(context, previous);
    EndPaint(m_window, &painting);
}

} // namespace zelvano
