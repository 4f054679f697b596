#pragma once

#include "qt/window/dialogbuilder.h"

namespace zelvano {

// Names the main window's display, lap list and six bell fields for screen readers. The names are
// set outright rather than left to Qt's guess from a neighbouring label, so each field says which
// bell and which value it holds wherever it sits in the widget tree.
void nameControlsForScreenReaders(const ControlMap& controls);

} // namespace zelvano
