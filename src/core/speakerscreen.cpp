#include "core/speakerscreen.h"

namespace zelvano {

std::optional<std::size_t> speakerViewScreen(
    std::span<const Screen> screens, const ScreenRect& mainWindow, std::string_view current)
{
    std::optional<std::size_t> other;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        if (screens[i].area.intersects(mainWindow))
            continue;
        if (!current.empty() && screens[i].name == current)
            return i;
        if (!other)
            other = i;
    }
    return other;
}

} // namespace zelvano
