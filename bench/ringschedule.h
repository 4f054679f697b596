#pragma once

// The bells the ring-count benchmark rings, in this process and under Wine alike: after the
// output has settled (as a while into a talk), each bell's rings 400 ms apart, then a pause
// long enough for the built-in bell (1 s) to die away before the next.
namespace zelvano::ringschedule {

constexpr int settleMs = 1500;
constexpr int betweenBellsMs = 2000;

} // namespace zelvano::ringschedule
