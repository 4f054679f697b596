#include "platform/soundfile.h"

#include <windows.h>
#include <algorithm>
#include <memory>

#include "core/formatstring.h"
#include "platform/widestring_win32.h"

namespace zelvano {

namespace {

    // Closes the handle when the last reader lets go of it.
    struct Handle
    {
        explicit Handle(HANDLE value)
            : get(value)
        { }
        ~Handle()
        {
            if (get != INVALID_HANDLE_VALUE)
                CloseHandle(get);
        }
        Handle(const Handle&) = delete;
        Handle& operator=(const Handle&) = delete;
        HANDLE get;
    };

    std::optional<std::size_t> readAt(
        HANDLE handle, std::uint64_t offset, char* buffer, std::size_t size)
    {
        std::size_t filled = 0;
        while (filled < size) {
            OVERLAPPED at {};
            const std::uint64_t position = offset + filled;
            at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
            at.OffsetHigh = static_cast<DWORD>(position >> 32);
            DWORD got = 0;
            const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size - filled, 1u << 30));
            if (!ReadFile(handle, buffer + filled, wanted, &got, &at))
                return GetLastError() == ERROR_HANDLE_EOF ? std::optional(filled) : std::nullopt;
            if (got == 0)
                break;
            filled += got;
        }
        return filled;
    }

} // namespace

std::optional<SoundFile> openSoundFile(const std::string& path)
{
    // Shared every way: the user may replace or edit the sound while the program runs.
    auto handle = std::make_shared<Handle>(CreateFileW(widen(path).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info {};
    FILE_BASIC_INFO times {};
    if (handle->get == INVALID_HANDLE_VALUE || GetFileType(handle->get) != FILE_TYPE_DISK
        || !GetFileInformationByHandle(handle->get, &info)
        || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        || !GetFileInformationByHandleEx(handle->get, FileBasicInfo, &times, sizeof times))
        return std::nullopt;
    // Another file in its place has another index; one rewritten in place has another time of
    // change.
    SoundFile file;
    file.size = (std::uint64_t { info.nFileSizeHigh } << 32) | info.nFileSizeLow;
    file.version = formatString("%lu:%lu:%lu:%llu:%lld:%lld",
        static_cast<unsigned long>(info.dwVolumeSerialNumber),
        static_cast<unsigned long>(info.nFileIndexHigh),
        static_cast<unsigned long>(info.nFileIndexLow), static_cast<unsigned long long>(file.size),
        static_cast<long long>(times.LastWriteTime.QuadPart),
        static_cast<long long>(times.ChangeTime.QuadPart));
    file.readAt = [handle](std::uint64_t offset, char* buffer, std::size_t size) {
        return readAt(handle->get, offset, buffer, size);
    };
    return file;
}

} // namespace zelvano
