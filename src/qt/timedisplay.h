#pragma once

#include <QWidget>

class QStyleOptionFrame;

namespace zelvano {

// The large elapsed-time display: a read-only field that looks like a line edit of the style and
// whose text changes every second. setText() paints the glyphs that change before it returns,
// since a bell due on that second blocks the thread before the next paint event.
//
// The text is painted on an opaque face inside the frame, a child widget of its own: Qt repaints
// an opaque widget without painting what lies behind it, so a new time costs the few glyphs that
// change, not the group box and window behind the field, and only those pixels go to the X server.
class TimeDisplay final : public QWidget
{
    Q_OBJECT

public:
    explicit TimeDisplay(QWidget* parent);

    QString text() const;
    void setText(const QString& text);

    // Where the character at index lies on the screen, for screen readers.
    QRect characterRectOnScreen(qsizetype index) const;

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
