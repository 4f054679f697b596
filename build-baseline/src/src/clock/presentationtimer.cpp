#include "clock/presentationtimer.h"

#include <optional>

#include "clock/bellringer.h"
#include "core/formatstring.h"
#include "core/texts.h"
#include "core/wrapping.h"

namespace zelvano {

namespace {

    // A minute mark in seconds, or nothing when that many seconds do not fit the 32-bit count
    // (only an edited settings file can hold such a mark; it simply never matches).
    std::optional<std::int32_t> markSeconds(std::int32_t minutes)
    {
        const std::int64_t seconds = std::int64_t { minutes } * 60;
        if (seconds < INT32_MIN || seconds > INT32_MAX)
            return std::nullopt;
        return static_cast<std::int32_t>(seconds);
    }

} // namespace

void onStart(TimerContext& context)
{
    if (context.state.editingSettings) {
        context.view.showErrorBox(texts::unlockedStartText, texts::unlockedStartCaption);
        return;
    }
    context.state.slideCount = 0;
    context.state.elapsedSeconds = 0;
    context.state.lapMarkSeconds = 0;
    context.view.clearLapLines();
    context.view.armTick();
}

void onStop(TimerContext& context)
{
    context.view.killTick();
    context.state.elapsedSeconds = 0;
}

void onTick(TimerContext& context)
{
    TimerState& state = context.state;
    state.elapsedSeconds = wrappingAdd(state.elapsedSeconds, 1);
    context.view.setDisplayText(formatElapsed(state.elapsedSeconds));

    // When marks coincide the higher-numbered bell wins, with its own ring count.
    for (int bell = BellSettings::bellCount; bell >= 1; --bell) {
        if (markSeconds(context.settings.minuteMark(bell)) == state.elapsedSeconds) {
            ringBell(context.platform, context.settings.ringCount(bell));
            return;
        }
    }
}

std::string formatElapsed(std::int32_t seconds)
{
    return formatString(texts::displayFormat, seconds / 60, seconds % 60);
}

} // namespace zelvano
