#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zelvano {

// A rectangle of the desktop in pixels; right and bottom are exclusive.
struct ScreenRect
{
    int x;
    int y;
    int width;
    int height;

    bool intersects(const ScreenRect& other) const
    {
        return x < other.x + other.width && other.x < x + width && y < other.y + other.height
            && other.y < y + height;
    }
};

// One screen as the platform names it (names survive a change of resolution or scale; handles
// need not) and where it lies on the desktop.
struct Screen
{
    std::string name;
    ScreenRect area;
};

// Which screen the full-screen speaker's view fills, whenever the screens or the main window
// change and when it opens: the screen it fills now (by name, empty when it fills none) while
// that one is still there and clear of the main window's frame, otherwise the first other screen
// that is clear of it. Nothing when no screen is: the view must not cover the main window, so it
// opens beside it, or a view filling a screen closes.
std::optional<std::size_t> speakerViewScreen(
    std::span<const Screen> screens, const ScreenRect& mainWindow, std::string_view current);

} // namespace zelvano
