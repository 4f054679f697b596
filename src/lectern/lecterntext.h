#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/bellsettings.h"

namespace zelvano {

// Minutes and seconds without the display's leading zeros, for the speaker's view: "2:06",
// "12:06", "123:45"; a negative count keeps its sign in front ("-0:05").
std::string formatLecternTime(std::int64_t seconds);

// Where the talk stands against its bells: the bell it comes to next and the seconds until it
// or, once no bell is ahead, the last bell reached and the seconds since.
struct BellCountdown
{
    int bell; // 1 to 3
    std::int64_t seconds;
    bool passed; // counting up from the last bell rather than down to the next
};

// The next bell is the next phase: bells that share a mark or lie out of order count as the bell
// phase counts them. Nothing while no bell has been reached and none can be.
std::optional<BellCountdown> bellCountdown(
    std::int32_t elapsedSeconds, const BellSettings& settings);

// The bells reached so far, one mark each ("●●○"): a sign of the phase that is not colour.
std::string bellMarks(int bellPhase);

// What the speaker's view shows: a large figure, and a caption beneath it. Usually the elapsed
// time large with the time to the next bell beneath ("2回目のベルまで 1:35"); with remainingLarge
// the two change places, the figure counting down to each bell and then up with a "+".
struct LecternText
{
    std::string figure;
    std::string caption;
};
LecternText lecternText(
    std::int32_t elapsedSeconds, const BellSettings& settings, bool remainingLarge);

} // namespace zelvano
