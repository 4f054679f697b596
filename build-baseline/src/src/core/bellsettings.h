#pragma once

#include <array>
#include <cstdint>

namespace zelvano {

// The six bell values in their fixed order: minute marks of bells 1-3, then their ring counts.
// The settings file and the six bell fields use the same order.
struct BellSettings
{
    static constexpr int bellCount = 3;
    static constexpr std::size_t valueCount = 6;

    // What a confirm accepts. Loaded values are not checked against these.
    static constexpr std::int32_t minRingCount = 1;
    static constexpr std::int32_t maxRingCount = 5;
    static constexpr std::int32_t minMinuteMark = 1;
    static constexpr std::int32_t maxMinuteMark = 600;

    std::array<std::int32_t, valueCount> values { 10, 13, 15, 1, 2, 3 };

    // bell is 1..3
    std::int32_t minuteMark(int bell) const
    {
        return values.at(static_cast<std::size_t>(bell - 1));
    }
    std::int32_t ringCount(int bell) const { return values.at(static_cast<std::size_t>(bell + 2)); }

    friend bool operator==(const BellSettings&, const BellSettings&) = default;
};

} // namespace zelvano
