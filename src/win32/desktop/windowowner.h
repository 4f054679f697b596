#pragma once

#include <windows.h>

namespace zelvano {

// The object one of our windows belongs to, for its window procedure: given as the creation
// parameter, kept in the window's user data, and told its window handle (the member named) as soon
// as the window exists, before any other message. nullptr for messages that come before.
template <typename Owner>
Owner* windowOwner(HWND window, UINT message, LPARAM lParam, HWND Owner::*handle)
{
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        owner->*handle = window;
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace zelvano
