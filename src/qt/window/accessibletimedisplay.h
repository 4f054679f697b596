#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace zelvano {

// A widget that shows the time: what screen readers read from it.
class TimeField
{
public:
    virtual QString text() const = 0;
    // 0 (no bell yet) to the last bell.
    virtual int bellPhase() const = 0;
    // Where the character at index lies on the screen.
    virtual QRect characterRectOnScreen(qsizetype index) const = 0;

protected:
    ~TimeField() = default;
};

// Makes screen readers meet every TimeField as a read-only text field: its accessible name, the
// time shown as its text and the bell phase as its description. Safe to call more than once.
void installAccessibleTimeDisplay();

// Tells screen readers that field, widget's, went from the time textBefore at phaseBefore to what
// it shows now.
void announceTimeChange(
    QWidget& widget, const TimeField& field, const QString& textBefore, int phaseBefore);

} // namespace zelvano
