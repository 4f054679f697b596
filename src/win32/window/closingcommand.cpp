#include "win32/window/closingcommand.h"

#include <windows.h>

namespace zelvano {

ClosingKeyAction closingCommandAction(int command, const TimerState& state, bool speakerViewOpen)
{
    if (command == IDCANCEL)
        return closingKeyAction(ClosingKey::Escape, state, speakerViewOpen);
    if (GetKeyState(VK_RETURN) < 0)
        return closingKeyAction(ClosingKey::Enter, state, speakerViewOpen);
    return ClosingKeyAction::CloseWindow;
}

} // namespace zelvano
