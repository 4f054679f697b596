#include "clock/laplog.h"

#include "core/formatstring.h"
#include "core/texts.h"
#include "core/wrapping.h"

namespace zelvano {

void onSlide(TimerContext& context)
{
    context.state.slideCount = wrappingAdd(context.state.slideCount, 1);
    context.view.addLapLine(formatLapLine(context.state));
    context.state.lapsUnsaved = true;
}

std::string formatLapLine(TimerState& state)
{
    const std::int32_t lap = wrappingSub(state.elapsedSeconds, state.lapMarkSeconds);
    state.lapMarkSeconds = state.elapsedSeconds;
    const std::int32_t total = state.elapsedSeconds;
    return formatString(
        texts::lapLineFormat, state.slideCount, lap / 60, lap % 60, total / 60, total % 60);
}

} // namespace zelvano
