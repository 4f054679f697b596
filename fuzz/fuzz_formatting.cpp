// The display text and the lap line for any 32-bit values: each equals what snprintf writes into
// a buffer far larger than any of them, and the lap mark moves to the elapsed time.
#include <cstdint>
#include <cstdio>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "clock/laplog.h"
#include "clock/presentationtimer.h"
#include "core/texts.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto elapsed = input.ConsumeIntegral<std::int32_t>();
    const auto mark = input.ConsumeIntegral<std::int32_t>();
    const auto slide = input.ConsumeIntegral<std::int32_t>();

    char expected[256];
    std::snprintf(expected, sizeof expected, "%.3d:%.2d", elapsed / 60, elapsed % 60);
    FUZZ_CHECK(zelvano::formatElapsed(elapsed) == expected);

    zelvano::TimerState state;
    state.elapsedSeconds = elapsed;
    state.lapMarkSeconds = mark;
    state.slideCount = slide;
    const auto lap = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(elapsed) - static_cast<std::uint32_t>(mark));
    std::snprintf(expected, sizeof expected, "[Slide%.3d] %3d:%.2d  累積:%3d:%.2d", slide, lap / 60,
        lap % 60, elapsed / 60, elapsed % 60);
    FUZZ_CHECK(zelvano::formatLapLine(state) == expected);
    FUZZ_CHECK(state.lapMarkSeconds == elapsed);
    FUZZ_CHECK(state.elapsedSeconds == elapsed && state.slideCount == slide);
    return 0;
}
