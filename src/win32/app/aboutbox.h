#pragma once

#include <windows.h>

namespace zelvano {

// The program's name, version and notice over an OK button, centred over owner and kept inside
// its screen's work area; returns once OK, Escape or the close box ends it.
void runAboutBox(HINSTANCE instance, HWND owner);

} // namespace zelvano
