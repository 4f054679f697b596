#pragma once

#include "core/timercontext.h"
#include "fakes/fakeplatform.h"
#include "fakes/fakeview.h"

namespace zelvano {

// A window's worth of state on fakes, ready to hand to any operation.
struct FakeContext
{
    TimerState state;
    BellSettings settings;
    FakeView view;
    FakePlatform platform;
    TimerContext context { state, settings, view, platform };
};

} // namespace zelvano
