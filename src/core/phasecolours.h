#pragma once

#include <array>
#include <cstdint>

namespace zelvano {

struct Rgb
{
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The digits' colour for each bell phase (0: no bell yet, then bells 1 to 3) on the background
// they are drawn on: the usual text colour, then green, amber and red, as a speaker expects. Hue
// alone does not tell them apart for everyone: to colour-blind eyes green, amber and red can look
// alike. So the lightness steps too, phase by phase away from the usual text colour, and every
// two phases stay clearly apart (a CIEDE2000 difference of at least 10) in normal vision and in
// simulated protanopia, deuteranopia and tritanopia. Each keeps a contrast ratio of at least 4.5:1
// with its background, so the time stays readable in every phase.
struct PhasePalette
{
    Rgb background;
    std::array<Rgb, 4> digits;
};

// The main window's display: dark digits on a white face, black and then lighter at each bell.
// Red comes last as the lightest: a vivid red is about as light as a colour may be on white and
// keep 4.5:1, while green stays green when dark.
inline constexpr PhasePalette windowPalette {
    { 0xFF, 0xFF, 0xFF },
    { { { 0x00, 0x00, 0x00 }, { 0x10, 0x42, 0x1E }, { 0x7E, 0x5A, 0x00 }, { 0xD8, 0x36, 0x5A } } }
};

// The speaker's view: light digits on black, which a projector shows as dark; light grey and then
// darker at each bell. Red comes last as the darkest: made lighter it turns pink, while green and
// amber stay themselves when light.
inline constexpr PhasePalette speakerViewPalette {
    { 0x00, 0x00, 0x00 },
    { { { 0xF2, 0xF2, 0xF2 }, { 0x4B, 0xFD, 0x9E }, { 0xF1, 0xA0, 0x14 }, { 0xE6, 0x1E, 0x1E } } }
};

} // namespace zelvano
