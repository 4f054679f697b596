#pragma once

#include <optional>

#include <QColor>
#include <QWidget>

#include "core/phasecolours.h"
#include "qt/window/accessibletimedisplay.h"

class QStyleOptionFrame;

namespace zelvano {

inline QColor qColour(const Rgb& colour) { return QColor(colour.red, colour.green, colour.blue); }

// The large elapsed-time display: a read-only field that looks like a line edit of the style and
// whose text changes every second. setText() paints the glyphs that change before it returns,
// since a bell due on that second blocks the thread before the next paint event.
//
// The text is painted on an opaque face inside the frame, a child widget of its own: Qt repaints
// an opaque widget without painting what lies behind it, so a new time costs the few glyphs that
// change, not the group box and window behind the field, and only those pixels go to the X server.
class TimeDisplay final : public QWidget, public TimeField
{
    Q_OBJECT

public:
    explicit TimeDisplay(QWidget* parent);

    QString text() const override;
    int bellPhase() const override;
    // The text with the bell phase it belongs to (0, none, to the last bell); a new phase
    // repaints the whole face when the digits take the phase's colour.
    void setText(const QString& text, int bellPhase);

    // The face and digits from palette, the digits in the colour of the phase; without one, the
    // style's colours of a read-only field.
    void setPhasePalette(const std::optional<PhasePalette>& palette);

    QRect characterRectOnScreen(qsizetype index) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class Face;

    QStyleOptionFrame frameOption() const;
    void placeFace();

    Face* m_face;
};

} // namespace zelvano
