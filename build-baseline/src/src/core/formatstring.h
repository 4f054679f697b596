#pragma once

#include <string>

namespace zelvano {

// snprintf into a std::string of the right length.
std::string formatString(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace zelvano
