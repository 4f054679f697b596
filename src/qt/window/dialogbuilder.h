#pragma once

#include <map>

#include <QFont>
#include <QRect>
#include <QWidget>

#include "core/windowlayout.h"

namespace zelvano {

using ControlMap = std::map<ControlId, QWidget*>;

// Dialog units of a font: a horizontal unit is a quarter of its average character width, a
// vertical unit an eighth of its height. Layouts in these units follow the font's size.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);
    QRect toPixels(const DialogRect& units) const;
    QSize toPixels(int width, int height) const;

private:
    int m_averageCharWidth;
    int m_charHeight;
};

// The 9-point Japanese dialog font, in the face this machine has for it.
QFont dialogFont();

// The time display's typeface, at no particular size.
QFont displayTypeface();

// Makes the widget of one control, a child of parent.
using ControlMaker = QWidget* (*)(QWidget* parent, const ControlTemplate& control);

// Qt's own widget for every kind of control: the display a read-only centred line edit, the lap
// list a list widget with its scroll bar always shown. The program makes its own for those two.
QWidget* plainControl(QWidget* parent, const ControlTemplate& control);

// Turns a template into child widgets of dialog made by makeControl, in template order, placed by
// the units of the dialog's font, and gives the dialog its caption and fixed size. Icon controls
// show the window icon of dialog; labels get their buddies; the display gets its font. Returns the
// controls that have an id, by id.
ControlMap buildDialog(
    QWidget* dialog, const DialogTemplate& dialogTemplate, ControlMaker makeControl = plainControl);

} // namespace zelvano
