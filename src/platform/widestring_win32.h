#pragma once

#include <string>
#include <string_view>

namespace zelvano {

// The program holds its texts and paths in UTF-8; the Windows API takes UTF-16. Malformed input
// is converted with replacement characters rather than dropped.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

} // namespace zelvano
