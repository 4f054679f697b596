#include "sound/ringsounds.h"

#include <utility>

namespace zelvano {

namespace {

    std::shared_ptr<const PcmSound> ringable(std::optional<PcmSound> sound)
    {
        if (!sound || sound->durationMs() < minRingSoundMs)
            return nullptr;
        return std::make_shared<const PcmSound>(std::move(*sound));
    }

} // namespace

RingSounds::RingSounds(std::string_view bellWav, OpenSoundFile open)
    : m_open(std::move(open))
    , m_bell(ringable(decodeWav(bellWav)))
{ }

std::shared_ptr<const PcmSound> RingSounds::file(const std::string& path)
{
    const std::optional<SoundFile> file = m_open(path);
    if (!file)
        return nullptr;
    std::string version = path + '\n' + file->version;
    if (m_cachedVersion == version)
        return m_cachedSound;
    m_cachedSound = ringable(decodeWav(file->readAt, file->size));
    m_cachedVersion = std::move(version);
    return m_cachedSound;
}

} // namespace zelvano
