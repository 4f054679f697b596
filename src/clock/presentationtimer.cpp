#include "clock/presentationtimer.h"

#include "clock/bellringer.h"
#include "clock/bellschedule.h"
#include "core/formatstring.h"
#include "core/texts.h"
#include "core/wrapping.h"

namespace zelvano {

namespace {

    // The sound output is made ready this long before a bell: time enough to open it and play
    // its lead-in, and to try again should it not open at once.
    constexpr std::int32_t soundLeadSeconds = 5;

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
    context.state.lapsUnsaved = false;
    ++context.state.talks;
    context.view.clearLapLines();
    context.view.armTick();
    context.state.running = true;
    context.platform.keepScreenAwake(true);
}

void onStop(TimerContext& context)
{
    context.view.killTick();
    context.state.elapsedSeconds = 0;
    context.state.running = false;
    context.platform.keepScreenAwake(false);
    context.platform.keepSoundReady(false);
}

void onTick(TimerContext& context)
{
    TimerState& state = context.state;
    state.elapsedSeconds = wrappingAdd(state.elapsedSeconds, 1);
    context.view.setDisplayTime(state.elapsedSeconds);
    context.platform.keepSoundReady(
        bellComingWithin(state.elapsedSeconds, soundLeadSeconds, context.settings));

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

DisplayedTime displayedTime(std::int32_t seconds, const BellSettings& settings)
{
    return { formatElapsed(seconds), bellPhase(seconds, settings) };
}

} // namespace zelvano
