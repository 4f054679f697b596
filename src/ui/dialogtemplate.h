#pragma once

#include <array>
#include <map>
#include <span>

#include <QFont>
#include <QRect>
#include <QWidget>

namespace zelvano {

// Control ids of the main window.
enum ControlId : int {
    IDC_STATIC = -1,
    IDOK = 1,
    IDC_START = 1000,
    IDC_STOP = 1001,
    IDC_SLIDE = 1003,
    IDC_BELL1_MINUTES = 1004,
    IDC_BELL2_MINUTES = 1005,
    IDC_BELL3_MINUTES = 1006,
    IDC_TIME_DISPLAY = 1007,
    IDC_SLIDE_LIST = 1008,
    IDC_SETTINGS_TOGGLE = 1009,
    IDC_SAVE = 1010,
    IDC_TEST = 1011,
    IDC_BELL1_COUNT = 1012,
    IDC_BELL2_COUNT = 1013,
    IDC_BELL3_COUNT = 1014,
};

enum class ControlKind {
    PushButton,
    DefaultButton,
    GroupBox,
    Label,
    Icon,
    Edit,
    TimeDisplay,
    SortedList
};

// One control: its id, what it is, its text and its rectangle in dialog units. A label may name
// the control it describes as its buddy, which screen readers announce as labelled by it.
struct ControlTemplate
{
    int id;
    ControlKind kind;
    const char* text;
    QRect units;
    int buddy = IDC_STATIC;
};

// The main window, in template order, which is also the tab order.
extern const std::array<ControlTemplate, 27> mainWindowTemplate;
inline constexpr QSize mainWindowClientUnits { 279, 179 };

// Dialog units of a font: a horizontal unit is a quarter of its average character width, a
// vertical unit an eighth of its height. Layouts in these units follow the font's size.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);
    QRect toPixels(const QRect& units) const;
    QSize toPixels(const QSize& units) const;

private:
    int m_averageCharWidth;
    int m_charHeight;
};

// The 9-point Japanese font of dialogs.
QFont dialogFont();

// Turns a template into child widgets of parent, in template order, placed by the given units.
// Icon controls show the window icon of parent; labels get their buddies. Returns the controls
// that have an id, by id.
std::map<int, QWidget*> buildControls(
    QWidget* parent, std::span<const ControlTemplate> controls, const DialogUnits& units);

} // namespace zelvano
