#include "core/windowlayout.h"

#include "core/texts.h"

namespace zelvano {

namespace {

    namespace t = texts;
    using K = ControlKind;
    using Id = ControlId;

    constexpr std::array<ControlTemplate, 27> mainWindowControls { {
        { Id::Ok, K::DefaultButton, t::closeButton, { 235, 158, 37, 14 } },
        { Id::Start, K::PushButton, t::startButton, { 54, 58, 36, 20 } },
        { Id::Stop, K::PushButton, t::stopButton, { 95, 58, 36, 20 } },
        { Id::Slide, K::PushButton, t::slideButton, { 161, 128, 42, 20 } },
        { Id::Static, K::GroupBox, t::bellGroup, { 7, 87, 132, 85 } },
        { Id::Static, K::Label, t::bell1Label, { 14, 101, 38, 8 }, Id::Bell1Minutes },
        { Id::Bell1Minutes, K::Edit, "", { 53, 98, 22, 14 } },
        { Id::Bell2Minutes, K::Edit, "", { 53, 116, 22, 14 } },
        { Id::Bell3Minutes, K::Edit, "", { 53, 134, 22, 14 } },
        { Id::TimeDisplay, K::TimeDisplay, "", { 16, 16, 115, 36 } },
        { Id::SlideList, K::SortedList, "", { 153, 16, 113, 106 } },
        { Id::SettingsToggle, K::PushButton, t::settingsToggleInitial, { 80, 153, 52, 14 } },
        { Id::Static, K::GroupBox, t::timerGroup, { 7, 2, 132, 81 } },
        { Id::Static, K::GroupBox, t::slideGroup, { 146, 2, 126, 151 } },
        { Id::Save, K::PushButton, t::saveButton, { 217, 128, 42, 20 } },
        { Id::Test, K::PushButton, t::testButton, { 14, 153, 52, 14 } },
        { Id::Static, K::Label, t::bell2Label, { 14, 119, 38, 8 }, Id::Bell2Minutes },
        { Id::Static, K::Label, t::bell3Label, { 14, 137, 38, 8 }, Id::Bell3Minutes },
        { Id::Static, K::Label, t::minutesLabel, { 77, 101, 21, 8 }, Id::Bell1Minutes },
        { Id::Static, K::Label, t::minutesLabel, { 77, 119, 21, 8 }, Id::Bell2Minutes },
        { Id::Static, K::Label, t::minutesLabel, { 77, 137, 21, 8 }, Id::Bell3Minutes },
        { Id::Bell1Count, K::Edit, "", { 99, 98, 22, 14 } },
        { Id::Bell2Count, K::Edit, "", { 99, 116, 22, 14 } },
        { Id::Bell3Count, K::Edit, "", { 99, 134, 22, 14 } },
        { Id::Static, K::Label, t::timesLabel, { 124, 101, 8, 8 }, Id::Bell1Count },
        { Id::Static, K::Label, t::timesLabel, { 124, 119, 8, 8 }, Id::Bell2Count },
        { Id::Static, K::Label, t::timesLabel, { 124, 137, 8, 8 }, Id::Bell3Count },
    } };

    constexpr std::array<ControlTemplate, 4> aboutBoxControls { {
        { Id::Static, K::Icon, "", { 11, 17, 20, 20 } },
        { Id::Static, K::Label, t::aboutVersionLine, { 40, 10, 119, 8 } },
        { Id::Static, K::Label, t::aboutNotice, { 40, 25, 119, 8 } },
        { Id::Ok, K::DefaultButton, t::okButton, { 138, 33, 50, 14 } },
    } };

} // namespace

const DialogTemplate mainWindowTemplate { t::windowCaption, 279, 179, mainWindowControls };
const DialogTemplate aboutBoxTemplate { t::aboutCaption, 195, 55, aboutBoxControls };

const std::array<ScreenReaderName, 8> screenReaderNames { {
    { Id::TimeDisplay, t::displayAccessibleName },
    { Id::SlideList, t::lapListAccessibleName },
    { Id::Bell1Minutes, t::bell1MinutesAccessibleName },
    { Id::Bell2Minutes, t::bell2MinutesAccessibleName },
    { Id::Bell3Minutes, t::bell3MinutesAccessibleName },
    { Id::Bell1Count, t::bell1CountAccessibleName },
    { Id::Bell2Count, t::bell2CountAccessibleName },
    { Id::Bell3Count, t::bell3CountAccessibleName },
} };

} // namespace zelvano
