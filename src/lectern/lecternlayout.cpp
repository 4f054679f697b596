#include "lectern/lecternlayout.h"

#include <algorithm>

namespace zelvano {

RelativeLecternLayout relativeLecternLayout()
{
    constexpr double margin = 1.0 / lecternMarginsPerSide;
    constexpr double line = 1.0 / lecternCaptionLinesPerHeight;
    constexpr double inner = 1 - 2 * margin;
    return { { margin, margin, inner, inner - line }, { margin, 1 - margin - line, inner, line } };
}

LecternAreas lecternAreas(int width, int height)
{
    const int marginX = width / lecternMarginsPerSide;
    const int marginY = height / lecternMarginsPerSide;
    const int line = height / lecternCaptionLinesPerHeight;
    const int innerWidth = width - 2 * marginX;
    const int figureHeight = height - 2 * marginY - line;
    return { { marginX, marginY, innerWidth, figureHeight },
        { marginX, marginY + figureHeight, innerWidth, line } };
}

std::string digitsAsZeros(std::string_view text)
{
    std::string shape(text);
    // Bytes of ASCII digits never occur inside a longer UTF-8 sequence.
    std::replace_if(
        shape.begin(), shape.end(), [](char c) { return c >= '1' && c <= '9'; }, '0');
    return shape;
}

int largestFittingSize(const std::function<TextExtent(int size)>& measure, int width, int height)
{
    const int largest = std::max(1, 2 * height);
    int fitting = 0; // the largest size known to fit; none yet
    int tooLarge = largest + 1; // the smallest size known not to
    const auto tryAt = [&](int size) {
        const TextExtent extent = measure(size);
        if (extent.width <= width && extent.height <= height)
            fitting = std::max(fitting, size);
        else
            tooLarge = std::min(tooLarge, size);
    };
    constexpr int probe = 100;
    const TextExtent atProbe = measure(probe);
    double scale = static_cast<double>(largest) / probe;
    if (atProbe.width > 0)
        scale = std::min(scale, static_cast<double>(width) / atProbe.width);
    if (atProbe.height > 0)
        scale = std::min(scale, static_cast<double>(height) / atProbe.height);
    const int guess = std::clamp(static_cast<int>(probe * scale), 1, largest);
    tryAt(guess);
    if (fitting == guess && guess < largest)
        tryAt(guess + 1);
    else if (fitting != guess && guess > 1)
        tryAt(guess - 1);
    while (tooLarge - fitting > 1)
        tryAt(fitting + (tooLarge - fitting) / 2);
    return std::max(1, fitting);
}

} // namespace zelvano
