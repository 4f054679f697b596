#include "files/readhead.h"

namespace zelvano {

std::optional<std::string> readHead(
    PlatformServices& platform, const std::string& name, OpenMode mode, std::size_t limit)
{
    std::unique_ptr<FileHandle> file = platform.openFile(name, mode);
    if (!file)
        return std::nullopt;
    std::string bytes(limit, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const std::optional<std::size_t> got
            = file->read(bytes.data() + filled, bytes.size() - filled);
        if (!got)
            return std::nullopt;
        if (*got == 0)
            break;
        filled += *got;
    }
    if (!file->close())
        return std::nullopt;
    bytes.resize(filled);
    return bytes;
}

} // namespace zelvano
