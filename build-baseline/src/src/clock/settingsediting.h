#pragma once

#include <cstdint>
#include <string_view>

#include "core/timercontext.h"

namespace zelvano {

// The settings toggle: unlocks the six bell fields, or parses, checks and confirms them.
void onSettingsToggle(TimerContext& context);

// Writes the six values into their fields and locks them.
void showSettings(TimerContext& context);

// C atoi: leading ASCII white space, an optional sign, decimal digits up to the first other
// character, no digits giving 0. Overflow wraps modulo 2^32 instead of being undefined.
std::int32_t parseBellValue(std::string_view text);

} // namespace zelvano
