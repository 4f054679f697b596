#include "platform/soundfile.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "core/formatstring.h"

namespace zelvano {

namespace {

    // Closes a descriptor when the last reader lets go of it.
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

} // namespace

std::optional<SoundFile> openSoundFile(const std::string& path)
{
    auto fd = std::make_shared<Descriptor>(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status = {};
    if (fd->get() < 0 || ::fstat(fd->get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    // Another file in its place has another inode; one rewritten in place has another time of
    // change, which no program can set back.
    SoundFile file;
    file.version = formatString("%ju:%ju:%jd:%jd.%09ld:%jd.%09ld", std::uintmax_t(status.st_dev),
        std::uintmax_t(status.st_ino), std::intmax_t(status.st_size),
        std::intmax_t(status.st_mtim.tv_sec), status.st_mtim.tv_nsec,
        std::intmax_t(status.st_ctim.tv_sec), status.st_ctim.tv_nsec);
    file.size = static_cast<std::uint64_t>(status.st_size);
    file.readAt = [fd](std::uint64_t offset, char* buffer, std::size_t size) {
        return readAt(fd->get(), offset, buffer, size);
    };
    return file;
}

} // namespace zelvano
