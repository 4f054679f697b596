#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace zelvano {

// A window class of the speaker's view: black behind whatever it draws, double-clicks reported.
void registerDarkWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC windowProc);

// The speaker's view's face: the display text as large as its window allows, light digits on
// black. Each character has a cell of its own, laid out for the text with every digit taken as
// 0, so a new second repaints only the cells whose character changed. Its window text is the
// display text, for screen readers and outside readers.
class BigDigits final
{
public:
    static constexpr const wchar_t* className = L"ZelvanoBigDigits";
    static void registerClass(HINSTANCE instance);

    BigDigits() = default;
    ~BigDigits();
    BigDigits(const BigDigits&) = delete;
    BigDigits& operator=(const BigDigits&) = delete;

    // A child filling parent; it takes neither the focus nor the clicks, which go to parent.
    HWND create(HWND parent, HINSTANCE instance);
    // Painted before returning, like the main display.
    void show(const std::string& text, int bellPhase);
    void setColoured(bool coloured);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void layOut();
    void paint();
    void invalidateCell(std::size_t index);

    HWND m_window = nullptr;
    HFONT m_font = nullptr;
    std::wstring m_text;
    std::wstring m_shape; // the text with its digits as 0: what the cells were laid out for
    std::vector<RECT> m_cells;
    int m_bellPhase = -1; // none shown yet
    bool m_coloured = false;
};

} // namespace zelvano
