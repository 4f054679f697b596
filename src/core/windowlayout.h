#pragma once

#include <array>
#include <span>

namespace zelvano {

// Control ids of the two windows. Scoped and spelled apart from the Windows API's macros (IDOK,
// IDC_STATIC), so that any source may include <windows.h>.
enum class ControlId : int {
    Static = -1, // labels, group boxes and the About icon, never looked up
    Ok = 1, // the main window's Close button and the About box's OK: both end their window
    Start = 1000,
    Stop = 1001,
    Slide = 1003,
    Bell1Minutes = 1004,
    Bell2Minutes = 1005,
    Bell3Minutes = 1006,
    TimeDisplay = 1007,
    SlideList = 1008,
    SettingsToggle = 1009,
    Save = 1010,
    Test = 1011,
    Bell1Count = 1012,
    Bell2Count = 1013,
    Bell3Count = 1014,
};

enum class ControlKind {
    PushButton,
    DefaultButton,
    GroupBox,
    Label,
    Icon, // the application icon
    Edit, // a centred one-line field
    TimeDisplay, // a read-only centred field in the large display font
    SortedList, // lines in lapLineBefore order, none selectable, a vertical scroll bar always shown
};

// x, y, width, height in dialog units: a horizontal unit is a quarter of the dialog font's average
// character width, a vertical unit an eighth of its height.
struct DialogRect
{
    int x;
    int y;
    int width;
    int height;
};

// One control: its id, what it is, its text (UTF-8) and its rectangle. A label names the field
// it describes as its buddy, which screen readers announce as labelled by it.
struct ControlTemplate
{
    ControlId id;
    ControlKind kind;
    const char* text;
    DialogRect units;
    ControlId buddy = ControlId::Static;
};

// A fixed-size dialog: its caption, client size in dialog units and controls in template order,
// which is also the tab order.
struct DialogTemplate
{
    const char* caption;
    int width;
    int height;
    std::span<const ControlTemplate> controls;
};

// The dialog font every control but the display uses.
inline constexpr const char* dialogFontFace = "ＭＳ Ｐゴシック";
inline constexpr int dialogFontPoints = 9;
// The display font is chosen by its character cell, not by its em.
inline constexpr int displayCellHeightPx = 50;

extern const DialogTemplate mainWindowTemplate;
extern const DialogTemplate aboutBoxTemplate;

// The name a screen reader gives a main-window control whose own text does not tell what it holds
// (UTF-8). Set outright rather than left to the reader's guess from the nearest label, which
// follows template order and would give a count field or bells 2 and 3 the wrong label.
struct ScreenReaderName
{
    ControlId id;
    const char* name;
};

// The display, the lap list and the six bell fields.
extern const std::array<ScreenReaderName, 8> screenReaderNames;

// The push buttons that run the talk. Beside a slide show a click on one of them leaves the
// keyboard with the window that had it, so that a presentation clicker goes on turning the slides.
inline constexpr std::array<ControlId, 5> talkButtonIds { ControlId::Start, ControlId::Stop,
    ControlId::Slide, ControlId::Test, ControlId::Save };

// The six bell fields in the order of BellSettings::values.
inline constexpr std::array<ControlId, 6> bellFieldIds { ControlId::Bell1Minutes,
    ControlId::Bell2Minutes, ControlId::Bell3Minutes, ControlId::Bell1Count, ControlId::Bell2Count,
    ControlId::Bell3Count };

} // namespace zelvano
