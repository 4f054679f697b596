#pragma once

#include <windows.h>
#include <guiddef.h>

namespace zelvano {

// What PowerPoint's automation publishes of itself: the class of its Application object, under
// which the running one is entered in the running object table, the dispatch interface of that
// object's events, and the events' DISPIDs that tell of a slide show.
inline constexpr CLSID powerPointApplicationId { 0x91493441, 0x5A91, 0x11CF,
    { 0x87, 0x00, 0x00, 0xAA, 0x00, 0x60, 0x26, 0x3B } };
inline constexpr IID powerPointEventsId { 0x914934C2, 0x5A91, 0x11CF,
    { 0x87, 0x00, 0x00, 0xAA, 0x00, 0x60, 0x26, 0x3B } };
inline constexpr DISPID slideShowBeginId = 2011;
inline constexpr DISPID slideShowNextBuildId = 2012; // an animation step within a slide
inline constexpr DISPID slideShowNextSlideId = 2013;
inline constexpr DISPID slideShowEndId = 2014;

} // namespace zelvano
