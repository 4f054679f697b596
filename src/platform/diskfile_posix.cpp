#include "platform/diskfile_posix.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelvano {

namespace {

    class DiskFile final : public FileHandle
    {
    public:
        DiskFile(int descriptor, bool writable)
            : m_descriptor(descriptor)
            , m_writable(writable)
        { }
        DiskFile(const DiskFile&) = delete;
        DiskFile& operator=(const DiskFile&) = delete;
        ~DiskFile() override
        {
            if (m_descriptor >= 0)
                ::close(m_descriptor);
        }

        std::optional<std::size_t> read(char* buffer, std::size_t size) override
        {
            if (m_descriptor < 0)
                return std::nullopt;
            for (;;) {
                const ssize_t got = ::read(m_descriptor, buffer, size);
                if (got >= 0)
                    return static_cast<std::size_t>(got);
                if (errno != EINTR)
                    return std::nullopt;
            }
        }

        bool write(std::string_view bytes) override
        {
            if (m_descriptor < 0)
                return false;
            while (!bytes.empty()) {
                const ssize_t put = ::write(m_descriptor, bytes.data(), bytes.size());
                if (put < 0 && errno == EINTR)
                    continue;
                if (put <= 0)
                    return false;
                bytes.remove_prefix(static_cast<std::size_t>(put));
            }
            return true;
        }

        bool close() override
        {
            if (m_descriptor < 0)
                return false;
            // Written bytes reach the disk before the close reports success, as a settings file
            // replaced by a new one must never turn out empty after a power cut.
            const bool synced = !m_writable || ::fsync(m_descriptor) == 0;
            const int result = ::close(m_descriptor);
            m_descriptor = -1;
            return synced && result == 0;
        }

    private:
        int m_descriptor;
        bool m_writable;
    };

    bool reading(OpenMode mode) { return mode == OpenMode::Read || mode == OpenMode::ReadCreate; }

    int openFlags(OpenMode mode)
    {
        switch (mode) {
        case OpenMode::Read:
            return O_RDONLY;
        case OpenMode::ReadCreate:
            return O_RDONLY | O_CREAT;
        case OpenMode::WriteKeep:
        case OpenMode::WriteTruncate:
            return O_WRONLY | O_CREAT;
        }
        return O_RDONLY;
    }

    // Readers share the file, a writer has it alone. A file system that cannot lock at all still
    // holds the user's settings: NFS emulates flock with byte-range locks and refuses an
    // exclusive one on a descriptor open for reading (EBADF), and some file systems have no
    // locks (ENOLCK, EOPNOTSUPP). Only a lock held by someone else keeps the file out of reach.
    bool lockOrGoOn(LockFunction lock, int descriptor, OpenMode mode)
    {
        const int operation = (reading(mode) ? LOCK_SH : LOCK_EX) | LOCK_NB;
        if (lock(descriptor, operation) == 0)
            return true;
        return errno == ENOLCK || errno == EOPNOTSUPP || errno == EBADF;
    }

} // namespace

std::unique_ptr<FileHandle> openDiskFile(const std::string& name, OpenMode mode, LockFunction lock)
{
    // Without O_NONBLOCK, opening a FIFO waits for the other end, which may never come.
    const int descriptor = ::open(name.c_str(), openFlags(mode) | O_NONBLOCK | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return nullptr;
    auto file = std::make_unique<DiskFile>(descriptor, !reading(mode));
    // FIFOs, devices and folders are no settings file and no report: reading one could wait for
    // ever, writing one could fill a disk or go nowhere.
    struct stat status = {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return nullptr;
    if (!lockOrGoOn(lock, descriptor, mode))
        return nullptr;
    if (mode == OpenMode::WriteTruncate && ::ftruncate(descriptor, 0) != 0)
        return nullptr;
    return file;
}

std::unique_ptr<FileHandle> openDiskFile(const std::string& name, OpenMode mode)
{
    return openDiskFile(name, mode, ::flock);
}

bool moveDiskFileOver(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void removeDiskFile(const std::string& name) { std::remove(name.c_str()); }

} // namespace zelvano
