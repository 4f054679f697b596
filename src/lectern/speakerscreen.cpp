#include "lectern/speakerscreen.h"

#include <algorithm>

namespace zelvano {

namespace {

    long long overlap(const PixelRect& a, const PixelRect& b)
    {
        const long long width = std::min(a.right(), b.right()) - std::max(a.x, b.x);
        const long long height = std::min(a.bottom(), b.bottom()) - std::max(a.y, b.y);
        return width > 0 && height > 0 ? width * height : 0;
    }

} // namespace

std::optional<std::size_t> speakerViewScreen(
    std::span<const Screen> screens, const PixelRect& mainWindow, std::string_view current)
{
    std::optional<std::size_t> other;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        if (screens[i].area.intersects(mainWindow))
            continue;
        if (!current.empty() && screens[i].name == current)
            return i;
        if (!other)
            other = i;
    }
    return other;
}

std::size_t screenHolding(std::span<const Screen> screens, const PixelRect& frame)
{
    std::size_t holding = 0;
    long long most = 0;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        if (const long long shared = overlap(screens[i].area, frame); shared > most) {
            most = shared;
            holding = i;
        }
    }
    return holding;
}

PixelRect besideMainWindow(const PixelRect& workArea, const PixelRect& mainFrame,
    const FrameMargins& margins, int smallestWidth)
{
    const int leftRoom = mainFrame.x - workArea.x;
    const int rightRoom = workArea.right() - mainFrame.right();
    const int frameWidth = std::clamp(
        std::max(leftRoom, rightRoom), smallestWidth, std::max(smallestWidth, workArea.width / 3));
    const int height
        = (frameWidth - margins.left - margins.right) * 9 / 16 + margins.top + margins.bottom;
    const int left = rightRoom >= leftRoom ? mainFrame.right() : mainFrame.x - frameWidth;
    return { std::clamp(left, workArea.x, std::max(workArea.x, workArea.right() - frameWidth)),
        std::clamp(mainFrame.y, workArea.y, std::max(workArea.y, workArea.bottom() - height)),
        frameWidth, height };
}

SpeakerViewPlace speakerViewPlace(std::span<const Screen> screens, const PixelRect& mainFrame,
    const FrameMargins& margins, double scale)
{
    if (const std::optional<std::size_t> screen = speakerViewScreen(screens, mainFrame, {}))
        return { screen, screens[*screen].area };
    const PixelRect workArea
        = screens.empty() ? mainFrame : screens[screenHolding(screens, mainFrame)].workArea;
    return { std::nullopt,
        besideMainWindow(
            workArea, mainFrame, margins, static_cast<int>(besideSmallestWidth * scale + 0.5)) };
}

} // namespace zelvano
