#include "qt/timedisplay.h"

#include <QCoreApplication>
#include <QFontMetrics>
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
    const QRect changed = changedArea(this->text(), text);
    {
        const QSignalBlocker quiet(m_textEngine);
        setText(text);
    }
    // Opaque for this one paint: nothing behind the text area shows through it.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    repaint(changed);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

// Where the glyphs that change lie. A text of the same width keeps its place in the middle of the
// field, and so does each glyph of a common beginning; from the first glyph that differs on, the
// text is painted again, with room to spare for where the line edit puts the text exactly and for
// glyphs reaching past their advance. Any other change paints the whole text area.
QRect TimeDisplay::changedArea(const QString& before, const QString& after) const
{
    const QRect area = textArea();
    if (before.size() != after.size())
        return area;
    // Glyph by glyph, which is cheap, where laying out the whole text is not; the room to spare
    // covers any kerning between glyphs as well.
    const QFontMetrics metrics(font());
    int beforeWidth = 0;
    int width = 0;
    int unchangedWidth = 0;
    bool same = true;
    for (qsizetype i = 0; i < after.size(); ++i) {
        beforeWidth += metrics.horizontalAdvance(before[i]);
        width += metrics.horizontalAdvance(after[i]);
        same = same && before[i] == after[i];
        if (same)
            unchangedWidth = width;
    }
    if (beforeWidth != width)
        return area;
    if (same)
        return {};
    const int spare = metrics.averageCharWidth();
    const int left = area.center().x() - width / 2 + unchangedWidth;
    const int right = area.center().x() + (width + 1) / 2;
    return QRect(QPoint(left - spare, area.top()), QPoint(right + spare, area.bottom()))
        .intersected(area);
}

// The text area is filled with the base colour before the text is drawn, so painting it alone
// leaves nothing of the old text behind; a base colour that lets the background through would.
bool TimeDisplay::canPaintTextAreaAlone() const
{
    return m_textEngine && isVisible() && palette().base().isOpaque();
}

// A pixel inside the style's contents rectangle, so that at a fractional scale factor the pixels
// painted never reach the frame's shading, which would darken with every paint over itself.
QRect TimeDisplay::textArea() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &option, this)
        .adjusted(1, 1, -1, -1);
}

} // namespace zelvano
