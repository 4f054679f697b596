#pragma once

#include <string>

namespace zelvano {

// The main window's title: while sharing is on it carries the sign with the count of devices
// watching, which shows on the task bar too and which screen readers read.
std::string mainWindowCaption(bool sharing, int devices);

} // namespace zelvano
