#pragma once

#include <optional>
#include <string>

namespace zelvano {

// Converts bytes between two encodings with glibc's iconv, strictly: nothing when any byte
// sequence has no place in the target or is not valid in the source.
std::optional<std::string> iconvConvert(const char* from, const char* to, const std::string& bytes);

} // namespace zelvano
