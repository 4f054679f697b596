#include "platform/diskfile.h"

#include <windows.h>
#include <algorithm>

#include "platform/widestring_win32.h"

namespace zelvano {

namespace {

    class DiskFile final : public FileHandle
    {
    public:
        DiskFile(HANDLE handle, bool writable)
            : m_handle(handle)
            , m_writable(writable)
        { }
        DiskFile(const DiskFile&) = delete;
        DiskFile& operator=(const DiskFile&) = delete;
        ~DiskFile() override
        {
            if (m_handle != INVALID_HANDLE_VALUE)
                CloseHandle(m_handle);
        }

        std::optional<std::size_t> read(char* buffer, std::size_t size) override
        {
            if (m_handle == INVALID_HANDLE_VALUE)
                return std::nullopt;
            DWORD got = 0;
            const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
            if (!ReadFile(m_handle, buffer, wanted, &got, nullptr))
                return std::nullopt;
            return got;
        }

        bool write(std::string_view bytes) override
        {
            if (m_handle == INVALID_HANDLE_VALUE)
                return false;
            while (!bytes.empty()) {
                DWORD put = 0;
                const auto chunk
                    = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
                if (!WriteFile(m_handle, bytes.data(), chunk, &put, nullptr) || put == 0)
                    return false;
                bytes.remove_prefix(put);
            }
            return true;
        }

        bool close() override
        {
            if (m_handle == INVALID_HANDLE_VALUE)
                return false;
            // Written bytes reach the disk before the close reports success; a handle open for
            // reading has nothing to flush, and Windows refuses to try.
            const bool flushed = !m_writable || FlushFileBuffers(m_handle);
            const bool closed = CloseHandle(m_handle);
            m_handle = INVALID_HANDLE_VALUE;
            return flushed && closed;
        }

    private:
        HANDLE m_handle;
        bool m_writable;
    };

} // namespace

// No sharing at all: while the file is open, another process can neither read nor write it, and
// a file another process holds fails to open. OPEN_ALWAYS creates a missing file without emptying
// an existing one; a report is emptied only once it is ours.
std::unique_ptr<FileHandle> openDiskFile(const std::string& name, OpenMode mode)
{
    const bool writing = mode != OpenMode::Read && mode != OpenMode::ReadCreate;
    const HANDLE handle = CreateFileW(widen(name).c_str(), writing ? GENERIC_WRITE : GENERIC_READ,
        0, nullptr, mode == OpenMode::Read ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    auto file = std::make_unique<DiskFile>(handle, writing);
    // Devices (NUL, CON, a serial port) and pipes are no settings file and no report.
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return nullptr;
    if (mode == OpenMode::WriteTruncate && !SetEndOfFile(handle))
        return nullptr;
    return file;
}

bool moveDiskFileOver(const std::string& from, const std::string& to)
{
    return MoveFileExW(widen(from).c_str(), widen(to).c_str(),
        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void removeDiskFile(const std::string& name) { DeleteFileW(widen(name).c_str()); }

} // namespace zelvano
