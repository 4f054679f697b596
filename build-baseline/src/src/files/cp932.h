#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvano {

// UTF-8 to code page 932 (the Windows form of Shift_JIS) for the characters a report can hold:
// ASCII and the few Japanese characters of its header and lap lines. Anything else, and any
// malformed UTF-8, gives nothing rather than a silent substitute.
std::optional<std::string> encodeCp932(std::string_view utf8);

} // namespace zelvano
