#pragma once

namespace zelvano {

// Picks the parts of Qt that drive the window; to be called before the application object
// exists. Both choices keep a running timer cheap and on time:
// - Qt's own event loop rather than GLib's: GLib rounds every wait up to whole milliseconds, and
//   ticks came 1 to 4 ms late; Qt's loop waits to the microsecond.
// - Window contents sent to the X server inside the drawing request rather than through shared
//   memory: with shared memory Qt waits for a reply from the server before it paints again where
//   it painted last, the display every second, which wakes two threads instead of one.
void chooseQtBackends();

} // namespace zelvano
