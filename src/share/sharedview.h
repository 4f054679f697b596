#pragma once

#include <cstdint>
#include <string>

#include "core/bellsettings.h"
#include "lectern/lectern.h"

namespace zelvano {

// What the phones are shown at one moment: the speaker's view as the program's choice has it,
// and the same with elapsed and remaining swapped, for a device whose user tapped to swap them.
// Always with the bells' colours and marks: a phone is looked at to see where the talk stands.
struct SharedView
{
    LecternContent chosen;
    LecternContent swapped;

    friend bool operator==(const SharedView&, const SharedView&) = default;
};

SharedView sharedView(std::int32_t seconds, const BellSettings& settings, bool remainingLarge);

// The view as one message of the page's update stream: a JSON object whose fields the page
// paints as they are ("chosen", "swapped": figure, marks, caption, colours; "description").
std::string sharedViewJson(const SharedView& view);

} // namespace zelvano
