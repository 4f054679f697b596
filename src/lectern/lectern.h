#pragma once

#include <cstdint>
#include <string>

#include "core/bellsettings.h"
#include "core/phasecolours.h"

namespace zelvano {

// The two choices of the window's menu that change what the speaker's view shows.
struct LecternChoices
{
    // The figure and the marks in the colour of the bell phase, and the marks shown at all.
    bool colourByPhase = false;
    // The time to the next bell large and the elapsed time beneath, rather than the other way.
    bool remainingLarge = false;
};

// What the speaker's view shows at one moment, for whatever paints it: the view's window on each
// platform, or a page in a browser. Texts are UTF-8; colours are the view's palette.
struct LecternContent
{
    std::string figure; // the large time
    std::string marks; // one per bell, reached or not ("●●○"); empty while colour is off
    std::string caption; // beneath the figure, after the marks
    Rgb background;
    Rgb figureColour; // the marks take it too
    Rgb captionColour;
    int bellPhase; // 0 (no bell yet) to 3
    std::string description; // the phase in words, for those who do not see the colour

    // What the line beneath the figure shows: the marks, a gap where both are shown, the caption.
    std::string marksAndGap() const;
    std::string captionLine() const { return marksAndGap() + caption; }
    // All of it as text, a line each: what screen readers and outside readers are given.
    std::string readout() const;

    friend bool operator==(const LecternContent&, const LecternContent&) = default;
};

// Everything the view shows follows from the elapsed seconds, the bells and the choices, here.
LecternContent lecternContent(
    std::int32_t seconds, const BellSettings& settings, const LecternChoices& choices);

// What the main window keeps of the speaker's view for as long as it lives: the choices and the
// seconds its display shows. The view's window comes and goes; a view opened again shows the same
// at once, and choices remembered from an earlier run can be set here before any view opens.
class Lectern
{
public:
    const LecternChoices& choices() const { return m_choices; }
    void setColourByPhase(bool on) { m_choices.colourByPhase = on; }
    void setRemainingLarge(bool on) { m_choices.remainingLarge = on; }
    std::int32_t seconds() const { return m_seconds; }
    void setSeconds(std::int32_t seconds) { m_seconds = seconds; }

    LecternContent content(const BellSettings& settings) const
    {
        return lecternContent(m_seconds, settings, m_choices);
    }

private:
    LecternChoices m_choices; // every start begins with both off
    std::int32_t m_seconds = 0;
};

} // namespace zelvano
