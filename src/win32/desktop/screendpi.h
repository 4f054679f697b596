#pragma once

#include <windows.h>

namespace zelvano {

// The screen's DPI and the sizes that follow from it, on every Windows from 7 SP1 on. The
// per-screen functions came with Windows 10 (1607 and 1703) and are looked up when first used;
// where they are missing the manifest makes the program DPI-aware for the system as a whole, so
// the system's DPI is the one every window has.

// The DPI of the screen the window is on.
UINT windowDpi(HWND window);

// GetSystemMetrics at the given DPI.
int systemMetricForDpi(int metric, UINT dpi);

// Keeps the dialog manager from handing the control the dialog's rescaled font when the window
// moves to a screen of another DPI: the window sets that control's font itself.
void keepOwnFontOnDpiChange(HWND control);

} // namespace zelvano
