#include "clock/keyboardoffer.h"

namespace zelvano {

OfferAnswer answerKeyboardOffer(bool forTalkClick, bool pointerOnTalkButton)
{
    if (forTalkClick)
        return OfferAnswer::Refuse;
    return pointerOnTalkButton ? OfferAnswer::AwaitClick : OfferAnswer::Take;
}

} // namespace zelvano
