#pragma once

namespace zelvano {

// Makes screen readers meet every TimeDisplay as a read-only text field: its accessible name, and
// the time shown as its text. Safe to call more than once.
void installAccessibleTimeDisplay();

} // namespace zelvano
