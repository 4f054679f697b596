#pragma once

#include <QLineEdit>

namespace zelvano {

// The large elapsed-time display: a read-only line edit whose text changes every second.
// showText() paints the new text before it returns, since a bell due on that second blocks the
// thread before the next paint event. It paints only the glyphs that change, inside the frame
// where the line edit draws every pixel itself: repainting the whole field would make Qt paint
// the group box and the window behind it too, which costs more than the text does, and every
// pixel painted is a pixel more sent to the X server.
class TimeDisplay final : public QLineEdit
{
    Q_OBJECT

public:
    explicit TimeDisplay(QWidget* parent);

    void showText(const QString& text);

private:
    bool canPaintTextAreaAlone() const;
    QRect textArea() const;
    QRect changedArea(const QString& before, const QString& after) const;

    // Qt's text engine of the line edit; every text change it signals repaints the whole field.
    QObject* m_textEngine = nullptr;
};

} // namespace zelvano
