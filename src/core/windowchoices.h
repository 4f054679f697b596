#pragma once

namespace zelvano {

// The toggles of the window's menu, which a speaker sets once and expects to find again at the
// next start. All off at the first start.
struct WindowChoices
{
    bool stayOnTop = false;
    bool bellColours = false;
    bool remainingLarge = false;
    bool lapsFromSlideTurns = false;

    friend bool operator==(const WindowChoices&, const WindowChoices&) = default;
};

} // namespace zelvano
