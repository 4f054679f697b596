#pragma once

#include <windows.h>
#include <cstdint>

namespace zelvano {

// What the watch on PowerPoint tells the window, posted to the window's thread so that neither
// PowerPoint nor the watch ever waits for it.
enum class PowerPointNews : std::uint8_t {
    Reached, // following PowerPoint's events
    NotReached, // PowerPoint not running, not answering, or out of reach; value: the HRESULT
    Lost, // PowerPoint went away: whatever show it ran has ended
    ShowBegan, // value: the slide shown
    SlideShown, // value: the slide shown
    ShowEnded,
};

// The message that carries news: wParam holds the news and the watch that sent it, lParam the
// value. A watch stopped may still have news under way, which the window then ignores.
inline constexpr UINT powerPointMessage = WM_APP + 0x20;

inline void postPowerPointNews(
    HWND window, std::uint32_t watch, PowerPointNews news, std::int64_t value = 0)
{
    PostMessageW(window, powerPointMessage,
        static_cast<WPARAM>(news) | static_cast<WPARAM>(watch) << 8, static_cast<LPARAM>(value));
}

inline PowerPointNews newsOf(WPARAM wParam) { return static_cast<PowerPointNews>(wParam & 0xFF); }
inline std::uint32_t watchOf(WPARAM wParam) { return static_cast<std::uint32_t>(wParam >> 8); }

} // namespace zelvano
