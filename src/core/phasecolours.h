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
// they are drawn on: the usual text colour, then green, amber and red, as a speaker expects. Each
// keeps a contrast ratio of at least 4.5:1 with its background, so the time stays readable in
// every phase.
struct PhasePalette
{
    Rgb background;
    std::array<Rgb, 4> digits;
};

// The main window's display: dark digits on a white face.
inline constexpr PhasePalette windowPalette { { 0xFF, 0xFF, 0xFF },
    { { { 0x00, 0x00, 0x00 }, { 0x00, 0x70, 0x3C }, { 0x8A, 0x53, 0x00 }, { 0xB0, 0x00, 0x20 } } } };

// The speaker's view: light digits on black, which a projector shows as dark.
inline constexpr PhasePalette speakerViewPalette { { 0x00, 0x00, 0x00 },
    { { { 0xF2, 0xF2, 0xF2 }, { 0x3D, 0xDC, 0x84 }, { 0xFF, 0xB3, 0x00 }, { 0xFF, 0x6B, 0x5E } } } };

} // namespace zelvano
