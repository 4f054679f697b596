#pragma once

#include <chrono>

namespace zelvano {

// How the main window answers an offer of the keyboard beside a slide show that has it. The
// window manager (or the system) makes one for a click into the window, a click on its title bar,
// Alt+Tab or the taskbar. A click on a button that runs the talk must leave the keyboard where it
// was, so that a presentation clicker goes on turning the slides; every other way in takes it. An
// offer made with the pointer resting on a talk button may be that click, or Alt+Tab with the
// pointer left there: it awaits the click a moment, is refused when the click comes and taken
// when none does.
enum class OfferAnswer { Take, Refuse, AwaitClick };

// forTalkClick: the platform tells that the offer comes with a click on a talk button.
OfferAnswer answerKeyboardOffer(bool forTalkClick, bool pointerOnTalkButton);

// Longer than a window manager takes between its offer for a click and letting the click through.
inline constexpr std::chrono::milliseconds talkClickWait { 400 };

} // namespace zelvano
