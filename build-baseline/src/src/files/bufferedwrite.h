#pragma once

#include <string_view>

#include "core/platformservices.h"

namespace zelvano {

inline constexpr std::size_t writeBufferSize = 4096;

// Writes bytes the way a stream with a 4096-byte buffer hands them to the file: up to 4096 bytes
// in one write; beyond that a first 4096, then the largest multiple of 4096 of the rest, then the
// remainder. So a 20,000-byte text goes out as 4096, 12288 and 3616 bytes.
[[nodiscard]] bool writeBuffered(FileHandle& file, std::string_view bytes);

} // namespace zelvano
