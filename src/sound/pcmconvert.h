#pragma once

#include <cstdint>
#include <vector>

#include "files/wavfile.h"

namespace zelvano {

// A sound as interleaved 16-bit stereo at the given rate, for an output that stays open in one
// format whatever the files it plays: mono goes to both sides, channels past the first two (the
// front pair in every WAV channel layout) are left out, and the rate is converted by linear
// interpolation, which is plenty for a bell.
std::vector<std::int16_t> toStereo16(const PcmSound& sound, std::uint32_t rate);

} // namespace zelvano
