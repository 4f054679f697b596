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

// Turns a template into child widgets of dialog, in template order, placed by the units of the
// dialog's font, and gives the dialog its caption and fixed size. Icon controls show the window
// icon of dialog; labels get their buddies. Returns the controls that have an id, by id.
ControlMap buildDialog(QWidget* dialog, const DialogTemplate& dialogTemplate);

} // namespace zelvano
