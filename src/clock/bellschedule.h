#pragma once

#include <cstdint>
#include <optional>

#include "core/bellsettings.h"

namespace zelvano {

// A minute mark in seconds, or nothing when that many seconds do not fit the 32-bit count (only an
// edited settings file can hold such a mark; it never matches and is never reached).
std::optional<std::int32_t> markSeconds(std::int32_t minutes);

// How far the talk has gone by the bells: 0 before any mark, otherwise the number of the highest
// bell whose mark lies at or below elapsedSeconds. Marks need not be in order, and of two bells
// sharing a mark the higher-numbered one counts, as it is the one that rings.
int bellPhase(std::int32_t elapsedSeconds, const BellSettings& settings);

// Whether a bell's mark lies from elapsedSeconds to aheadSeconds later, both included: the sound
// output is made ready that long before a bell and kept through its second.
bool bellComingWithin(
    std::int32_t elapsedSeconds, std::int32_t aheadSeconds, const BellSettings& settings);

} // namespace zelvano
