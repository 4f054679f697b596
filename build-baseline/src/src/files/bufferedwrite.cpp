#include "files/bufferedwrite.h"

namespace zelvano {

bool writeBuffered(FileHandle& file, std::string_view bytes)
{
    if (bytes.size() <= writeBufferSize)
        return bytes.empty() || file.write(bytes);

    if (!file.write(bytes.substr(0, writeBufferSize)))
        return false;
    std::string_view rest = bytes.substr(writeBufferSize);
    const std::size_t wholeBuffers = rest.size() / writeBufferSize * writeBufferSize;
    if (wholeBuffers > 0 && !file.write(rest.substr(0, wholeBuffers)))
        return false;
    rest.remove_prefix(wholeBuffers);
    return rest.empty() || file.write(rest);
}

} // namespace zelvano
