#pragma once

namespace zelvano {

// Picks how Qt hands the window's contents to the X server; to be called before the application
// object exists. Inside the drawing request rather than through shared memory: with shared memory
// Qt waits for a reply from the server before it paints again where it painted last, which is the
// display every second, and that wakes two threads instead of one; the few kilobytes of the
// display cost less to send.
void chooseQtBackends();

} // namespace zelvano
