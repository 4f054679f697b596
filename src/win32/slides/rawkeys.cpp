#include "win32/slides/rawkeys.h"

namespace zelvano {

namespace {

    // The keyboard among the generic desktop controls of HID.
    constexpr USHORT genericDesktopPage = 0x01;
    constexpr USHORT keyboardUsage = 0x06;
    // What the keyboard driver reports for the shift it makes up around an extended key (the
    // 0xE0 0x2A before Page Down with Num Lock on): no key of its own.
    constexpr USHORT madeUpKey = 0xFF;

    bool registerKeyboard(HWND window, DWORD flags)
    {
        const RAWINPUTDEVICE keyboard { genericDesktopPage, keyboardUsage, flags, window };
        return RegisterRawInputDevices(&keyboard, 1, sizeof keyboard) != FALSE;
    }

    // The keys of the navigation block and the arrows come with E0; the same codes without it
    // are the number pad, digits while Num Lock is on, which never turn a slide.
    TurnKey turnKeyOf(USHORT virtualKey, bool extended)
    {
        switch (virtualKey) {
        case VK_NEXT:
        case VK_RIGHT:
        case VK_DOWN:
            return extended ? TurnKey::Forward : TurnKey::Other;
        case VK_PRIOR:
        case VK_LEFT:
        case VK_UP:
            return extended ? TurnKey::Back : TurnKey::Other;
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
        case VK_LWIN:
        case VK_RWIN:
            return TurnKey::Modifier;
        default:
            return TurnKey::Other;
        }
    }

} // namespace

RawKeys::~RawKeys() { stop(); }

bool RawKeys::watch(HWND window)
{
    if (m_window == window)
        return true;
    if (!registerKeyboard(window, RIDEV_INPUTSINK))
        return false;
    m_window = window;
    return true;
}

void RawKeys::stop()
{
    if (m_window && registerKeyboard(nullptr, RIDEV_REMOVE))
        m_window = nullptr;
}

std::optional<KeyEvent> RawKeys::read(WPARAM code, LPARAM input)
{
    RAWINPUT raw {};
    UINT size = sizeof raw;
    if (GetRawInputData(
            reinterpret_cast<HRAWINPUT>(input), RID_INPUT, &raw, &size, sizeof(RAWINPUTHEADER))
            == static_cast<UINT>(-1)
        || raw.header.dwType != RIM_TYPEKEYBOARD || raw.data.keyboard.VKey == madeUpKey)
        return std::nullopt;
    const RAWKEYBOARD& key = raw.data.keyboard;
    const bool extended = (key.Flags & RI_KEY_E0) != 0;
    const bool pressed = (key.Flags & RI_KEY_BREAK) == 0;
    TurnKey turnKey = turnKeyOf(key.VKey, extended);
    if (pressed && turnKey != TurnKey::Modifier && GET_RAWINPUT_CODE_WPARAM(code) == RIM_INPUT)
        turnKey = TurnKey::Other;
    return KeyEvent { turnKey, static_cast<std::uint32_t>(key.MakeCode) | (extended ? 0x100U : 0U),
        pressed };
}

} // namespace zelvano
