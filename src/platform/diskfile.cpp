#include "platform/diskfile.h"

namespace zelvano {

bool replaceDiskFile(const std::string& name, std::string_view bytes)
{
    const std::string beside = name + ".new";
    std::unique_ptr<FileHandle> file = openDiskFile(beside, OpenMode::WriteTruncate);
    if (!file)
        return false;
    const bool written = file->write(bytes);
    // Closing puts the bytes on the disk before the move makes them the file.
    const bool closed = file->close();
    if (written && closed && moveDiskFileOver(beside, name))
        return true;
    removeDiskFile(beside);
    return false;
}

} // namespace zelvano
