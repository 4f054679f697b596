#pragma once

namespace zelvano {

// Picks Qt's platform and how Qt hands the window's contents to the X server; to be called before
// the application object exists.
//
// The window is an X window wherever an X server answers, in a Wayland session too (through
// XWayland): there a click on a talk button can leave the keyboard with the slide show, which a
// Wayland window cannot, and the window can stay on top. Without an X server Qt goes on to
// Wayland. A platform the user chose for Qt is left as it is.
//
// The contents go inside the drawing request rather than through shared memory: with shared
// memory Qt waits for a reply from the server before it paints again where it painted last, which
// is the display every second, and that wakes two threads instead of one; the few kilobytes of
// the display cost less to send.
void chooseQtBackends();

} // namespace zelvano
