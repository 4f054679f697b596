#include "core/formatstring.h"

#include <cstdarg>
#include <cstdio>

namespace zelvano {

std::string formatString(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list measureArgs;
    va_copy(measureArgs, args);
    const int length = std::vsnprintf(nullptr, 0, format, measureArgs);
    va_end(measureArgs);

    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    return text;
}

} // namespace zelvano
