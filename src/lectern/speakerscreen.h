#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "lectern/pixelrect.h"

namespace zelvano {

// One screen as the platform names it (names survive a change of resolution or scale; handles
// need not), where it lies on the desktop, and the part of it that windows may take (without the
// task bar and the panels).
struct Screen
{
    std::string name;
    PixelRect area;
    PixelRect workArea;
};

// Which screen the full-screen speaker's view fills, whenever the screens or the main window
// change and when it opens: the screen it fills now (by name, empty when it fills none) while
// that one is still there and clear of the main window's frame, otherwise the first other screen
// that is clear of it. Nothing when no screen is: the view must not cover the main window, so it
// opens beside it, or a view filling a screen closes.
std::optional<std::size_t> speakerViewScreen(
    std::span<const Screen> screens, const PixelRect& mainWindow, std::string_view current);

// The screen that holds most of a window's frame; the first when none holds any of it.
std::size_t screenHolding(std::span<const Screen> screens, const PixelRect& frame);

// What a window's frame adds around its client area, in pixels.
struct FrameMargins
{
    int left;
    int top;
    int right;
    int bottom;
};

// The frame of the view opened as an ordinary window beside the main one, within the work area of
// the main window's screen: on the side with more room, as wide as that room allows up to a third
// of the screen, but never narrower than smallestWidth; its client area 16:9, as a projector's
// image is; level with the main window's top; moved inside the work area where it would leave it.
PixelRect besideMainWindow(const PixelRect& workArea, const PixelRect& mainFrame,
    const FrameMargins& margins, int smallestWidth);
// The narrowest frame beside the main window, in pixels at a scale of 1.
inline constexpr int besideSmallestWidth = 320;

// Where the view goes when it opens: the screen it fills, or else the frame of a window beside
// the main one. scale is the platform's pixels per pixel at a scale of 1 on the main window's
// screen.
struct SpeakerViewPlace
{
    std::optional<std::size_t> screen;
    PixelRect frame;
};
SpeakerViewPlace speakerViewPlace(std::span<const Screen> screens, const PixelRect& mainFrame,
    const FrameMargins& margins, double scale);

} // namespace zelvano
