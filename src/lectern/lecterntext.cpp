#include "lectern/lecterntext.h"

#include "clock/bellschedule.h"
#include "core/formatstring.h"
#include "core/texts.h"

namespace zelvano {

std::string formatLecternTime(std::int64_t seconds)
{
    const char* sign = seconds < 0 ? "-" : "";
    const std::int64_t magnitude = seconds < 0 ? -seconds : seconds;
    return formatString(texts::lecternTimeFormat, sign, static_cast<long long>(magnitude / 60),
        static_cast<long long>(magnitude % 60));
}

std::optional<BellCountdown> bellCountdown(
    std::int32_t elapsedSeconds, const BellSettings& settings)
{
    // The phase only grows, and grows at the earliest mark of a bell above it; of bells sharing
    // that mark the highest is the phase it grows to.
    const int phase = bellPhase(elapsedSeconds, settings);
    std::optional<BellCountdown> next;
    for (int bell = phase + 1; bell <= BellSettings::bellCount; ++bell) {
        const std::optional<std::int32_t> mark = markSeconds(settings.minuteMark(bell));
        const std::int64_t until = mark ? std::int64_t { *mark } - elapsedSeconds : -1;
        if (until > 0 && (!next || until <= next->seconds))
            next = BellCountdown { bell, until, false };
    }
    if (next || phase == 0)
        return next;
    const std::int64_t since
        = std::int64_t { elapsedSeconds } - *markSeconds(settings.minuteMark(phase));
    return BellCountdown { phase, since, true };
}

std::string bellMarks(int bellPhase)
{
    std::string marks;
    for (int bell = 1; bell <= BellSettings::bellCount; ++bell)
        marks += bell <= bellPhase ? texts::bellReachedMark : texts::bellAheadMark;
    return marks;
}

LecternText lecternText(
    std::int32_t elapsedSeconds, const BellSettings& settings, bool remainingLarge)
{
    const std::string elapsed = formatLecternTime(elapsedSeconds);
    const std::optional<BellCountdown> countdown = bellCountdown(elapsedSeconds, settings);
    if (!countdown)
        return { elapsed, {} };
    const std::string time = formatLecternTime(countdown->seconds);
    const std::string remaining
        = countdown->passed ? formatString(texts::overtimeFormat, time.c_str()) : time;
    const std::string bell = formatString(
        countdown->passed ? texts::sinceBellFormat : texts::untilBellFormat, countdown->bell);
    if (remainingLarge)
        return { remaining,
            formatString(texts::elapsedCaptionFormat, bell.c_str(), elapsed.c_str()) };
    return { elapsed,
        formatString(texts::countdownCaptionFormat, bell.c_str(), remaining.c_str()) };
}

} // namespace zelvano
