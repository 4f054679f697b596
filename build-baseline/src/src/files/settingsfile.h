#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/bellsettings.h"
#include "core/platformservices.h"

namespace zelvano {

// Six signed 32-bit little-endian integers, no header: minute marks of bells 1-3, then their ring
// counts. Bytes past offset 24 belong to nobody we know of, so a save leaves them alone.
inline constexpr const char* settingsFileName = "config.ini";
inline constexpr std::size_t settingsFileSize = 24;

// Reads the settings, creating an empty file when there is none. Any failure, a short file
// included, gives all six defaults and a trace; the values are taken unchecked.
void loadSettings(PlatformServices& platform, BellSettings& settings);

// Writes the 24 bytes at offset 0 without truncating. A failure is traced and returns false.
[[nodiscard]] bool saveSettings(PlatformServices& platform, const BellSettings& settings);

// The byte layout alone: nothing when fewer than 24 bytes are given; extra bytes are ignored.
std::optional<BellSettings> decodeSettings(std::string_view bytes);
std::string encodeSettings(const BellSettings& settings);

} // namespace zelvano
