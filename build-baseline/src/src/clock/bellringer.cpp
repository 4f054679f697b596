#include "clock/bellringer.h"

#include <algorithm>

namespace zelvano {

void ringBell(PlatformServices& platform, std::int32_t count)
{
    const std::int32_t rings = std::min(count, BellSettings::maxRingCount);
    for (std::int32_t i = 0; i < rings; ++i) {
        platform.playSound(bellSoundName);
        platform.sleepMs(bellSpacingMs);
    }
}

void onTest(TimerContext& context) { ringBell(context.platform, testRingCount); }

} // namespace zelvano
