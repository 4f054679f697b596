#pragma once

#include "core/bellsettings.h"
#include "core/platformservices.h"
#include "core/timerstate.h"
#include "core/timerview.h"

namespace zelvano {

// What every operation of the window works on: its state, its settings, the window itself and the
// machine. The window owns the first two and is the third; nothing here owns anything.
struct TimerContext
{
    TimerState& state;
    BellSettings& settings;
    TimerView& view;
    PlatformServices& platform;
};

} // namespace zelvano
