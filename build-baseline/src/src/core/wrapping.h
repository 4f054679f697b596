#pragma once

#include <cstdint>

namespace zelvano {

// Counters are allowed to wrap around like the 32-bit registers they once were; doing the
// arithmetic on unsigned values keeps that well defined.
constexpr std::int32_t wrappingAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

constexpr std::int32_t wrappingSub(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

} // namespace zelvano
