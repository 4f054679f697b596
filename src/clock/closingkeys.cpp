#include "clock/closingkeys.h"

namespace zelvano {

bool talkAtStake(const TimerState& state) { return state.running || state.lapsUnsaved; }

ClosingKeyAction closingKeyAction(ClosingKey key, const TimerState& state, bool speakerViewOpen)
{
    if (key == ClosingKey::Escape && speakerViewOpen)
        return ClosingKeyAction::CloseSpeakerView;
    return talkAtStake(state) ? ClosingKeyAction::Ignore : ClosingKeyAction::CloseWindow;
}

bool enterPressesButton(ControlId button, const TimerState& state)
{
    const bool endsOrRestarts = button == ControlId::Ok || button == ControlId::Start;
    return !endsOrRestarts || !talkAtStake(state);
}

} // namespace zelvano
