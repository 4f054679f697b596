#include "clock/bellschedule.h"

namespace zelvano {

std::optional<std::int32_t> markSeconds(std::int32_t minutes)
{
    const std::int64_t seconds = std::int64_t { minutes } * 60;
    if (seconds < INT32_MIN || seconds > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(seconds);
}

int bellPhase(std::int32_t elapsedSeconds, const BellSettings& settings)
{
    for (int bell = BellSettings::bellCount; bell >= 1; --bell) {
        const std::optional<std::int32_t> mark = markSeconds(settings.minuteMark(bell));
        if (mark && *mark <= elapsedSeconds)
            return bell;
    }
    return 0;
}

bool bellComingWithin(
    std::int32_t elapsedSeconds, std::int32_t aheadSeconds, const BellSettings& settings)
{
    for (int bell = 1; bell <= BellSettings::bellCount; ++bell) {
        const std::optional<std::int32_t> mark = markSeconds(settings.minuteMark(bell));
        const std::int64_t until = mark ? std::int64_t { *mark } - elapsedSeconds : -1;
        if (until >= 0 && until <= aheadSeconds)
            return true;
    }
    return false;
}

} // namespace zelvano
