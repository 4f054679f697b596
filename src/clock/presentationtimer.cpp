#include "clock/presentationtimer.h"

#include "clock/bellringer.h"
#include "clock/bellschedule.h"
#include "core/formatstring.h"
#include "core/texts.h"
#include "core/wrapping.h"

namespace zelvano {

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
}

void onTick(TimerContext& context)
{
    TimerState& state = context.state;
    state.elapsedSeconds = wrappingAdd(state.elapsedSeconds, 1);
    context.view.setDisplayTime(state.elapsedSeconds);

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
