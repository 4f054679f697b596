#pragma once

#include <windows.h>
#include <cstdint>
#include <optional>

#include "clock/slideturns.h"

namespace zelvano {

// A key of the keyboard going down or up, as far as page turns care.
struct KeyEvent
{
    TurnKey key;
    std::uint32_t code; // tells physical keys apart: the scan code, and 0x100 for an extended one
    bool pressed;
};

// The keyboard as Raw Input tells it to one window, whichever window has the keyboard
// (RIDEV_INPUTSINK): seen, never taken, so every key still reaches the slide show unchanged.
// Unlike a low-level hook it delays no key of the machine. Only what a key is to page turns
// leaves here; nothing of any other key is kept.
class RawKeys final
{
public:
    RawKeys() = default;
    ~RawKeys();
    RawKeys(const RawKeys&) = delete;
    RawKeys& operator=(const RawKeys&) = delete;

    bool isWatching() const { return m_window != nullptr; }
    // Sends the keyboard's raw input to window, or no longer; false when the system refused.
    bool watch(HWND window);
    void stop();

    // What a WM_INPUT told: nothing for input that is not from a keyboard. A turn key pressed
    // while this program has the keyboard (its menu, its lap list) turns no slide: it is Other.
    static std::optional<KeyEvent> read(WPARAM code, LPARAM input);

private:
    HWND m_window = nullptr;
};

} // namespace zelvano
