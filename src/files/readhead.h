#pragma once

#include <optional>
#include <string>

#include "core/platformservices.h"

namespace zelvano {

// The first limit bytes of the named file, fewer if it is shorter; nothing when it cannot be
// opened in mode, read or closed.
std::optional<std::string> readHead(
    PlatformServices& platform, const std::string& name, OpenMode mode, std::size_t limit);

} // namespace zelvano
