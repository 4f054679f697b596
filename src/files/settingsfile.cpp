#include "files/settingsfile.h"

#include <cstdint>

#include "core/texts.h"
#include "files/bufferedwrite.h"
#include "files/readhead.h"

namespace zelvano {

namespace {

    std::int32_t readLittleEndian32(std::string_view bytes, std::size_t offset)
    {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value |= std::uint32_t { static_cast<unsigned char>(bytes[offset + i]) } << (8 * i);
        return static_cast<std::int32_t>(value);
    }

    void appendLittleEndian32(std::string& bytes, std::int32_t value)
    {
        const auto bits = static_cast<std::uint32_t>(value);
        for (std::size_t i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }

} // namespace

std::optional<BellSettings> decodeSettings(std::string_view bytes)
{
    if (bytes.size() < settingsFileSize)
        return std::nullopt;
    BellSettings settings;
    for (std::size_t i = 0; i < BellSettings::valueCount; ++i)
        settings.values[i] = readLittleEndian32(bytes, i * 4);
    return settings;
}

std::string encodeSettings(const BellSettings& settings)
{
    std::string bytes;
    bytes.reserve(settingsFileSize);
    for (const std::int32_t value : settings.values)
        appendLittleEndian32(bytes, value);
    return bytes;
}

void loadSettings(PlatformServices& platform, BellSettings& settings)
{
    const std::optional<std::string> head
        = readHead(platform, settingsFileName, OpenMode::ReadCreate, settingsFileSize);
    const std::optional<BellSettings> loaded = head ? decodeSettings(*head) : std::nullopt;
    if (!loaded) {
        platform.trace(texts::fileIoError);
        settings = BellSettings {};
        return;
    }
    settings = *loaded;
}

bool saveSettings(PlatformServices& platform, const BellSettings& settings)
{
    std::unique_ptr<FileHandle> file = platform.openFile(settingsFileName, OpenMode::WriteKeep);
    const bool written = file && writeBuffered(*file, encodeSettings(settings));
    const bool closed = file && file->close();
    if (!written || !closed) {
        platform.trace(texts::fileIoError);
        return false;
    }
    return true;
}

} // namespace zelvano
