// Rings bells through the Windows program's own sound path (its SoundPlayer, ring output and
// waveOut device), as the bell ringer does: one request a ring, 400 ms apart on this thread,
// with the output held open as around a bell. For the ring-count benchmark under Wine
// (bench/rings.cpp), which records what is heard.
//
// zelvano_bench_ringer.exe BELLS COUNT...: BELLS bells of each COUNT, the counts taking turns.
// Before each bell one line "bell COUNT MICROSECONDS" on standard output: when its first ring is
// asked for, on the performance counter, which Wine keeps on the system's monotonic clock.
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "../ringschedule.h"
#include "clock/bellringer.h"
#include "platform/soundplayer.h"

namespace {

long long microsecondsNow()
{
    LARGE_INTEGER frequency {};
    LARGE_INTEGER now {};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return now.QuadPart / frequency.QuadPart * 1000000
        + now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: zelvano_bench_ringer BELLS COUNT...\n");
        return 2;
    }
    const int bells = std::wcstol(argv[1], nullptr, 10);
    std::vector<int> counts;
    for (int i = 2; i < argc; ++i)
        counts.push_back(static_cast<int>(std::wcstol(argv[i], nullptr, 10)));
    zelvano::SoundPlayer player;
    player.holdOutput(true);
    Sleep(zelvano::ringschedule::settleMs);
    for (int bell = 0; bell < bells; ++bell) {
        for (const int count : counts) {
            std::printf("bell %d %lld\n", count, microsecondsNow());
            std::fflush(stdout);
            for (int ring = 0; ring < count; ++ring) {
                player.play(zelvano::bellSoundName);
                Sleep(zelvano::bellSpacingMs);
            }
            Sleep(zelvano::ringschedule::betweenBellsMs);
        }
    }
    player.holdOutput(false);
    return 0;
}
