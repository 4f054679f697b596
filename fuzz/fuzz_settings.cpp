// The settings file decoder on any bytes: nothing below 24 bytes; otherwise the six values are the
// first 24 bytes read as little-endian integers, and encoding them gives those bytes back.
#include <cstdint>
#include <string_view>

#include "files/settingsfile.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<zelvano::BellSettings> settings = zelvano::decodeSettings(bytes);
    FUZZ_CHECK(settings.has_value() == (size >= zelvano::settingsFileSize));
    if (!settings)
        return 0;
    for (std::size_t i = 0; i < zelvano::BellSettings::valueCount; ++i) {
        std::uint32_t expected = 0;
        for (std::size_t b = 4; b-- > 0;)
            expected = expected << 8 | data[4 * i + b];
        FUZZ_CHECK(static_cast<std::uint32_t>(settings->values[i]) == expected);
    }
    FUZZ_CHECK(zelvano::encodeSettings(*settings) == bytes.substr(0, zelvano::settingsFileSize));
    return 0;
}
