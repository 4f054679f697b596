#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace zelvano {

// One line of the speaker's view, drawn a character to a cell in the largest face that fits its
// band. The cells are laid out for the line's shape (the text with every digit taken as 0), so
// while a clock counts the line keeps its place and size, and only the cells whose character
// changed are painted again.
class CellLine final
{
public:
    // The face is sized for the wider of the text's shape and leastShape: a clock's figure keeps
    // its size from 0:00 to 99:59.
    explicit CellLine(std::wstring leastShape = {})
        : m_leastShape(std::move(leastShape))
    { }
    ~CellLine();
    CellLine(const CellLine&) = delete;
    CellLine& operator=(const CellLine&) = delete;

    const std::wstring& text() const { return m_text; }
    // The line lies in band of window; a new band lays it out again and paints it whole.
    void setBand(HWND window, const RECT& band);
    // shape is the text, a character for a character, as it is sized and laid out. The first
    // colouredLength characters take the phase colour, the rest the plain one. Has window paint
    // what changed: the changed cells (all coloured ones with recolour), or the whole band when the
    // shape is another.
    void setText(HWND window, const std::wstring& text, const std::wstring& shape,
        std::size_t colouredLength, bool recolour);
    // Each cell that meets dirty is filled and its character drawn in one go, so a cell is never
    // seen half painted.
    void paint(
        HDC context, const RECT& dirty, COLORREF phase, COLORREF plain, COLORREF background) const;

private:
    void layOut(HWND window);

    std::wstring m_leastShape;
    RECT m_band {};
    HFONT m_font = nullptr;
    std::wstring m_text;
    std::size_t m_colouredLength = 0;
    std::wstring m_shape; // what the cells were laid out for
    std::vector<RECT> m_cells;
};

} // namespace zelvano
