#include "ui/timedisplay.h"

#include <QCoreApplication>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>

namespace zelvano {

TimeDisplay::TimeDisplay(QWidget* parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    for (QObject* child : children()) {
        if (qstrcmp(child->metaObject()->className(), "QWidgetLineControl") == 0)
            m_textEngine = child;
    }
}

void TimeDisplay::showText(const QString& text)
{
    if (!canPaintTextAreaAlone()) {
        setText(text);
        repaint();
        return;
    }
    // Whatever else of the window waits to be painted is painted first, the usual way, so the
    // repaint below covers the text area alone.
    QCoreApplication::sendPostedEvents(window(), QEvent::UpdateRequest);
    {
        const QSignalBlocker quiet(m_textEngine);
        setText(text);
    }
    // Opaque for this one paint: nothing behind the text area shows through it.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    repaint(textArea());
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

// The text area is filled with the base colour before the text is drawn, so painting it alone
// leaves nothing of the old text behind; a base colour that lets the background through would.
bool TimeDisplay::canPaintTextAreaAlone() const
{
    return m_textEngine && isVisible() && palette().base().isOpaque();
}

QRect TimeDisplay::textArea() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
}

} // namespace zelvano
