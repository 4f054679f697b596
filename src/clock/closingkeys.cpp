#include "clock/closingkeys.h"

namespace zelvano {

bool talkAtStake(const TimerState& state) { return state.running || state.lapsUnsaved; }

ClosingKeyAction closingKeyAction(ClosingKey key, const TimerState& state, bool speakerViewOpen)
{
    if (key == ClosingKey::Escape && speakerViewOpen)
        return ClosingKeyAction::CloseSpeakerView;
    return talkAtStake(state) ? ClosingKeyAction::Ignore : ClosingKeyAction::CloseWindow;
}

} // namespace zelvano
