#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "lectern/pixelrect.h"

namespace zelvano {

// Where the speaker's view puts what it shows on a face of any size: margins of a twentieth of the
// width and of the height on each side; at the bottom of what they leave, the caption's line, an
// eighth of the face's height; the figure in the rest. Each line is drawn in the largest font in
// which it fits its area (its advances within the width, its cell within the height) and centred
// there as if every digit were a 0, so that a counting clock neither moves nor changes its size.
// The figure's font fits the narrowest figure as well, so that it keeps its size from 0:00 to
// 99:59 and only a wider time such as 100:00 is drawn smaller.
inline constexpr int lecternMarginsPerSide = 20; // a twentieth of the width or height
inline constexpr int lecternCaptionLinesPerHeight = 8; // an eighth of the height
inline constexpr const char* narrowestLecternFigure = "00:00";

// The two areas in fractions of the face, for a painter that lays out in relative units.
struct RelativeRect
{
    double x;
    double y;
    double width;
    double height;
};
struct RelativeLecternLayout
{
    RelativeRect figure;
    RelativeRect captionLine;
};
RelativeLecternLayout relativeLecternLayout();

// The two areas on a face of width × height pixels, in whole pixels.
struct LecternAreas
{
    PixelRect figure;
    PixelRect captionLine;
};
LecternAreas lecternAreas(int width, int height);

// The text a line is sized and centred by: the line with each of the digits 0 to 9 taken as 0.
// UTF-8 in and out, of the same length.
std::string digitsAsZeros(std::string_view text);

// How wide a text is and how high its font's cell, in pixels, at one size of the font.
struct TextExtent
{
    int width;
    int height;
};

// The largest font size (a whole number from 1 up to twice the height) at which measure says the
// text fits within width × height, or 1 when none does. Sizes scale the text about in proportion,
// so a measurement at one size gives a guess within a size or two of the answer, which is then
// searched for within bounds: a font that measures nothing, or too much at every size, cannot
// keep it asking.
int largestFittingSize(const std::function<TextExtent(int size)>& measure, int width, int height);

} // namespace zelvano
