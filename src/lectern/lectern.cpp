#include "lectern/lectern.h"

#include <algorithm>

#include "clock/bellschedule.h"
#include "core/texts.h"
#include "lectern/lecterntext.h"

namespace zelvano {

std::string LecternContent::marksAndGap() const
{
    return marks.empty() || caption.empty() ? marks : marks + texts::marksCaptionGap;
}

std::string LecternContent::readout() const
{
    const std::string line = captionLine();
    return line.empty() ? figure : figure + "\n" + line;
}

LecternContent lecternContent(
    std::int32_t seconds, const BellSettings& settings, const LecternChoices& choices)
{
    const int phase = std::clamp(bellPhase(seconds, settings), 0, BellSettings::bellCount);
    const auto index = static_cast<std::size_t>(phase);
    const LecternText text = lecternText(seconds, settings, choices.remainingLarge);
    const auto& colours = speakerViewPalette.digits;
    return { text.figure, choices.colourByPhase ? bellMarks(phase) : std::string(), text.caption,
        speakerViewPalette.background, colours[choices.colourByPhase ? index : 0], colours[0],
        phase, texts::bellPhaseDescriptions[index] };
}

} // namespace zelvano
