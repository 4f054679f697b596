#include "ui/ringsounds.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "files/wavfile.h"

namespace zelvano {

namespace {

    // Closes a descriptor when it goes out of scope.
    class Descriptor final
    {
    public:
        explicit Descriptor(int fd)
            : m_fd(fd)
        { }
        ~Descriptor()
        {
            if (m_fd >= 0)
                ::close(m_fd);
        }
        Descriptor(const Descriptor&) = delete;
        Descriptor& operator=(const Descriptor&) = delete;
        int get() const { return m_fd; }

    private:
        int m_fd;
    };

    std::optional<std::size_t> readAt(int fd, std::uint64_t offset, char* buffer, std::size_t size)
    {
        std::size_t filled = 0;
        while (filled < size) {
            const ssize_t got
                = ::pread(fd, buffer + filled, size - filled, static_cast<off_t>(offset + filled));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return std::nullopt;
            if (got == 0)
                break;
            filled += static_cast<std::size_t>(got);
        }
        return filled;
    }

    std::shared_ptr<const PcmSound> decodeBuiltInBell()
    {
        QFile resource(QStringLiteral(":/bell.wav"));
        if (!resource.open(QIODevice::ReadOnly))
            return nullptr;
        const QByteArray bytes = resource.readAll();
        std::optional<PcmSound> sound = decodeWav(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        return sound ? std::make_shared<const PcmSound>(std::move(*sound)) : nullptr;
    }

    bool sameTime(const timespec& a, const timespec& b)
    {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    }

} // namespace

bool RingSounds::Version::operator==(const Version& other) const
{
    return path == other.path && device == other.device && inode == other.inode
        && size == other.size && sameTime(modified, other.modified)
        && sameTime(changed, other.changed);
}

RingSounds::RingSounds()
    : m_bell(decodeBuiltInBell())
{ }

std::shared_ptr<const PcmSound> RingSounds::file(const std::string& path)
{
    // O_NONBLOCK: a FIFO named like the sound must not hold the sound thread.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status = {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    const Version version { path, status.st_dev, status.st_ino, status.st_size, status.st_mtim,
        status.st_ctim };
    if (m_cachedVersion == version)
        return m_cachedSound;

    const ReadAt reader = [&fd](std::uint64_t offset, char* buffer, std::size_t size) {
        return readAt(fd.get(), offset, buffer, size);
    };
    std::optional<PcmSound> sound = decodeWav(reader, static_cast<std::uint64_t>(status.st_size));
    m_cachedVersion = version;
    m_cachedSound = sound && sound->durationMs() >= minRingSoundMs
        ? std::make_shared<const PcmSound>(std::move(*sound))
        : nullptr;
    return m_cachedSound;
}

} // namespace zelvano
